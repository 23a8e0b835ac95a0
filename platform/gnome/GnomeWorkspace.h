#pragma once

#include <optional>
#include <set>

#include "GnomeBridge.h"
#include "platform/Workspace.h"

namespace tovra {

/// The focused window as the shell tells it, each time the focus moves; activating goes back
/// through the shell. Windows are named by the shell's own window ids.
class GnomeWorkspace final : public Workspace {
  public:
    explicit GnomeWorkspace(GnomeBridge& bridge);

    [[nodiscard]] std::optional<FrontmostApplication> frontmostApplication() override {
        return frontmost_;
    }
    bool activate(const FrontmostApplication& application) override;

  private:
    void onFocus(const GnomeBridge::Fields& fields);

    GnomeBridge& bridge_;
    std::optional<FrontmostApplication> frontmost_;
    std::set<std::uint64_t> open_;
};

}  // namespace tovra
