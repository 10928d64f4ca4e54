#include "core/history/dayhours.h"

#include "core/files/folders.h"
#include "core/state/countlog.h"

#include <QFile>

namespace zentova
{

namespace
{

constexpr int kNumbers = 24 * CounterCount;

} // namespace

QString dayHoursPath()
{
    return dataFolder() + QStringLiteral("/hours.csv");
}

QByteArray dayHoursLine(const QDate &day, const KeptHours &kept)
{
    QByteArray line = day.toString(Qt::ISODate).toLatin1() + ',' + QByteArray::number(kept.startHour);
    for (const auto &hour : kept.hours)
        for (const qint64 n : hour)
            line += ',' + QByteArray::number(n);
    return line + "\r\n";
}

void keepDayHours(const QDate &day, const KeptHours &kept)
{
    appendWholeLines(dayHoursPath(), dayHoursLine(day, kept));
}

QHash<QDate, KeptHours> readKeptHours()
{
    QHash<QDate, KeptHours> kept;
    QFile file(dayHoursPath());
    if (!file.open(QIODevice::ReadOnly))
        return kept;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray &line : lines) {
        const QList<QByteArray> fields = line.trimmed().split(',');
        if (fields.size() != 2 + kNumbers)
            continue;
        const QDate day = QDate::fromString(QString::fromLatin1(fields[0]), Qt::ISODate);
        bool ok = false;
        KeptHours hours;
        hours.startHour = fields[1].toInt(&ok);
        ok = ok && day.isValid() && hours.startHour >= 0 && hours.startHour < 24;
        for (int i = 0; ok && i < kNumbers; ++i)
            hours.hours[size_t(i / CounterCount)][size_t(i % CounterCount)] =
                fields[2 + i].toLongLong(&ok);
        if (ok)
            kept.insert(day, hours);
    }
    return kept;
}

std::optional<HourTally> loggedDayHours(const QStringList &files, const DayBounds &day,
                                        const std::atomic<bool> &stop)
{
    HourTally tally(day.hour);
    for (const QString &path : files) {
        // A line of the day before may follow later ones (a correction dated
        // within the day it closes): reading starts a day earlier.
        const bool read = eachLogLineFrom(path, day.start.addDays(-1), [&](const LogEntry &e) {
            if (stop.load(std::memory_order_relaxed))
                return false;
            if (day.start <= e.at && e.at < day.end)
                tally.add(e);
            return true;
        });
        if (!read)
            return std::nullopt;
    }
    return tally;
}

} // namespace zentova
