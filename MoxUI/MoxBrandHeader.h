#pragma once

#include <QWidget>

namespace mox {

/// The product's name in the brand's look, with its tagline when asked.
class MoxBrandHeader final : public QWidget {
  public:
    explicit MoxBrandHeader(bool showTagline, QWidget* parent = nullptr);
};

}  // namespace mox
