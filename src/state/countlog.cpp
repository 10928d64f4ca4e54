#include "state/countlog.h"

#include "platform/clock.h"
#include "platform/csv.h"
#include "platform/files/atomicfile.h"
#include "platform/files/folders.h"
#include "state/counterstate.h"

#include <QFile>
#include <QMap>

namespace zentova
{

namespace
{

const char *const kTimeFormat = "yyyy-MM-dd HH:mm:ss";
constexpr qint64 kReadChunk = 64 * 1024;

QList<LogEntry> g_pending;

QString kindWord(LogKind kind)
{
    switch (kind) {
    case LogKind::Count:
        return QString();
    case LogKind::Settings:
        return QStringLiteral("設定");
    case LogKind::Carried:
        return QStringLiteral("繰越");
    case LogKind::NotRestored:
        return QStringLiteral("復元なし");
    case LogKind::Correction:
        return QStringLiteral("補正");
    }
    return QString();
}

std::optional<LogKind> kindOfWord(const QString &word)
{
    for (LogKind kind : {LogKind::Count, LogKind::Settings, LogKind::Carried, LogKind::NotRestored,
                         LogKind::Correction}) {
        if (kindWord(kind) == word)
            return kind;
    }
    return std::nullopt;
}

// "2026-12-07 09:15:02", read by hand: QDateTime::fromString with a format
// costs tens of microseconds a line, and a month's log has thousands.
QDateTime timeOfText(const QByteArray &text)
{
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' ||
        text[13] != ':' || text[16] != ':')
        return QDateTime();
    const auto number = [&](int from, int digits) {
        int n = 0;
        for (int i = from; i < from + digits; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return -1;
            n = n * 10 + (text[i] - '0');
        }
        return n;
    };
    const QDate date(number(0, 4), number(5, 2), number(8, 2));
    const QTime time(number(11, 2), number(14, 2), number(17, 2));
    if (!date.isValid() || !time.isValid())
        return QDateTime();
    return QDateTime(date, time);
}

std::optional<LogEntry> entryOfFields(const QList<QByteArray> &fields)
{
    if (fields.size() != 6)
        return std::nullopt;
    LogEntry e;
    e.at = timeOfText(fields[0]);
    bool counterOk = false, deltaOk = false, countOk = false;
    e.counter = fields[1].toInt(&counterOk) - 1;
    e.title = QString::fromUtf8(fields[2]);
    e.delta = fields[3].toInt(&deltaOk);
    e.count = fields[4].toInt(&countOk);
    const auto kind = kindOfWord(QString::fromUtf8(fields[5]));
    if (!e.at.isValid() || !counterOk || !deltaOk || !countOk || !kind || e.counter < 0 ||
        e.counter >= CounterCount)
        return std::nullopt;
    e.kind = *kind;
    return e;
}

// The tail of a month's file that holds `day` and what follows it: read
// back from the end a chunk at a time until a line two days earlier. (A line
// of the day before may follow later ones: the correction a late turn or a
// start writes into the day it closes.)
QByteArray tailFrom(const QString &path, const QDate &day)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    QByteArray tail;
    qint64 from = file.size();
    while (from > 0) {
        const qint64 start = std::max<qint64>(0, from - kReadChunk);
        if (!file.seek(start))
            return QByteArray();
        tail.prepend(file.read(from - start));
        from = start;
        // The earliest whole line in what was read: where it is of an earlier
        // day, everything of `day` is in hand.
        const qsizetype firstEnd = from > 0 ? tail.indexOf('\n') : -1;
        const QDateTime at = timeOfText(tail.mid(firstEnd + 1, 19));
        if (at.isValid() && dayOf(at) < day.addDays(-1))
            return tail.mid(firstEnd + 1);
    }
    return tail;
}

} // namespace

QString countLogPath(const QDate &day)
{
    return dataFolder() + QStringLiteral("/Countlog-") + day.toString(QStringLiteral("yyyy-MM")) +
           QStringLiteral(".csv");
}

