#pragma once

#include <functional>
#include <optional>

#include "Surfaces.h"

namespace tovra {

struct AppContext;
class SurfaceRefresher;

/// Changes to the stacks short of pasting: the overlay's keys and rows, the menu's and the
/// panel's edits, switching stacks and clearing. Overlay keys act (and are swallowed) only while
/// the overlay is on screen.
class QueueEditCommands final : public HUDWindowDragDelegate {
  public:
    QueueEditCommands(AppContext& context, SurfaceRefresher& surfaces)
        : context_(context), surfaces_(surfaces) {}

    // The overlay's keys: true when the keystroke was used.
    bool clearFromOverlay();
    bool dropNext();
    bool revealOverlay();
    bool moveNextUp();
    bool moveNextDown();
    bool swapEnds();
    bool togglePinNext();
    bool selectStack(int index);

    // The overlay's rows
    void hudDidMoveItem(const Uuid& id, int toIndex) override;
    void hudDidDeleteItem(const Uuid& id) override;
    void hudDidTogglePin(const Uuid& id) override;

    // The menu, the panel and the control window
    void removeItem(const Uuid& id);
    void togglePinItem(const Uuid& id);
    void moveItem(const Uuid& id, long index);
    void pinNextFromMenu();
    void swapEndsFromMenu();
    void selectStackFromMenu(std::optional<long> index);
    /// Only after the user confirmed.
    void clearQueueFromMenu();
    void clearFromPanel();
    /// The control window's clear: no confirmation, so it can be taken back.
    void clearFromControlWindow();
    /// Takes the last unconfirmed clear back, for a few seconds after it.
    void undoClear();

  private:
    bool whileOverlayVisible(const std::function<void()>& action);
    /// After an edit of one item: the idle timer restarts and the surfaces show it.
    void edited(bool revealOverlay);
    void clearActiveQueue(bool keepForUndo = false);
    /// Clears the active stack once the user confirms; an empty one asks nothing.
    void clearIfConfirmed();

    AppContext& context_;
    SurfaceRefresher& surfaces_;
};

}  // namespace tovra
