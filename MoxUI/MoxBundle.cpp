#include "MoxBundle.h"

namespace mox {

MoxBundle& MoxBundle::main() {
    static MoxBundle bundle;
    return bundle;
}

std::optional<QString> MoxBundle::text(const QString& key) const {
    const QVariant value = info_.value(key);
    if (value.typeId() != QMetaType::QString) {
        return std::nullopt;
    }
    return value.toString();
}

std::optional<QString> MoxBundle::shortVersion() const {
    return text(QStringLiteral("CFBundleShortVersionString"));
}

std::optional<QString> MoxBundle::buildVersion() const {
    return text(QStringLiteral("CFBundleVersion"));
}

}  // namespace mox
