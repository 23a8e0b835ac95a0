#include "PrivateHome.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace tovra::test {

PrivateHome::PrivateHome() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/tovra-test-home-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) == nullptr) {
        throw std::runtime_error("cannot create a private home for the tests");
    }
    root_ = name.data();
    for (const auto& [variable, folder] :
         {std::pair{"XDG_CONFIG_HOME", "config"}, std::pair{"XDG_DATA_HOME", "data"},
          std::pair{"XDG_CACHE_HOME", "cache"}, std::pair{"XDG_STATE_HOME", "state"},
          std::pair{"XDG_CONFIG_DIRS", "system-config"}}) {
        const std::string directory = root_ + "/" + folder;
        std::filesystem::create_directories(directory);
        setenv(variable, directory.c_str(), 1);
    }
    // No session bus either, the user's included: a test that needs one starts its own.
    const std::string runtime = root_ + "/runtime";
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
}

PrivateHome::~PrivateHome() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

}  // namespace tovra::test
