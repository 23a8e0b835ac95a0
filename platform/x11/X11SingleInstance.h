#pragma once

#include <xcb/xcb.h>

#include <functional>
#include <memory>

#include "X11HelperWindow.h"
#include "platform/TaskHandle.h"

namespace tovra {

class X11Connection;

/// One Tovra per display: the running one owns a selection on that X server. A second launch
/// asks it to come forward and leaves; launches on other displays never meet.
class X11SingleInstance {
  public:
    /// Claims the display; nullptr when another instance holds it (it has been asked to come
    /// forward). `onActivate` runs when a later launch asks us to.
    static std::unique_ptr<X11SingleInstance> claim(X11Connection& connection,
                                                    std::function<void()> onActivate);
    ~X11SingleInstance();
    X11SingleInstance(const X11SingleInstance&) = delete;
    X11SingleInstance& operator=(const X11SingleInstance&) = delete;

  private:
    explicit X11SingleInstance(std::unique_ptr<X11HelperWindow> window);

    // Declared first: the subscription that reads its id ends before the window goes.
    std::unique_ptr<X11HelperWindow> window_;
    TaskHandle subscription_;
};

}  // namespace tovra
