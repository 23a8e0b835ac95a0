#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QWidget>
#include <optional>

namespace mox {

/// A text field with an optional label above and an error below.
class MoxTextField final : public QWidget {
  public:
    MoxTextField(const QString& placeholder, std::optional<QString> label = std::nullopt,
                 QWidget* parent = nullptr);
    [[nodiscard]] QLineEdit* field() const { return field_; }
    void setError(std::optional<QString> error);
    [[nodiscard]] QString error() const {
        return errorLabel_->isHidden() ? QString() : errorLabel_->text();
    }

  private:
    QLineEdit* field_;
    QLabel* errorLabel_;
};

}  // namespace mox
