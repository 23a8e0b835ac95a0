#pragma once

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

  private:
    MoxAppDiagnostics diagnostics_;
    MoxClipboardWriting& clipboard_;
};

}  // namespace mox
