#include "MoxDateFormatter.h"

#include <QRegularExpression>

namespace mox {

const MoxDateFormatter& MoxDateFormatter::shared() {
    static const MoxDateFormatter formatter{QLocale::system()};
    return formatter;
}

MoxDateFormatter::MoxDateFormatter(QLocale locale) : locale_(std::move(locale)) {
    // Qt has long and short dates; the medium style is the long one without the weekday and
    // with the month abbreviated ("Dec 6, 2026", "6. Dez. 2026").
    QString format = locale_.dateFormat(QLocale::LongFormat);
    format.remove(QRegularExpression(QStringLiteral("d{4}[,.\\s]*")));
    format.replace(QRegularExpression(QStringLiteral("M{4}")), QStringLiteral("MMM"));
    dateFormat_ = format.trimmed();
}

QString MoxDateFormatter::string(const QDateTime& date) const {
    return locale_.toString(date.date(), dateFormat_) + QStringLiteral(", ") +
           locale_.toString(date.time(), QLocale::ShortFormat);
}

}  // namespace mox
