#include "MoxAppIdentityValidator.h"

namespace mox {

namespace {
constexpr qsizetype maxSlugLength = 80;
constexpr qsizetype maxEmailLength = 254;

MoxAppKitError slugError(const char* reason) {
    return MoxAppKitError(MoxAppKitError::Kind::invalidProductSlug, {},
                          QString::fromLatin1(reason));
}
}  // namespace

QString MoxAppIdentityValidator::validatedSlug(const QString& slug) {
    const QString trimmed = slug.trimmed();
    if (trimmed.isEmpty()) {
        throw MoxAppKitError(MoxAppKitError::Kind::emptyProductSlug);
    }
    const QString lower = trimmed.toLower();
    if (lower.size() > maxSlugLength) {
        throw slugError("exceeds 80 characters");
    }
    const std::pair<const char*, const char*> forbidden[] = {
        {"/", "contains slash"},      {"\\", "contains backslash"},   {"..", "contains dot-dot"},
        {" ", "contains whitespace"}, {"?", "contains query string"}, {"#", "contains fragment"},
    };
    for (const auto& [text, reason] : forbidden) {
        if (lower.contains(QString::fromLatin1(text))) {
            throw slugError(reason);
        }
    }
    if (lower.startsWith(QLatin1Char('-'))) {
        throw slugError("leading hyphen");
    }
    if (lower.endsWith(QLatin1Char('-'))) {
        throw slugError("trailing hyphen");
    }
    for (const QChar c : lower) {
        const bool safe = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                          (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                          c == QLatin1Char('-') || c == QLatin1Char('.') || c == QLatin1Char('_');
        if (!safe) {
            throw slugError("contains unsafe character");
        }
    }
    return lower;
}

QString MoxAppIdentityValidator::validatedNonEmpty(const QString& text,
                                                   MoxAppKitError::Kind whenEmpty) {
    QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        throw MoxAppKitError(whenEmpty);
    }
    return trimmed;
}

void MoxAppIdentityValidator::validateURL(const QUrl& url, const QString& field) {
    const QString scheme = url.scheme().toLower();
    if (scheme.isEmpty()) {
        throw MoxAppKitError(MoxAppKitError::Kind::invalidURL, field,
                             QStringLiteral("missing scheme"));
    }
    if (scheme == QStringLiteral("https") ||
        (scheme == QStringLiteral("http") && allowsInsecureHTTP)) {
        return;
    }
    throw MoxAppKitError(MoxAppKitError::Kind::invalidURL, field, QStringLiteral("must use https"));
}

bool MoxAppIdentityValidator::isValidEmail(const QString& address) {
    const QString trimmed = address.trimmed();
    if (trimmed.isEmpty() || trimmed.size() > maxEmailLength) {
        return false;
    }
    for (const QChar c : trimmed) {
        // Control characters are never part of an address, and a mail link cannot carry them.
        if (c.isSpace() || c.category() == QChar::Other_Control) {
            return false;
        }
    }
    for (const char32_t c : trimmed.toUcs4()) {
        // Nor can it carry noncharacters (a link read back turns them into U+FFFD), and U+FFFD
        // itself stands for bytes that were no text.
        if (QChar::isNonCharacter(c) || c == 0xFFFD) {
            return false;
        }
    }
    const QStringList pieces = trimmed.split(QLatin1Char('@'), Qt::KeepEmptyParts);
    return pieces.size() == 2 && !pieces[0].isEmpty() && !pieces[1].isEmpty() &&
           pieces[1].contains(QLatin1Char('.'));
}

}  // namespace mox
