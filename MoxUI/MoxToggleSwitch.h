#pragma once

#include <QAbstractButton>

namespace mox {

/// An on/off switch with its label on the right: a pill that fills with the accent when on.
class MoxToggleSwitch final : public QAbstractButton {
  public:
    explicit MoxToggleSwitch(const QString& label, QWidget* parent = nullptr);
    [[nodiscard]] QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace mox
