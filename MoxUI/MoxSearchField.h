#pragma once

#include <QLineEdit>

namespace mox {

/// A search field: a magnifying glass in front and a clear button once there is text.
class MoxSearchField final : public QLineEdit {
  public:
    explicit MoxSearchField(const QString& placeholder, QWidget* parent = nullptr);
};

}  // namespace mox
