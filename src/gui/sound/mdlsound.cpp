#include "gui/sound/mdlsound.h"

#include "core/base/runtime.h"
#include "core/files/folders.h"
#include "gui/sound/chimeplayer.h"

#include <QFile>
#include <QFileInfo>

namespace zentova
{

QByteArray gChimeData;

QString chimePath(const QString &name)
{
    const QString besideProgram = appFolder() + QLatin1Char('/') + name;
    if (dataBesideProgram())
        return besideProgram;

    const QString inUserFolder = userDataFolder() + QLatin1Char('/') + name;
    if (QFileInfo::exists(inUserFolder))
        return inUserFolder;
    if (folderIsPrivate(appFolder()) && QFileInfo::exists(besideProgram))
        return besideProgram;
    const QString installed = installedChimePath();
    if (!installed.isEmpty() && name == QLatin1String("Chimes.wav"))
        return installed;
    return dataFolder() + QLatin1Char('/') + name;
}

void LoadChime(const QString &name)
{
    stopChime();
    const QString path = chimePath(name);
    requireRegularFileOrMissing(path);

    QFile file(path);
    // An existing chime is only read, so a read-only installed copy plays; a
    // missing one is created empty, so the user sees where a chime of their
    // own goes.
    const bool exists = QFileInfo::exists(path);
    if (!file.open(exists ? QIODevice::ReadOnly : QIODevice::ReadWrite)) {
        if (!QFileInfo(QFileInfo(path).absolutePath()).isDir())
            raiseError(ErrorCode::PathNotFound);
        raiseError(ErrorCode::PathFileAccessError);
    }
    const qint64 length = file.size();
    if (length > MaxChimeBytes) {
        // Far more than any chime: reading it would freeze the strip and hold
        // the memory all day. The alarm rings with the desktop's beep instead.
        gChimeData = QByteArray(1, '\0');
        return;
    }
    QByteArray data(qsizetype(length) + 1, '\0');
    qint64 done = 0;
    while (done < length) {
        const qint64 got = file.read(data.data() + done, length - done);
        if (got <= 0)
            break; // the file shrank under us: the rest stays zero
        done += got;
    }
    gChimeData = data;
}

void PlayChime()
{
    try {
        if (!soundOutput().playImage(gChimeData))
            soundOutput().beep();
    } catch (...) {
        // The chime never stops the alarm.
    }
    // The output keeps its own decoded copy; the file's image is not needed
    // until the next alarm loads it again.
    gChimeData = QByteArray();
}

void stopChime()
{
    soundOutput().stop();
}

} // namespace zentova