QByteArray countLogHeader()
{
    return QByteArray("\xEF\xBB\xBF") +
           QStringLiteral("日時,項目番号,項目,増減,件数,種類\r\n").toUtf8();
}

QByteArray countLogLine(const LogEntry &e)
{
    return e.at.toString(QLatin1String(kTimeFormat)).toLatin1() + ',' +
           QByteArray::number(e.counter + 1) + ',' + csvField(e.title) + ',' +
           QByteArray::number(e.delta) + ',' + QByteArray::number(e.count) + ',' +
           csvField(kindWord(e.kind)) + "\r\n";
}

QList<LogEntry> parseCountLog(const QByteArray &text)
{
    QList<LogEntry> entries;
    for (const QList<QByteArray> &fields : csvRecords(text)) {
        if (const auto entry = entryOfFields(fields))
            entries.append(*entry);
    }
    return entries;
}

void logCountChange(int index, int before, LogKind kind)
{
    const int after = gCount(index);
    if (after != before)
        logEntry({Now(), index, gTitle(index), after - before, after, kind});
}

void logEntry(const LogEntry &entry)
{
    g_pending.append(entry);
}

void appendPendingLog()
{
    // One append a file: the lines of a month, in the order they came.
    QMap<QString, QByteArray> byFile;
    for (const LogEntry &e : std::as_const(g_pending))
        byFile[countLogPath(dayOf(e.at))] += countLogLine(e);
    QList<LogEntry> left;
    for (auto it = byFile.cbegin(); it != byFile.cend(); ++it) {
        try {
            appendToFile(it.key(), it.value(), countLogHeader());
        } catch (const RuntimeError &) {
            for (const LogEntry &e : std::as_const(g_pending))
                if (countLogPath(dayOf(e.at)) == it.key())
                    left.append(e);
        }
    }
    g_pending = left;
}

void resetCountLog()
{
    g_pending.clear();
}

QList<LogEntry> countLogOfDay(const QDate &day)
{
    QList<LogEntry> lines;
    const QList<LogEntry> stored = parseCountLog(tailFrom(countLogPath(day), day)) + g_pending;
    for (const LogEntry &e : stored)
        if (dayOf(e.at) == day)
            lines.append(e);
    return lines;
}

CounterSums loggedCounts(const QList<LogEntry> &day)
{
    CounterSums sums{};
    for (const LogEntry &e : day)
        sums[size_t(e.counter)] += e.delta;
    return sums;
}

CounterSums workedCounts(const QList<LogEntry> &day)
{
    CounterSums worked{};
    for (const LogEntry &e : day) {
        int &w = worked[size_t(e.counter)];
        switch (e.kind) {
        case LogKind::Count:
            w += e.delta;
            break;
        case LogKind::Settings:
        case LogKind::Correction:
            w = std::max(0, w + e.delta);
            break;
        case LogKind::Carried:
            break;
        case LogKind::NotRestored:
            w = 0;
            break;
        }
    }
    for (int &w : worked)
        w = std::max(0, w);
    return worked;
}

void reconcileCountLog(const CountRecord &record)
{
    // A record of a later day (the clock set back) has no log to agree with.
    const QDate day = dateFromDayNumber(record.SavedDate);
    if (record.SavedDate < 1 || !day.isValid() || day > Today())
        return;
    const QList<LogEntry> lines = countLogOfDay(day);
    const CounterSums logged = loggedCounts(lines);
    // Dated within the day it closes: after its last line, or at its start.
    const QDateTime at =
        lines.isEmpty() ? QDateTime(day, QTime(dayStartHour(), 0)) : lines.last().at;
    for (int i = 0; i < CounterCount; ++i) {
        const int stored = record.Count[size_t(i)];
        if (stored != logged[size_t(i)])
            logEntry({at, i, record.Title[size_t(i)], stored - logged[size_t(i)], stored,
                      LogKind::Correction});
    }
    appendPendingLog();
}

} // namespace zentova
