#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

namespace tovra {

/// Asks for the text a burst joins the items with: its own instructions above a field, the
/// answer exactly as typed (spaces kept, empty allowed).
class SeparatorDialog final : public QDialog {
  public:
    explicit SeparatorDialog(const QString& current, QWidget* parent = nullptr);

    [[nodiscard]] QLineEdit* field() const { return field_; }
    [[nodiscard]] QPushButton* useButton() const { return use_; }
    [[nodiscard]] QString separator() const { return field_->text(); }

  private:
    QLineEdit* field_;
    QPushButton* use_;
};

}  // namespace tovra
