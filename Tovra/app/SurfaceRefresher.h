#pragma once

#include <string>
#include <vector>

#include "Surfaces.h"
#include "Tovra/core/QueueMode.h"

namespace tovra {

struct AppContext;

/// Shows the state on every surface after each change: the overlay, the status item and its
/// menu, the control window and the queue panel. Also keeps the queue limits and the idle timer,
/// which every change restarts.
class SurfaceRefresher {
  public:
    explicit SurfaceRefresher(AppContext& context) : context_(context) {}

    /// Every surface; the overlay stays longer when the user asked to see it.
    void refresh(bool revealOverlay);
    /// Only the status item and the control window.
    void refreshStatus();
    /// While the returned guard lives, changes update the overlay without bringing it up: they
    /// come from Tovra's own windows, which it would cover.
    class QuietOverlay {
      public:
        explicit QuietOverlay(int& quiet) : quiet_(quiet) { ++quiet_; }
        ~QuietOverlay() { --quiet_; }
        QuietOverlay(const QuietOverlay&) = delete;
        QuietOverlay& operator=(const QuietOverlay&) = delete;

      private:
        int& quiet_;
    };
    [[nodiscard]] QuietOverlay quietly() { return QuietOverlay(quiet_); }
    /// Shows the overlay with a line that says why a paste key did nothing; the next refresh
    /// drops it.
    void showNotice(std::string notice);
    void applyQueueLimits();
    /// Restarts the active stack's idle timer; its expiry refreshes the surfaces.
    void rescheduleTimeout();

    [[nodiscard]] bool validateMenuItem(MenuAction action) const;
    /// "Tovra 2 · Smart / LIFO (3)".
    [[nodiscard]] std::string overlayTitle() const;
    /// The panel lists the stack in hand-out order.
    [[nodiscard]] std::vector<ItemRow> panelItems() const { return rows(true); }
    [[nodiscard]] QueueMode panelQueueMode() const;
    [[nodiscard]] QueueMode panelSelectedMode() const;
    /// Shortcuts another program holds, as the user reads them.
    [[nodiscard]] std::vector<std::string> unavailableShortcuts() const;
    /// The key that clears a summoned overlay, as it names it.
    [[nodiscard]] std::string clearKeyName() const;

  private:
    [[nodiscard]] std::vector<ItemRow> rows(bool ordered) const;
    int quiet_ = 0;

    AppContext& context_;
    std::string notice_;
};

}  // namespace tovra
