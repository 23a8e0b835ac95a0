#include <gtest/gtest.h>

#include <QTest>
#include <cmath>

#include <QApplication>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimeZone>

#include "MoxUI/MoxBadge.h"
#include "MoxUI/MoxBrandPack.h"
#include "MoxUI/MoxButton.h"
#include "MoxUI/MoxColors.h"
#include "MoxUI/MoxDateFormatter.h"
#include "MoxUI/MoxFonts.h"
#include "MoxUI/MoxGlyph.h"
#include "MoxUI/MoxLabel.h"
#include "MoxUI/MoxSatelliteWindowPresenter.h"
#include "tests/support/ShownText.h"

namespace mox {
namespace {

QStringList logged;

void recordMessage(QtMsgType, const QMessageLogContext& context, const QString& message) {
    if (QString::fromLatin1(context.category) == QStringLiteral("mox.ui.FontRegistration")) {
        logged << message;
    }
}

class MoxUITest : public ::testing::Test {
  protected:
    void SetUp() override {
        logged.clear();
        MoxBrandPack::reset();
    }
    void TearDown() override { MoxSatelliteWindowPresenter::shared().closeAll(); }
};

/// The contrast ratio of two opaque colours, as the accessibility guidelines define it.
double contrast(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& c) {
        const auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST_F(MoxUITest, EveryTextColourReadsOnEverySurfaceAndTheHighlightIsFaint) {
    for (const QColor& surface :
         {MoxColors::background(), MoxColors::panel(), MoxColors::panel2()}) {
        for (const QColor& text :
             {MoxColors::textPrimary(), MoxColors::textSecondary(), MoxColors::textTertiary()}) {
            EXPECT_GE(contrast(text, surface), 4.5)
                << text.name().toStdString() << " on " << surface.name().toStdString();
        }
    }
    EXPECT_NEAR(MoxColors::highlight().alphaF(), 0.06, 0.001);
}

TEST_F(MoxUITest, WithoutBundledFontsEveryStyleFallsBackToTheSystemFont) {
    QTemporaryDir empty;
    const auto previous = qInstallMessageHandler(recordMessage);
    const auto result = MoxFonts::registerFonts({empty.path()});
    qInstallMessageHandler(previous);
    EXPECT_FALSE(result.bundleFound);
    EXPECT_TRUE(result.registeredFiles.isEmpty());
    EXPECT_TRUE(logged.contains("unable to find bundle named MoxUI_MoxUI"));
    EXPECT_EQ(logged.count("MoxUI: no bundled fonts found; falling back to system fonts."), 1);
    EXPECT_EQ(MoxFonts::display28().pixelSize(), 28);
}

TEST_F(MoxUITest, AnIncompleteBundleRegistersWhatItHasAndNamesWhatIsMissing) {
    QTemporaryDir root;
    const QString bundle = root.filePath(MoxFonts::bundleName);
    ASSERT_TRUE(QDir().mkpath(bundle));
    for (const char* name :
         {"Inter-VariableFont_opsz,wght.ttf", "Inter-Italic-VariableFont_opsz,wght.ttf"}) {
        ASSERT_TRUE(QFile::copy(QStringLiteral(MOXUI_BUNDLE_DIR "/") + name,
                                bundle + QStringLiteral("/") + name));
    }
    const auto previous = qInstallMessageHandler(recordMessage);
    const auto result = MoxFonts::registerFonts({QStringLiteral("/nonexistent"), root.path()});
    qInstallMessageHandler(previous);
    EXPECT_TRUE(result.bundleFound);
    EXPECT_EQ(result.registeredFiles.size(), 2);
    EXPECT_EQ(logged, QStringList{"MoxUI font missing in bundle: DancingScript-VariableFont_wght"});
}

TEST_F(MoxUITest, TheBuiltBundleGivesInterAndDancingScript) {
    const auto result = MoxFonts::registerFonts({QStringLiteral(MOXUI_BUNDLE_DIR "/..")});
    EXPECT_EQ(result.registeredFiles.size(), 3);
    EXPECT_EQ(QFontInfo(MoxFonts::body14()).family(), "Inter");
    EXPECT_EQ(QFontInfo(MoxFonts::script24()).family(), "Dancing Script");
}

TEST_F(MoxUITest, PresenterShowsOneWindowPerIdentifierUntilItCloses) {
    auto& presenter = MoxSatelliteWindowPresenter::shared();
    QWidget* first =
        presenter.present("tovra.preferences", "Tovra", 560, 620, false, new QLabel("one"));
    QWidget* again =
        presenter.present("tovra.preferences", "Tovra", 560, 620, false, new QLabel("two"));
    EXPECT_EQ(first, again);
    EXPECT_EQ(first->windowTitle(), "Tovra");
    EXPECT_EQ(first->size(), QSize(560, 620));
    first->close();
    EXPECT_EQ(presenter.window("tovra.preferences"), nullptr);
    QWidget* fresh =
        presenter.present("tovra.preferences", "Tovra", 560, 620, true, new QLabel("three"));
    EXPECT_NE(fresh, nullptr);
    EXPECT_EQ(presenter.window("tovra.preferences"), fresh);
    // Escape closes it, and so does Ctrl+W.
    fresh->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(fresh));
    QTest::keyClick(fresh, Qt::Key_Escape);
    EXPECT_EQ(presenter.window("tovra.preferences"), nullptr);
    QWidget* another = presenter.present("about", "About", 300, 200, false, new QLabel("four"));
    ASSERT_TRUE(QTest::qWaitForWindowActive(another));
    QTest::keyClick(another, Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(presenter.window("about"), nullptr);
}

TEST_F(MoxUITest, AWindowLargerThanTheScreenFitsItsFreeAreaAndItsContentScrolls) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    auto& presenter = MoxSatelliteWindowPresenter::shared();
    auto* tall = new QLabel("tall");
    tall->setMinimumHeight(area.height() * 2);
    QWidget* window =
        presenter.present("tall", "Tall", area.width() + 300, area.height() + 300, false, tall);
    EXPECT_LE(window->width(), area.width());
    EXPECT_LE(window->height(), area.height() - MoxSatelliteWindowPresenter::titleBarAllowance);
    EXPECT_TRUE(area.contains(window->frameGeometry()));  // title bar included
    const auto* scroll = window->findChild<QScrollArea*>();
    ASSERT_NE(scroll, nullptr);
    EXPECT_EQ(scroll->widget(), tall);
    EXPECT_TRUE(scroll->verticalScrollBar()->isVisible());
    window->close();
}

TEST_F(MoxUITest, TheKitsTextGrowsWithALargerDesktopFontAndNeverShrinksBelowTheDesign) {
    const QFont usual = QApplication::font();
    QFont desktop = usual;
    desktop.setPixelSize(26);
    QApplication::setFont(desktop);
    const int grown = MoxFonts::display28().pixelSize();
    const int grownButton = MoxButton::labelFont(MoxButtonSize::md).pixelSize();
    desktop.setPixelSize(9);
    QApplication::setFont(desktop);
    const int small = MoxFonts::display28().pixelSize();
    QApplication::setFont(usual);
    EXPECT_EQ(grown, 56);
    EXPECT_EQ(grownButton, 28);
    EXPECT_EQ(small, 28);
}

TEST_F(MoxUITest, LabelsAndBadgesShowTextThatLooksLikeMarkupAsItIs) {
    const QString markup = "<b>1.2</b><i>beta</i>";
    std::unique_ptr<QLabel> plain(plainLabel(markup));
    std::unique_ptr<QLabel> styled(
        styledLabel(markup, MoxFonts::body14(), MoxColors::textPrimary()));
    MoxBadge badge(markup, MoxBadgeVariant::neutral);
    for (const QLabel* label : {plain.get(), styled.get(), static_cast<QLabel*>(&badge)}) {
        EXPECT_TRUE(tovra::test::showsLiterally(*label));
    }
}

}  // namespace
}  // namespace mox

