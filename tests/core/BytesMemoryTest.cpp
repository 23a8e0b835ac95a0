// Captured bytes live on pages of their own that a core dump leaves out.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "Tovra/base/Bytes.h"

namespace tovra {
namespace {

/// The "VmFlags" of the mapping that holds `address`, from /proc/self/smaps.
std::string flagsOfMappingAt(const void* address) {
    const auto wanted = reinterpret_cast<std::uintptr_t>(address);
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    bool inside = false;
    while (std::getline(smaps, line)) {
        std::uintptr_t start = 0;
        std::uintptr_t end = 0;
        char dash = 0;
        std::istringstream range(line);
        if (range >> std::hex >> start >> dash >> end && dash == '-') {
            inside = wanted >= start && wanted < end;
        } else if (inside && line.rfind("VmFlags:", 0) == 0) {
            return line;
        }
    }
    return {};
}

TEST(BytesMemory, CapturedBytesAreLeftOutOfCoreDumps) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "sanitized builds keep captured bytes on the checked heap";
#endif
    Bytes small("hunter2");
    const Bytes large(std::string(3 * 1024 * 1024, 'x'));
    for (const Bytes* bytes : {static_cast<const Bytes*>(&small), &large}) {
        const std::string flags = flagsOfMappingAt(bytes->data());
        ASSERT_FALSE(flags.empty());
        EXPECT_NE(flags.find(" dd"), std::string::npos) << flags;
    }
    small.append(std::string(10000, 'y'));  // growth moves to new pages, which get the same
    EXPECT_NE(flagsOfMappingAt(small.data()).find(" dd"), std::string::npos);
    EXPECT_EQ(small.view().substr(0, 7), "hunter2");
    EXPECT_EQ(small.size(), 10007U);
}

}  // namespace
}  // namespace tovra
