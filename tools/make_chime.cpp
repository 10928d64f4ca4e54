// Writes the default chime to the given path unless a file is already there.
#include "chimesynth.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_chime PATH\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    if (QFileInfo::exists(path))
        return 0;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(zentova::synthChimeWav()) < 0 ||
        !file.flush()) {
        std::fprintf(stderr, "make_chime: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
