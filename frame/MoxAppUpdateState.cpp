#include "MoxAppUpdateState.h"

namespace mox {

namespace {
QString optionalText(const std::optional<QString>& value) {
    return value ? *value : QStringLiteral("none");
}
}  // namespace

QString MoxAppUpdateState::summary() const {
    switch (kind) {
        case Kind::updateAvailable:
            return QStringLiteral("updateAvailable(version: %1)").arg(optionalText(version));
        case Kind::downloading:
            return QStringLiteral("downloading(progress: %1)")
                .arg(progress ? QString::number(*progress) : QStringLiteral("none"));
        case Kind::readyToInstall:
            return QStringLiteral("readyToInstall(version: %1)").arg(optionalText(version));
        case Kind::failed:
            return QStringLiteral("failed(message: %1)").arg(message);
        case Kind::idle:
            return QStringLiteral("idle");
        case Kind::checking:
            return QStringLiteral("checking");
        case Kind::noUpdateAvailable:
            return QStringLiteral("noUpdateAvailable");
        case Kind::installing:
            return QStringLiteral("installing");
    }
    return {};
}

}  // namespace mox
