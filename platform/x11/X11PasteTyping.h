#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <deque>
#include <set>

#include "platform/TaskHandle.h"

namespace tovra {

class MainQueue;
class X11Connection;
class X11KeyLayout;
struct X11ModifierKeys;

/// Types the paste chord on the XTEST keyboard where no keystroke of the user's pastes (a burst,
/// the menu): exactly V with the modifiers asked for. An XTEST V press is dropped while the user
/// still holds V, so it waits for that key to go up. Modifiers the user holds beyond the chord
/// are let go for it and pressed again after; each goes up on XTEST too when the user lets go
/// of it, or it would stay down for good.
class X11PasteTyping {
  public:
    /// The layout and modifiers are the tap's, kept current by it; all must outlive this.
    X11PasteTyping(X11Connection& connection, MainQueue& mainQueue, const X11KeyLayout& layout,
                   const X11ModifierKeys& modifiers, std::chrono::milliseconds releaseWait);

    /// Types V with exactly `modifiers` once the user has let go of V (or `releaseWait` passed).
    void post(unsigned modifiers);
    /// A key went up; `byUser` when not on the XTEST keyboard.
    void keyReleased(xcb_keycode_t code, bool byUser);
    /// Forgets every chord still waiting.
    void cancel();

  private:
    void typeWaiting();
    /// The keys down on the server now (one round trip).
    void readKeysDown();
    [[nodiscard]] bool vIsDown() const;

    X11Connection& connection_;
    MainQueue& mainQueue_;
    const X11KeyLayout& layout_;
    const X11ModifierKeys& modifiers_;
    std::chrono::milliseconds releaseWait_;
    std::set<xcb_keycode_t> down_;
    /// Modifiers pressed again with XTEST after a chord, for the user still holding them.
    std::set<xcb_keycode_t> pressedAgain_;
    /// The modifiers of each chord still to type, in order.
    std::deque<unsigned> waiting_;
    TaskHandle deadline_;
};

}  // namespace tovra
