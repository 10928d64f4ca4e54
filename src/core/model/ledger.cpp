#include "core/model/ledger.h"

#include "core/files/folders.h"

#include <QCryptographicHash>
#include <QFile>
#include <QHash>
#include <QList>
#include <algorithm>
#include <climits>

namespace zentova
{

namespace
{

template <typename Numbers> QByteArray joined(const Numbers &numbers)
{
    QByteArray out;
    for (const auto n : numbers)
        out += (out.isEmpty() ? "" : ",") + QByteArray::number(n);
    return out;
}

// Exactly `count` whole numbers.
std::optional<QList<qint64>> numbers(const QByteArray &text, int count)
{
    const QList<QByteArray> parts = text.split(',');
    if (parts.size() != count)
        return std::nullopt;
    QList<qint64> out;
    for (const QByteArray &part : parts) {
        bool ok = false;
        const qint64 n = part.toLongLong(&ok);
        if (!ok)
            return std::nullopt;
        out << n;
    }
    return out;
}

QByteArray checkOf(const QByteArray &text)
{
    return QCryptographicHash::hash(text, QCryptographicHash::Sha1).toHex().left(16);
}

QDateTime timeOf(const QByteArray &text)
{
    return QDateTime::fromString(QString::fromLatin1(text), Qt::ISODate);
}

} // namespace

QString ledgerPath()
{
    return dataFolder() + QStringLiteral("/Countday.ini");
}

QByteArray ledgerText(const Ledger &l)
{
    QList<qint64> hours;
    for (const auto &hour : l.hours)
        hours.append(QList<qint64>(hour.begin(), hour.end()));
    const QByteArray text = "[Day]\nDate=" + l.bounds.day.toString(Qt::ISODate).toLatin1() +
           "\nHour=" + QByteArray::number(l.bounds.hour) +
           "\nStart=" + l.bounds.start.toString(Qt::ISODate).toLatin1() +
           "\nEnd=" + l.bounds.end.toString(Qt::ISODate).toLatin1() +
           "\nWorked=" + joined(l.worked) + "\nHours=" + joined(hours) +
           "\n[Log]\nFile=" + l.logFile.toUtf8() + "\nSize=" + QByteArray::number(l.logSize) +
           "\nLogged=" + joined(l.logged) + "\nCounts=" + joined(l.counts) +
           "\nJournal=" + l.journal.toLatin1() + "\nDevice=" + QByteArray::number(l.logDevice) +
           "\nInode=" + QByteArray::number(l.logInode) + '\n';
    return text + "Check=" + checkOf(text) + '\n';
}

std::optional<Ledger> parseLedger(const QByteArray &text)
{
    // Written whole, it ends with its last line's end.
    const qsizetype check = text.indexOf("\nCheck=");
    if (!text.endsWith('\n') ||
        (check >= 0 && text.mid(check + 7).trimmed() != checkOf(text.left(check + 1))))
        return std::nullopt;
    QHash<QByteArray, QByteArray> values;
    for (const QByteArray &line : text.split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            values.insert(line.left(equals).trimmed(), line.mid(equals + 1).trimmed());
    }
    Ledger l;
    bool hourOk = false, sizeOk = false;
    l.bounds.day = QDate::fromString(QString::fromLatin1(values.value("Date")), Qt::ISODate);
    l.bounds.hour = values.value("Hour").toInt(&hourOk);
    l.bounds.start = timeOf(values.value("Start"));
    l.bounds.end = timeOf(values.value("End"));
    l.logFile = QString::fromUtf8(values.value("File"));
    l.logSize = values.value("Size").toLongLong(&sizeOk);
    l.journal = QString::fromLatin1(values.value("Journal")); // none before journals had ids
    l.logDevice = values.value("Device").toLongLong();
    l.logInode = values.value("Inode").toLongLong();
    const auto worked = numbers(values.value("Worked"), CounterCount);
    const auto logged = numbers(values.value("Logged"), CounterCount);
    const auto counts = numbers(values.value("Counts"), CounterCount);
    const auto hours = numbers(values.value("Hours"), 24 * CounterCount);
    if (!l.bounds.isValid() || !hourOk || l.bounds.hour < 0 || l.bounds.hour > 23 ||
        l.bounds.end <= l.bounds.start || !sizeOk || l.logSize < 0 || !worked || !logged ||
        !counts || !hours || l.logFile.contains(u'/'))
        return std::nullopt;
    for (int i = 0; i < CounterCount; ++i) {
        l.worked[size_t(i)] = int(std::clamp<qint64>((*worked)[i], 0, INT_MAX));
        l.logged[size_t(i)] = int(std::clamp<qint64>((*logged)[i], INT_MIN, INT_MAX));
        l.counts[size_t(i)] = int(std::clamp<qint64>((*counts)[i], INT_MIN, INT_MAX));
        for (int h = 0; h < 24; ++h)
            l.hours[size_t(h)][size_t(i)] = (*hours)[h * CounterCount + i];
    }
    return l;
}

bool ledgerAgreesWithLog(const Ledger &ledger, const QString &logPath)
{
    QFile log(logPath);
    if (!log.open(QIODevice::ReadOnly))
        return true;
    const auto noneYet = [&] {
        return std::all_of(ledger.logged.begin(), ledger.logged.end(), [](int n) { return n == 0; });
    };
    if (log.size() < ledger.logSize)
        return false;
    if (ledger.logSize == 0)
        return noneYet();
    // The line that ends where the ledger says: a line is far shorter.
    constexpr qint64 kLongestLine = 4096;
    const qint64 from = std::max<qint64>(0, ledger.logSize - kLongestLine);
    if (!log.seek(from))
        return false;
    const QByteArray tail = log.read(ledger.logSize - from);
    if (!tail.endsWith('\n'))
        return false;
    const qsizetype start = tail.lastIndexOf('\n', tail.size() - 2) + 1;
    if (start == 0 && from > 0)
        return false;
    const QList<LogEntry> last = parseCountLog(tail.mid(start));
    if (last.size() != 1 || last[0].at < ledger.bounds.start || last[0].at >= ledger.bounds.end)
        return noneYet();
    return ledger.logged[size_t(last[0].counter)] == last[0].count;
}

} // namespace zentova
