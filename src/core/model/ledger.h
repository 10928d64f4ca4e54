// Countday.ini, beside Countdata.dat: the open day's own accounting, kept
// with every store so that a start needs nothing of the count log but what
// was appended after it.
//
//   [Day]
//   Date=2026-12-07          the open day
//   Hour=6                   the turn hour it opened with
//   Start=2026-12-07T06:00:00
//   End=2026-12-08T06:00:00
//   Worked=3,0,12,0,0        the day's line so far
//   Hours=...                120 numbers: each hour's counts, from the turn hour
//   [Log]
//   File=Countlog-2026-12.csv  the file the day's lines went to last
//   Size=40213               its size after them
//   Logged=5,0,12,0,0        what the day's lines in the log add up to
//   Counts=5,0,12,0,0        the counts of the record written with it
//   Journal=9c4e...          the random id of the log file as this strip
//   Device=2049              has it (its device and inode): a file moved,
//   Inode=1311               replaced or copied is another journal
//   Check=3f2a...            a hash of all the above: an edited file is not believed
#pragma once

#include "core/history/chartdata.h"
#include "core/model/daybounds.h"
#include "core/state/countlog.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace zentova
{

struct Ledger {
    DayBounds bounds;
    CounterSums worked{};
    HourCounts hours{};
    QString logFile; // a name in the data folder
    qint64 logSize = 0;
    CounterSums logged{};
    // The counts it was kept with: a record that differs was not written
    // with it (a kill between the two).
    CounterSums counts{};
    QString journal;
    qint64 logDevice = 0;
    qint64 logInode = 0;
    bool operator==(const Ledger &) const = default;
};

QString ledgerPath();
QByteArray ledgerText(const Ledger &ledger);
// Nothing where the text is not a whole ledger, or was changed since the
// program wrote it (a ledger without its check, as older copies wrote it, is
// taken).
std::optional<Ledger> parseLedger(const QByteArray &text);
// Whether the log agrees with the ledger: it is at least as long, a line of
// it ends where the ledger says, and that line leaves its counter where the
// ledger's sums do (none of the day's lines before it: sums of zero). A log
// that is not there cannot disagree.
bool ledgerAgreesWithLog(const Ledger &ledger, const QString &logPath);

} // namespace zentova
