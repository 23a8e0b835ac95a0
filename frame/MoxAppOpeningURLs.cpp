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

}  // namespace mox
