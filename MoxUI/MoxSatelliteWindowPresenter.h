#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <map>

namespace mox {

/// Shows content in stand-alone windows, one per identifier: presenting an identifier whose
/// window is open brings that window forward; once it is closed the identifier is forgotten.
class MoxSatelliteWindowPresenter {
  public:
    static MoxSatelliteWindowPresenter& shared();

    /// Room kept for the title bar and the borders, which the window's size leaves out.
    static constexpr int titleBarAllowance = 48;
    static constexpr int borderAllowance = 16;

    /// Shows `content` in a window of `width` x `height`, or smaller to fit the free area of
    /// the screen it opens on, the content scrolling then. Takes ownership of `content` unless a
    /// window for `identifier` is already open (then `content` is deleted and the open window comes
    /// forward).
    QWidget* present(const QString& identifier, const QString& title, int width, int height,
                     bool resizable, QWidget* content);
    [[nodiscard]] QWidget* window(const QString& identifier) const;
    /// Closes every window it shows (tests, quitting).
    void closeAll();

  private:
    std::map<QString, QPointer<QWidget>> controllers_;
};

}  // namespace mox
