#pragma once

#include <functional>
#include <string>

namespace tovra::test {

/// The body of main() for a test executable that runs beside a server of its own (a compositor,
/// a shell): a private home, the server from `start` (which says why not in `error`), a Qt
/// application for the main queues, the tests, then `stop`. Listing the tests (ctest discovery)
/// starts nothing.
int runTestsBesideServer(int argc, char** argv, const std::function<bool(std::string&)>& start,
                         const std::function<void()>& stop);

}  // namespace tovra::test
