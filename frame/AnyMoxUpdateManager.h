#pragma once

#include <QDateTime>
#include <QObject>
#include <optional>

#include "MoxAppUpdateState.h"

namespace mox {

/// The frame's view of updates: a state, whether a check may start, and when the last one
/// did. Subclasses feed it from a real update module; `changed` follows an update that changed
/// something, once.
class AnyMoxUpdateManager : public QObject {
    Q_OBJECT

  public:
    AnyMoxUpdateManager(MoxAppUpdateState state, bool canCheckForUpdates,
                        std::optional<QDateTime> lastCheckDate, QObject* parent = nullptr);

    [[nodiscard]] virtual MoxAppUpdateState state() const { return state_; }
    [[nodiscard]] virtual bool canCheckForUpdates() const { return canCheckForUpdates_; }
    [[nodiscard]] virtual std::optional<QDateTime> lastCheckDate() const { return lastCheckDate_; }

    virtual void checkForUpdates() {}
    virtual void checkForUpdatesInBackground() {}
    /// Takes the user to a found update (this platform opens its download page). Nothing by
    /// default.
    virtual void installUpdate() {}

    void updateState(MoxAppUpdateState state);
    void updateCanCheckForUpdates(bool canCheck);
    void updateLastCheckDate(std::optional<QDateTime> date);
    /// All three at once: one `changed` at most.
    void update(MoxAppUpdateState state, bool canCheck, std::optional<QDateTime> date);

  signals:
    void changed();

  private:
    MoxAppUpdateState state_;
    bool canCheckForUpdates_;
    std::optional<QDateTime> lastCheckDate_;
};

}  // namespace mox
