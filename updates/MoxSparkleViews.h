#pragma once

#include <QAction>
#include <QLabel>
#include <QWidget>

#include "MoxSparkleManager.h"
#include "MoxSparkleState.h"

namespace mox {

/// The status line of the module's settings form.
QString statusText(const MoxSparkleState& state);
/// The module badge's short text.
QString badgeText(const MoxSparkleState& state);

/// "Check for Updates…" for a menu, enabled while a check may start.
class MoxSparkleMenu final : public QAction {
  public:
    MoxSparkleMenu(MoxSparkleManager& manager, QObject* parent = nullptr);

  private:
    void sync();
    MoxSparkleManager& manager_;
};

/// The module's own settings form: product, version, build, last check, status, the
/// automatic settings and the check button.
class MoxSparkleSettingsView final : public QWidget {
  public:
    explicit MoxSparkleSettingsView(MoxSparkleManager& manager, QWidget* parent = nullptr);
    /// The value shown for a row ("Status", "Last checked", ...).
    [[nodiscard]] QString value(const QString& row) const;

  private:
    void sync();
    MoxSparkleManager& manager_;
    QLabel* lastChecked_;
    QLabel* status_;
    QWidget* checkButton_;
};

/// `badgeText` on a faint capsule.
class MoxSparkleUpdateBadge final : public QLabel {
  public:
    explicit MoxSparkleUpdateBadge(MoxSparkleManager& manager, QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    MoxSparkleManager& manager_;
};

}  // namespace mox
