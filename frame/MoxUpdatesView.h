#pragma once

#include <QPointer>
#include <QWidget>

#include "AnyMoxUpdateManager.h"
#include "MoxAppIdentity.h"
#include "MoxUpdateStatusView.h"

class QPushButton;
class QProgressBar;

namespace mox {

/// The settings window's updates page: the state, when the last check ran, and the check
/// button (disabled while a check may not start, with a spinner while checking). A found
/// update offers "Install", which opens its download page.
class MoxUpdatesView final : public QWidget {
  public:
    MoxUpdatesView(const MoxAppIdentity& identity, AnyMoxUpdateManager& updates,
                   QWidget* parent = nullptr);

    [[nodiscard]] MoxUpdateStatusView* statusView() const { return status_; }
    [[nodiscard]] QPushButton* checkButton() const { return checkButton_; }
    [[nodiscard]] QPushButton* installButton() const { return installButton_; }
    [[nodiscard]] QProgressBar* spinner() const { return spinner_; }

  private:
    void sync();

    QPointer<AnyMoxUpdateManager> updates_;
    MoxUpdateStatusView* status_;
    QPushButton* checkButton_;
    QPushButton* installButton_;
    QProgressBar* spinner_;
};

}  // namespace mox
