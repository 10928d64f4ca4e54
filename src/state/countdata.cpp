#include "state/countdata.h"

#include "platform/clock.h"
#include "platform/files/atomicfile.h"
#include "platform/files/folders.h"
#include "state/counterstate.h"
#include "state/countlog.h"

#include <QFile>
#include <QFileInfo>

namespace zentova
{

namespace
{

KeepBeforeReplace g_keepBeforeReplace = nullptr;

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
    // Never more than one record can be read, whatever the file's size.
    const QByteArray bytes = file.read(MaxRecordBytes);
    if (file.error() == QFileDevice::ReadError)
        raiseError(ErrorCode::DeviceIoError);
    return decodeRecord(bytes);
}

void writeRecordFile(const QString &path, const CountRecord &record)
{
    requireRegularFileOrMissing(path);
    writeFileAtomically(path, encodeRecord(record));
}

CountRecord recordFromLiveState()
{
    CountRecord r;
    for (int i = 0; i < CounterCount; ++i) {
        r.Count[size_t(i)] = gCount(i);
        r.Title[size_t(i)] = gTitle(i);
    }
    r.LapOn = gLapOn;
    r.TimerOn = gTimerOn;
    r.AlarmHourText = intToText(gAlarmHour);
    r.AlarmMinuteText = intToText(gAlarmMinute);
    r.SavedDate = dayNumber(Today());
    return r;
}

void LoadCountData()
{
    gSaved = CountRecord();
    gSaved = readRecordFile(countDataPath());
}

void storeRecord(const CountRecord &record)
{
    if (g_keepBeforeReplace)
        g_keepBeforeReplace();
    // The log first: a kill between the two leaves it ahead of the record,
    // which the next start closes with a correction.
    appendPendingLog();
    writeRecordFile(countDataPath(), record);
}

void setKeepBeforeReplace(KeepBeforeReplace keep)
{
    g_keepBeforeReplace = keep;
}

void SaveCountData()
{
    storeRecord(gSaved);
}

} // namespace zentova
