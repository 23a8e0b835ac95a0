#include "MoxDateFormatter.h"

#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/simpletz.h>

#include <memory>

namespace mox {

struct MoxDateFormatter::Format {
    std::unique_ptr<icu::DateFormat> prototype;
};

const MoxDateFormatter& MoxDateFormatter::shared() {
    static const MoxDateFormatter formatter{QLocale::system()};
    return formatter;
}

MoxDateFormatter::MoxDateFormatter(const QLocale& locale)
    : locale_(locale),
      format_(std::make_shared<const Format>(
          Format{std::unique_ptr<icu::DateFormat>(icu::DateFormat::createDateTimeInstance(
              icu::DateFormat::kMedium, icu::DateFormat::kShort,
              icu::Locale(locale.name().toLatin1().constData())))})) {}

QString MoxDateFormatter::string(const QDateTime& date) const {
    const std::unique_ptr<icu::DateFormat> format(format_->prototype ? format_->prototype->clone()
                                                                     : nullptr);
    if (!format) {
        // No ICU data for the locale: Qt's short forms say the same, less gracefully.
        return locale_.toString(date, QLocale::ShortFormat);
    }
    format->adoptTimeZone(
        new icu::SimpleTimeZone(date.offsetFromUtc() * 1000, icu::UnicodeString(u"date")));
    icu::UnicodeString text;
    format->format(static_cast<UDate>(date.toMSecsSinceEpoch()), text);
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}

}  // namespace mox
