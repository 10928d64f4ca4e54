// Writes the program's icon as PNG files of the usual sizes.
// Usage: make_icons OUTPUT_DIR
#include "gui/widgets/icon.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icons OUTPUT_DIR\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        if (!zentova::drawAppIcon(size).save(
                QStringLiteral("%1/zentova-%2.png").arg(out).arg(size)))
            return 1;
    }
    return 0;
}
