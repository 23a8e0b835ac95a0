#pragma once

#include <QStringView>

namespace mox {

/// Orders the dotted versions of an update feed: numbers compare as numbers, segment by
/// segment (1.9 < 1.10), missing segments count as zero (1.2 == 1.2.0), and a text part
/// after a number marks a pre-release of it (1.2b1 < 1.2); pre-release marks compare their
/// numbers as numbers (1.2b9 < 1.2b10 < 1.2rc1).
struct MoxVersion {
    /// Negative, zero or positive as `a` is older than, the same as or newer than `b`.
    static int compare(QStringView a, QStringView b);
};

}  // namespace mox
