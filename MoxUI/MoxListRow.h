#pragma once

#include <QWidget>

namespace mox {

/// A row of a list with an optional hairline separator along its bottom.
class MoxListRow final : public QWidget {
  public:
    MoxListRow(int height, bool separator, QWidget* parent = nullptr);
    [[nodiscard]] bool hasSeparator() const { return separator_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    bool separator_;
};

}  // namespace mox
