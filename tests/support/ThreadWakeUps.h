#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace tovra::test {

/// What the process's threads other than the main one did so far: how often they were switched
/// in, and how long they ran. A thread asleep in poll adds to neither; one spinning on a
/// descriptor that stays readable adds to both.
struct ThreadActivity {
    long switches = 0;
    long long cpuNanoseconds = 0;

    ThreadActivity operator-(const ThreadActivity& earlier) const {
        return {switches - earlier.switches, cpuNanoseconds - earlier.cpuNanoseconds};
    }
};

inline ThreadActivity backgroundThreadActivity() {
    ThreadActivity total;
    const std::string self = std::to_string(::getpid());
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        if (task.path().filename() == self) {
            continue;
        }
        std::ifstream status(task.path() / "status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0 ||
                line.rfind("nonvoluntary_ctxt_switches:", 0) == 0) {
                total.switches += std::stol(line.substr(line.find(':') + 1));
            }
        }
        std::ifstream schedstat(task.path() / "schedstat");
        long long onCpu = 0;
        if (schedstat >> onCpu) {
            total.cpuNanoseconds += onCpu;
        }
    }
    return total;
}

}  // namespace tovra::test
