#pragma once

#include <QPainterPath>
#include <QPushButton>

namespace mox {

enum class MoxButtonVariant { primary, secondary, ghost, danger };
enum class MoxButtonSize { sm, md, lg };

/// The rounded rectangle of a button variant and size, inset by `inset`.
QPainterPath ShapeForVariant(MoxButtonVariant variant, MoxButtonSize size, const QRectF& bounds,
                             double inset);

/// The kit's button: four variants, three sizes; it tracks hover and keyboard focus.
class MoxButton final : public QPushButton {
  public:
    MoxButton(const QString& label, MoxButtonVariant variant, MoxButtonSize size,
              QWidget* parent = nullptr);
    [[nodiscard]] MoxButtonVariant variant() const { return variant_; }
    [[nodiscard]] MoxButtonSize buttonSize() const { return size_; }
    /// Label font by size: 12 and 14 medium, 16 semibold.
    static QFont labelFont(MoxButtonSize size);
    struct Colors {
        QColor fill;
        QColor text;
        QColor border;
    };
    static Colors colors(MoxButtonVariant variant, bool hovered);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    MoxButtonVariant variant_;
    MoxButtonSize size_;
    bool hovered_ = false;
};

}  // namespace mox
