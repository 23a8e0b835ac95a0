#include "PasteTargetProcess.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <cstdlib>

#include "Processes.h"

namespace tovra::test {

namespace {

std::unique_ptr<BackgroundProcess> reporting(const std::vector<std::string>& argv) {
    setenv("TOVRA_TARGET_REPORT_CHANGES", "1", 1);
    auto process = std::make_unique<BackgroundProcess>(argv);
    unsetenv("TOVRA_TARGET_REPORT_CHANGES");
    return process;
}

// Long enough for a paste that should not have happened to show.
constexpr int nothingMoreWait = 300;

}  // namespace

PasteTargetProcess::PasteTargetProcess(const std::string& program, const std::string& initialText)
    : process_(reporting({program, initialText})), initial_(initialText) {}

PasteTargetProcess::PasteTargetProcess(const std::vector<std::string>& argv)
    : process_(reporting(argv)) {}

std::string PasteTargetProcess::text() {
    // Each change is a JSON string on a line of its own: the last complete one holds.
    const std::string output = process_->output();
    std::string text = initial_;
    std::size_t start = 0;
    for (std::size_t end = output.find('\n'); end != std::string::npos;
         start = end + 1, end = output.find('\n', start)) {
        const QByteArray line = QByteArray::fromStdString(output.substr(start, end - start));
        const QJsonDocument document = QJsonDocument::fromJson("[" + line + "]");
        // "<focused>" tells of the keyboard, not of the text.
        if (document.isArray() && document.array().size() == 1 &&
            document.array().at(0).isString() &&
            document.array().at(0).toString() != QLatin1String("<focused>")) {
            text = document.array().at(0).toString().toStdString();
        }
    }
    return text;
}

std::string PasteTargetProcess::shows(const std::string& expected, int timeoutMs) {
    if (!waitUntil([&] { return text() == expected; }, timeoutMs)) {
        return text();
    }
    waitUntil([&] { return text() != expected; }, nothingMoreWait);
    return text();
}

}  // namespace tovra::test
