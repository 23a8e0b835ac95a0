#include "MoxAppOpeningURLs.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>

namespace mox {

void DefaultURLOpener::open(const QUrl& url) {
    QDesktopServices::openUrl(url);
}

void DefaultClipboardWriter::write(const QString& text) {
    if (QClipboard* clipboard = QGuiApplication::clipboard()) {
        clipboard->setText(text);
    }
}

namespace {
MoxAppOpeningURLs* chosenOpener = nullptr;
MoxClipboardWriting* chosenWriter = nullptr;
}  // namespace

MoxAppOpeningURLs& sharedURLOpener() {
    static DefaultURLOpener opener;
    return chosenOpener != nullptr ? *chosenOpener : opener;
}

void setSharedURLOpener(MoxAppOpeningURLs* opener) {
    chosenOpener = opener;
}

MoxClipboardWriting& sharedClipboardWriter() {
    static DefaultClipboardWriter writer;
    return chosenWriter != nullptr ? *chosenWriter : writer;
}

void setSharedClipboardWriter(MoxClipboardWriting* writer) {
    chosenWriter = writer;
}

}  // namespace mox
