#pragma once

#include <string>

#include "Tovra/capture/ClipboardWatcher.h"

namespace tovra {

struct AppContext;
class SurfaceRefresher;

/// Turns every copy into queued items while the queue is on.
class CaptureHandler final : public ClipboardWatcherDelegate {
  public:
    CaptureHandler(AppContext& context, SurfaceRefresher& surfaces)
        : context_(context), surfaces_(surfaces) {}

    void clipboardWatcherDidCapture(ClipboardWatcher& watcher, ClipboardPayload payload) override;
    /// A copy keystroke was seen: read the clipboard now rather than at the next check.
    void captureAfterCopy();
    void handleCapturedPayload(ClipboardPayload payload);
    /// A text Tovra's own windows copy: on the clipboard, and queued as one item while on.
    void copyText(const std::string& text);

  private:
    void enqueue(ClipboardPayload payload, bool split);

    AppContext& context_;
    SurfaceRefresher& surfaces_;
};

}  // namespace tovra
