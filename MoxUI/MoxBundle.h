#pragma once

#include <QImage>
#include <QMap>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <optional>

namespace mox {

/// The application's information dictionary (version, build, update feed keys), as the build
/// records it. The application fills the main bundle once at launch; tests make their own.
class MoxBundle {
  public:
    MoxBundle() = default;
    explicit MoxBundle(QVariantMap info) : info_(std::move(info)) {}

    static MoxBundle& main();
    void setInfo(QVariantMap info) { info_ = std::move(info); }

    [[nodiscard]] QVariant object(const QString& key) const { return info_.value(key); }
    /// The value when it is a text.
    [[nodiscard]] std::optional<QString> text(const QString& key) const;
    /// "CFBundleShortVersionString" and "CFBundleVersion".
    [[nodiscard]] std::optional<QString> shortVersion() const;
    [[nodiscard]] std::optional<QString> buildVersion() const;

    /// The bundle's named images (the application's icon).
    void setImage(const QString& name, QImage image) { images_[name] = std::move(image); }
    [[nodiscard]] QImage image(const QString& name) const { return images_.value(name); }

  private:
    QVariantMap info_;
    QMap<QString, QImage> images_;
};

}  // namespace mox
