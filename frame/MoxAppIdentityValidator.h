#pragma once

#include <QString>
#include <QUrl>

#include "MoxAppKitError.h"

namespace mox {

/// The rules every identity passes when it is built.
struct MoxAppIdentityValidator {
    /// Trimmed, lower-cased; at most 80 characters of a-z, 0-9, "-", "." and "_", no "..", no
    /// hyphen at either end. Throws MoxAppKitError.
    static QString validatedSlug(const QString& slug);
    /// Trimmed and non-empty, else the given error kind is thrown.
    static QString validatedNonEmpty(const QString& text, MoxAppKitError::Kind whenEmpty);
    /// A scheme is required, and it must be https (http only while `allowsInsecureHTTP`).
    static void validateURL(const QUrl& url, const QString& field);
    static bool isValidEmail(const QString& address);
    /// Nothing in this application sets it.
    static inline bool allowsInsecureHTTP = false;
};

}  // namespace mox
