// Usage: tovra_icon_renderer OUTPUT_DIR. Writes the application icon at the sizes desktop icon
// themes hold, as OUTPUT_DIR/NxN/apps/invalid.moxworks.tovra.png.
#include <QDir>
#include <QGuiApplication>
#include <cstdio>

#include "MoxUI/MoxBrandPack.h"
#include "Tovra/ui/StatusGlyph.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tovra_icon_renderer OUTPUT_DIR\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QDir root(QString::fromLocal8Bit(argv[1]));
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
        const QString folder = root.filePath(QStringLiteral("%1x%1/apps").arg(size));
        const QString file = folder + QStringLiteral("/invalid.moxworks.tovra.png");
        if (!QDir().mkpath(folder) ||
            !tovra::StatusGlyph::applicationIcon(size, mox::MoxBrandPack::tovra().accent)
                 .save(file)) {
            std::fprintf(stderr, "tovra_icon_renderer: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
