#pragma once

#include <QPlainTextEdit>
#include <QWidget>

#include "MoxAppDiagnostics.h"
#include "MoxAppOpeningURLs.h"

namespace mox {

/// The diagnostic text, selectable, with a button that copies it.
class MoxDiagnosticsView final : public QWidget {
  public:
    MoxDiagnosticsView(MoxAppDiagnostics diagnostics, MoxClipboardWriting& clipboard,
                       QWidget* parent = nullptr);
    void copy();
    /// Shows a newer record (the update state changes while the window is open).
    void setDiagnostics(MoxAppDiagnostics diagnostics);

  private:
    MoxAppDiagnostics diagnostics_;
    MoxClipboardWriting& clipboard_;
    QPlainTextEdit* text_;
};

}  // namespace mox
