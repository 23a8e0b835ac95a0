#pragma once

#include <QFrame>
#include <QVariantAnimation>

namespace mox {

/// A raised surface: `panel2` fill, `line` stroke; with `hover` it brightens under the pointer.
class MoxCard : public QFrame {
  public:
    explicit MoxCard(int padding = 16, bool hover = false, QWidget* parent = nullptr);
    [[nodiscard]] double highlight() const { return highlight_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    void animateTo(double target);

    bool hover_;
    double highlight_ = 0;
    QVariantAnimation animation_;
};

}  // namespace mox
