#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace mox {

/// Dates as the update views show them: the locale's medium date and short time.
class MoxDateFormatter {
  public:
    /// Made once, from the system locale.
    static const MoxDateFormatter& shared();
    explicit MoxDateFormatter(QLocale locale);

    [[nodiscard]] QString string(const QDateTime& date) const;
    [[nodiscard]] const QString& dateFormat() const { return dateFormat_; }

  private:
    QLocale locale_;
    QString dateFormat_;
};

}  // namespace mox
