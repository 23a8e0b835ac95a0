#pragma once

#include "platform/AccessibilityTrust.h"
#include "platform/KeyboardTap.h"
#include "platform/Pasteboard.h"
#include "platform/Workspace.h"

namespace tovra {

/// One backend's ports, owned together: what the controller runs on.
class Platform {
  public:
    Platform() = default;
    virtual ~Platform() = default;
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;

    virtual Pasteboard& pasteboard() = 0;
    virtual KeyboardTap& keyboardTap() = 0;
    virtual Workspace& workspace() = 0;
    virtual AccessibilityTrust& trust() = 0;
};

}  // namespace tovra
