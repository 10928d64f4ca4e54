#include "core/state/countdata.h"

#include "core/files/atomicfile.h"
#include "core/files/folders.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace zentova
{

namespace
{

[[noreturn]] void raiseOpenError(const QString &path)
{
    if (!QFileInfo(QFileInfo(path).absolutePath()).isDir())
        raiseError(ErrorCode::PathNotFound);
    raiseError(ErrorCode::PathFileAccessError);
}

} // namespace

QString countDataPath()
{
    return dataFolder() + QStringLiteral("/Countdata.dat");
}

QStringList countDataLockFolders()
{
    QStringList folders{dataFolder()};
    const QString written = QFileInfo(writtenPath(countDataPath())).absolutePath();
    if (QFileInfo(written).canonicalFilePath() != QFileInfo(folders[0]).canonicalFilePath())
        folders << written;
    return folders;
}

CountRecord readRecordFile(const QString &path)
{
    requireRegularFileOrMissing(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        raiseOpenError(path);
    // Never more than one record can be read, whatever the file's size; and
    // no buffer for the largest record is made for the usual few dozen bytes
    // (a buffer of half a megabyte for each day the history reads).
    const QByteArray bytes = file.read(std::min(file.size(), qint64(MaxRecordBytes)));
    if (file.error() == QFileDevice::ReadError)
        raiseError(ErrorCode::DeviceIoError);
    return decodeRecord(bytes);
}

void writeRecordFile(const QString &path, const CountRecord &record)
{
    requireRegularFileOrMissing(path);
    writeFileAtomically(path, encodeRecord(record));
}

} // namespace zentova
