#pragma once

namespace mox {

/// How the frame's menus and windows reach the application's commands.
class MoxCommandActions {
  public:
    virtual ~MoxCommandActions() = default;
    virtual void showAbout() = 0;
    virtual void showSupport() = 0;
    virtual void copyDiagnostics() = 0;
};

}  // namespace mox
