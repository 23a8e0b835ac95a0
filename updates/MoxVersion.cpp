#include "MoxVersion.h"

#include <QList>
#include <QString>

namespace mox {

namespace {

// Only ASCII digits are numbers: QChar::isDigit takes full-width and other scripts' digits too,
// which the comparison below cannot weigh.
bool isDigit(QChar c) {
    return c.unicode() >= '0' && c.unicode() <= '9';
}

struct Segment {
    QString digits;  // leading zeros removed
    QString suffix;  // whatever follows the number, lower-cased
};

QList<Segment> segments(QStringView version) {
    QList<Segment> result;
    for (const QStringView part : version.trimmed().split(QLatin1Char('.'))) {
        Segment segment;
        qsizetype i = 0;
        while (i < part.size() && isDigit(part[i])) {
            ++i;
        }
        segment.digits = part.left(i).toString();
        while (segment.digits.size() > 1 && segment.digits.startsWith(QLatin1Char('0'))) {
            segment.digits.remove(0, 1);
        }
        segment.suffix = part.mid(i).toString().toLower();
        result.append(segment);
    }
    return result;
}

int compareNumbers(const QString& a, const QString& b) {
    // As texts without leading zeros, so any length compares exactly.
    const QString x = a.isEmpty() ? QStringLiteral("0") : a;
    const QString y = b.isEmpty() ? QStringLiteral("0") : b;
    if (x.size() != y.size()) {
        return x.size() < y.size() ? -1 : 1;
    }
    return x.compare(y);
}

int sign(int value) {
    return (value > 0) - (value < 0);
}

/// Runs of digits and of anything else: "b10" is "b", "10".
QList<QStringView> runs(QStringView text) {
    QList<QStringView> result;
    qsizetype start = 0;
    for (qsizetype i = 1; i <= text.size(); ++i) {
        if (i == text.size() || isDigit(text[i]) != isDigit(text[start])) {
            result.append(text.mid(start, i - start));
            start = i;
        }
    }
    return result;
}

QString withoutLeadingZeros(QStringView digits) {
    qsizetype first = 0;
    while (first + 1 < digits.size() && digits[first] == QLatin1Char('0')) {
        ++first;
    }
    return digits.mid(first).toString();
}

/// Pre-release marks in order: their numbers as numbers (b9 before b10), their words as text
/// (a before b before rc).
int compareSuffixes(const QString& a, const QString& b) {
    const QList<QStringView> left = runs(a);
    const QList<QStringView> right = runs(b);
    for (qsizetype i = 0; i < std::min(left.size(), right.size()); ++i) {
        const bool numbers = isDigit(left[i].front()) && isDigit(right[i].front());
        const int order =
            numbers ? compareNumbers(withoutLeadingZeros(left[i]), withoutLeadingZeros(right[i]))
                    : left[i].compare(right[i]);
        if (order != 0) {
            return sign(order);
        }
    }
    return sign(static_cast<int>(left.size() - right.size()));
}

}  // namespace

int MoxVersion::compare(QStringView a, QStringView b) {
    const QList<Segment> left = segments(a);
    const QList<Segment> right = segments(b);
    const qsizetype count = std::max(left.size(), right.size());
    for (qsizetype i = 0; i < count; ++i) {
        const Segment x = i < left.size() ? left[i] : Segment{};
        const Segment y = i < right.size() ? right[i] : Segment{};
        if (const int numbers = compareNumbers(x.digits, y.digits); numbers != 0) {
            return sign(numbers);
        }
        if (x.suffix == y.suffix) {
            continue;
        }
        // A suffix is a pre-release: it comes before the plain number.
        if (x.suffix.isEmpty()) {
            return 1;
        }
        if (y.suffix.isEmpty()) {
            return -1;
        }
        return compareSuffixes(x.suffix, y.suffix);
    }
    return 0;
}

}  // namespace mox
