#pragma once

#include <QLabel>
#include <optional>

namespace mox {

/// The brand's illustration, or a quiet drawn stand-in.
class MoxHeritageIllustration final : public QLabel {
  public:
    explicit MoxHeritageIllustration(std::optional<QSize> size = std::nullopt,
                                     QWidget* parent = nullptr);
};

}  // namespace mox
