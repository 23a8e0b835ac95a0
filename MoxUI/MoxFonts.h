#pragma once

#include <QFont>
#include <QLoggingCategory>
#include <QString>
#include <QStringList>

namespace mox {

Q_DECLARE_LOGGING_CATEGORY(fontRegistrationLog)

enum class MoxFontFamily { display, body, mono, script };

/// The kit's fonts: Inter and Dancing Script from its resource bundle, with the system font in
/// their place when the bundle has none.
class MoxFonts {
  public:
    static constexpr const char* bundleName = "MoxUI_MoxUI.bundle";
    /// The files the bundle may hold, in registration order (with ".ttf" or ".otf").
    static const QStringList& fontNames();

    /// What one registration did.
    struct Registration {
        bool bundleFound = false;
        QStringList registeredFiles;
        QStringList missingFonts;
    };
    /// Registers the bundle's fonts for this process from the first of `searchLocations` that
    /// holds the bundle. Logs under "mox.ui.FontRegistration".
    static Registration registerFonts(const QStringList& searchLocations);
    /// Where the application looks for its resources: next to the program, then the usual
    /// data directories.
    static QStringList resourceLocations();
    /// Registers once per process from `resourceLocations()`.
    static void ensureRegistered();

    /// How much larger than the usual 13 px (10 pt) the desktop's own font is. The kit's sizes
    /// grow with it, so its text keeps step with every other window; they never shrink below
    /// the design, which is already small.
    static double scale();
    /// A design length in pixels at this desktop's font scale, for boxes that hold text.
    static int scaled(double designPixels);

    /// A font of that family, design size (points = pixels at 1x, grown by `scale()`) and
    /// weight; the system font of that size and weight when the family is not available.
    static QFont font(MoxFontFamily family, double size, QFont::Weight weight, bool italic = false);

    /// Whether the family can be used (cached until more fonts are registered).
    static bool isAvailable(const QString& family);

    // Text styles.
    static QFont display36() { return font(MoxFontFamily::display, 36, QFont::Bold); }
    static QFont display28() { return font(MoxFontFamily::display, 28, QFont::DemiBold); }
    static QFont display20() { return font(MoxFontFamily::display, 20, QFont::DemiBold); }
    static QFont display12() { return font(MoxFontFamily::display, 12, QFont::Medium); }
    static QFont body14() { return font(MoxFontFamily::body, 14, QFont::Normal); }
    static QFont body12() { return font(MoxFontFamily::body, 12, QFont::Normal); }
    static QFont script18() { return font(MoxFontFamily::script, 18, QFont::Normal); }
    static QFont script24() { return font(MoxFontFamily::script, 24, QFont::Bold); }

  private:
    static int& registrationCount();
};

}  // namespace mox
