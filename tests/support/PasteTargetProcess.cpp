#include "PasteTargetProcess.h"

#include "Processes.h"

namespace tovra::test {

std::string PasteTargetProcess::finish(PhysicalKeyboard& keyboard) {
    keyboard.chord({finishKey_});
    waitUntil([&] { return !process_.isRunning(); }, 5000);
    std::string text = process_.output();
    if (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

}  // namespace tovra::test