namespace mox {
namespace {

int inkedPixels(const QImage& image) {
    int inked = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            inked += qAlpha(image.pixel(x, y)) > 64 ? 1 : 0;
        }
    }
    return inked;
}

TEST(MoxDateFormatterTest, WritesTheLocalesMediumDateAndShortTime) {
    const QDateTime date(QDate(2026, 12, 6), QTime(15, 4), Qt::UTC);
    const QString english = MoxDateFormatter(QLocale("en_US")).string(date);
    EXPECT_TRUE(english.startsWith("Dec 6, 2026")) << english.toStdString();
    EXPECT_TRUE(english.contains("3:04")) << english.toStdString();
    const QString german = MoxDateFormatter(QLocale("de_DE")).string(date);
    EXPECT_TRUE(german.startsWith("06.12.2026")) << german.toStdString();
    EXPECT_TRUE(german.contains("15:04")) << german.toStdString();
    const QString french = MoxDateFormatter(QLocale("fr_FR")).string(date);
    EXPECT_TRUE(french.startsWith("6 d\u00E9c. 2026")) << french.toStdString();
    // The time is the date's own, wherever the tests run.
    const QDateTime east(QDate(2026, 12, 6), QTime(23, 30), QTimeZone(9 * 3600));
    EXPECT_TRUE(MoxDateFormatter(QLocale("de_DE")).string(east).contains("23:30"));
}

TEST(MoxGlyphTest, EveryGlyphDrawsInsideItsBoxAtEveryPixelRatio) {
    for (int raw = 0; raw <= static_cast<int>(MoxGlyph::book); ++raw) {
        const auto glyph = static_cast<MoxGlyph>(raw);
        const QPixmap normal = glyphIcon(glyph, Qt::white).pixmap(QSize(16, 16), 1.0);
        const QPixmap sharp = glyphIcon(glyph, Qt::white).pixmap(QSize(16, 16), 2.0);
        EXPECT_EQ(sharp.size(), QSize(32, 32)) << raw;  // drawn at the ratio, not scaled up
        EXPECT_GT(inkedPixels(normal.toImage()), 6) << raw;
        const QImage big = sharp.toImage();
        EXPECT_GT(inkedPixels(big), 3 * inkedPixels(normal.toImage()) / 2) << raw;
        // A glyph is a line drawing: it never floods its box.
        EXPECT_LT(inkedPixels(big), big.width() * big.height() * 3 / 4) << raw;
    }
}

TEST(MoxGlyphTest, NamesTheThemeLacksFallBackToTheDrawnGlyph) {
    const QIcon icon = themedIcon(QStringLiteral("tovra-no-such-icon"), MoxGlyph::pin, Qt::red);
    ASSERT_FALSE(icon.isNull());
    const QImage drawn = icon.pixmap(24, 24).toImage();
    EXPECT_GT(inkedPixels(drawn), 10);
    const QIcon faded = glyphIcon(MoxGlyph::pin, Qt::red);
    EXPECT_LT(inkedPixels(faded.pixmap(QSize(24, 24), QIcon::Disabled).toImage()),
              inkedPixels(drawn));
}

}  // namespace
}  // namespace mox
