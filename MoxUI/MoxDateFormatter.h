#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <memory>

namespace mox {

/// Dates as the update views show them: the locale's medium date and short time, as ICU
/// writes them ("Dec 6, 2026, 3:04 PM", "06.12.2026, 15:04").
class MoxDateFormatter {
  public:
    /// Made once, from the system locale.
    static const MoxDateFormatter& shared();
    explicit MoxDateFormatter(const QLocale& locale);

    /// In the date's own time zone.
    [[nodiscard]] QString string(const QDateTime& date) const;

  private:
    struct Format;  // ICU's formatter for the locale
    QLocale locale_;
    std::shared_ptr<const Format> format_;
};

}  // namespace mox
