#pragma once

#include <QWidget>
#include <functional>
#include <optional>

namespace mox {

/// A section's caption, with an optional action on the right.
class MoxSectionHeader final : public QWidget {
  public:
    MoxSectionHeader(const QString& text, std::optional<QString> actionLabel = std::nullopt,
                     std::function<void()> action = nullptr, QWidget* parent = nullptr);
};

}  // namespace mox
