#include "state/countdata.h"

#include "platform/clock.h"
#include "platform/folders.h"
#include "state/counterstate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace zentova
{

namespace
{

BeforeCommitHook g_beforeCommit = nullptr;

[[noreturn]] void raiseOpenError(const QString &path)
{
    if (!QFileInfo(QFileInfo(path).absolutePath()).isDir())
        raiseError(ErrorCode::PathNotFound);
    raiseError(ErrorCode::PathFileAccessError);
}

} // namespace

void setBeforeCommitHook(BeforeCommitHook hook)
{
    g_beforeCommit = hook;
}

QString countDataPath()
{
    return dataFolder() + QStringLiteral("/Countdata.dat");
}

void requireRegularFileOrMissing(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink() && !info.exists())
        return; // a dangling link: writing creates its target
    if (info.exists() && !info.isFile())
        raiseError(ErrorCode::PathFileAccessError);
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
    const QByteArray bytes = encodeRecord(record);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        raiseOpenError(path);
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        raiseError(ErrorCode::DiskFull);
    }
    if (g_beforeCommit)
        g_beforeCommit();
    if (!file.commit())
        raiseError(file.error() == QFileDevice::WriteError ? ErrorCode::DiskFull
                                                           : ErrorCode::PathFileAccessError);
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

void SaveCountData()
{
    writeRecordFile(countDataPath(), gSaved);
}

} // namespace zentova
