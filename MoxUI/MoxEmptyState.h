#pragma once

#include <QIcon>
#include <QWidget>
#include <functional>
#include <optional>
#include <utility>

namespace mox {

/// What a view shows when it has nothing: a symbol, a title, an explanation and an action.
class MoxEmptyState final : public QWidget {
  public:
    MoxEmptyState(const QString& title, std::optional<QString> body = std::nullopt,
                  std::optional<QIcon> symbol = std::nullopt,
                  std::optional<std::pair<QString, std::function<void()>>> action = std::nullopt,
                  QWidget* parent = nullptr);
};

}  // namespace mox
