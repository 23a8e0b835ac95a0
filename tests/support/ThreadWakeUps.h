#pragma once

#include <filesystem>
#include <fstream>
#include <string>

namespace tovra::test {

/// What the process's threads named "tovra-…" did so far (not a sanitizer's or a library's):
/// how often they were switched in, and how long they ran. A thread asleep in poll adds to
/// neither; one spinning on a descriptor that stays readable adds to both.
struct ThreadActivity {
    int threads = 0;
    long switches = 0;
    long long cpuNanoseconds = 0;

    ThreadActivity operator-(const ThreadActivity& earlier) const {
        return {threads, switches - earlier.switches, cpuNanoseconds - earlier.cpuNanoseconds};
    }
};

inline ThreadActivity backgroundThreadActivity() {
    ThreadActivity total;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream comm(task.path() / "comm");
        std::string name;
        if (!std::getline(comm, name) || !name.starts_with("tovra-")) {
            continue;
        }
        ++total.threads;
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
