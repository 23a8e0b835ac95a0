#pragma once

#include <QAbstractButton>
#include <QLabel>
#include <QWidget>
#include <functional>

namespace tovra {

/// The switch drawn in the master row: a pill track in the brand accent when on.
class MenuToggleSwitchView final : public QWidget {
  public:
    explicit MenuToggleSwitchView(QWidget* parent);
    void setOn(bool on);
    [[nodiscard]] bool isOn() const { return isOn_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    bool isOn_ = false;
};

/// The menu's master on/off row: a title and a switch across the menu's width. A click, Return
/// or Space switches the queue and closes the menu. It is a checkable button to assistive
/// technology, checked while the queue is on; focus and hover show as on the menu's other rows.
class MenuToggleItemView final : public QAbstractButton {
  public:
    MenuToggleItemView(const QString& title, std::function<void()> onActivate,
                       QWidget* parent = nullptr);

    void setOn(bool on);
    [[nodiscard]] bool isOn() const { return isOn_; }
    void setTitle(const QString& title);
    [[nodiscard]] QString title() const { return titleLabel_->text(); }
    /// Starts the title where the menu's other rows start their text.
    void setTitleIndent(int indent);
    /// Sends the action, then closes the enclosing menu.
    void activate();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    /// The controller says whether the queue is on: a click does not flip the state itself.
    void nextCheckState() override {}

  private:
    void refreshAppearance();

    QLabel* titleLabel_;
    MenuToggleSwitchView* switchView_;
    std::function<void()> onActivate_;
    bool isOn_ = false;
};

}  // namespace tovra
