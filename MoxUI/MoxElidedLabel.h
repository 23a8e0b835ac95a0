#pragma once

#include <QLabel>

namespace mox {

/// A one-line plain-text label that ends its text with "…" where it does not fit, so a long
/// text never pushes the controls beside it out of their row.
class MoxElidedLabel final : public QLabel {
  public:
    explicit MoxElidedLabel(QWidget* parent = nullptr);
    void setFullText(const QString& text);
    [[nodiscard]] const QString& fullText() const { return full_; }
    [[nodiscard]] QSize minimumSizeHint() const override;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void elide();

    QString full_;
};

}  // namespace mox
