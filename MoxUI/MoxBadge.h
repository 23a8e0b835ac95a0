#pragma once

#include <QColor>
#include <QLabel>

namespace mox {

enum class MoxBadgeVariant { neutral, accent, success, warning, danger };

/// A small rounded label whose colours say what kind of news it carries.
class MoxBadge final : public QLabel {
  public:
    struct Colors {
        QColor text;
        QColor fill;
        QColor border;
    };
    /// The colours of a variant; translucent fills and borders for the tinted ones.
    static Colors colors(MoxBadgeVariant variant);

    MoxBadge(const QString& text, MoxBadgeVariant variant, QWidget* parent = nullptr);
    [[nodiscard]] MoxBadgeVariant variant() const { return variant_; }
    void setVariant(MoxBadgeVariant variant);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    MoxBadgeVariant variant_;
};

}  // namespace mox
