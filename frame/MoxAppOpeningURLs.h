#pragma once

#include <QString>
#include <QUrl>

namespace mox {

/// How frame views open links; views take one as a field so another can stand in.
class MoxAppOpeningURLs {
  public:
    virtual ~MoxAppOpeningURLs() = default;
    virtual void open(const QUrl& url) = 0;
};

/// Opens links with the desktop's handler; the result is ignored.
class DefaultURLOpener final : public MoxAppOpeningURLs {
  public:
    void open(const QUrl& url) override;
};

/// How frame views put text on the clipboard.
class MoxClipboardWriting {
  public:
    virtual ~MoxClipboardWriting() = default;
    virtual void write(const QString& text) = 0;
};

/// Replaces the clipboard's contents with the text.
class DefaultClipboardWriter final : public MoxClipboardWriting {
  public:
    void write(const QString& text) override;
};

/// What the frame's windows use: the defaults above unless the application (or a test) sets
/// its own. Set to null to go back to the defaults.
MoxAppOpeningURLs& sharedURLOpener();
void setSharedURLOpener(MoxAppOpeningURLs* opener);
MoxClipboardWriting& sharedClipboardWriter();
void setSharedClipboardWriter(MoxClipboardWriting* writer);

}  // namespace mox
