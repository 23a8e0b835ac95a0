#pragma once

#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <functional>

#include "Tovra/app/Surfaces.h"

class QMenu;

namespace tovra {

/// What the control window's buttons ask of the application controller.
struct ControlWindowControllerDelegate {
    std::function<void()> toggleStack;
    std::function<void()> clearQueue;
};

/// A small window: whether the queue is on, the active stack and its count, and buttons to
/// switch the queue and clear the stack.
class ControlWindowController final : public QWidget, public ControlSurface {
  public:
    explicit ControlWindowController(ControlWindowControllerDelegate delegate);

    void update(bool isActive, int stackNumber, std::size_t itemCount,
                bool shortcutCaptureAvailable) override;
    void present() override;
    void showUnavailableShortcuts(const std::vector<std::string>& names) override;
    void showBurstShortcuts(const std::string& everywhere, const std::string& inTerminals) override;
    /// Where no tray shows the status item: the window opens at launch without taking the
    /// focus, and a button opens the status menu.
    void offerMenu(QMenu* menu);

    [[nodiscard]] QString statusText() const { return statusLabel_->text(); }
    [[nodiscard]] QColor statusColor() const { return statusColor_; }
    [[nodiscard]] QPushButton* toggleButton() const { return toggleButton_; }
    [[nodiscard]] QPushButton* clearButton() const { return clearButton_; }

  private:
    ControlWindowControllerDelegate delegate_;
    QLabel* statusLabel_;
    QLabel* unavailableLabel_;
    QLabel* pasteKeys_;
    QWidget* statusDot_;
    QColor statusColor_;
    QPushButton* toggleButton_;
    QPushButton* clearButton_;
    QWidget* buttonsRow_;
};

}  // namespace tovra
