#include "core/state/countlog.h"

#include "core/base/clock.h"
#include "core/base/csv.h"
#include "core/files/atomicfile.h"
#include "core/files/folders.h"
#include "core/state/counterstate.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zentova
{

namespace
{

const char *const kTimeFormat = "yyyy-MM-dd HH:mm:ss";
constexpr qint64 kReadChunk = 64 * 1024;

} // namespace

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
    case LogKind::Undo:
        return QStringLiteral("取消");
    case LogKind::Raised:
        return QStringLiteral("ゼロ戻し");
    case LogKind::Reset:
        return QStringLiteral("リセット");
    case LogKind::Amended:
        return QStringLiteral("修正");
    }
    return QString();
}

namespace
{

std::optional<LogKind> kindOfWord(const QString &word)
{
    for (LogKind kind : {LogKind::Count, LogKind::Settings, LogKind::Carried, LogKind::NotRestored,
                         LogKind::Correction, LogKind::Undo, LogKind::Raised, LogKind::Reset,
                         LogKind::Amended}) {
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

// Where in `chunk` (of which `whole` bytes are the file's part to look at)
// the first whole line begins, where it is earlier than `before`; -1 where
// it is later. A 修正 line is timed within the past day it corrects, but
// written whenever the correction was made: it tells nothing of the lines
// around it, and the next line is looked at instead.
qsizetype firstLineBefore(const QByteArray &chunk, qsizetype whole, const QDateTime &before)
{
    static const QByteArray amended = QByteArray(",") + kindWord(LogKind::Amended).toUtf8() + '\r';
    for (qsizetype end = chunk.indexOf('\n'); end >= 0 && end < whole;) {
        const qsizetype next = chunk.indexOf('\n', end + 1);
        if (next >= 0 && next < whole && chunk.mid(end + 1, next - end - 1).endsWith(amended)) {
            end = next;
            continue;
        }
        const QDateTime at = timeOfText(chunk.mid(end + 1, 19));
        return at.isValid() && at < before ? end + 1 : -1;
    }
    return -1;
}

// Where the lines from a line earlier than `before` on begin in a month's
// file (0 where none is earlier): found back from the end a chunk at a time,
// by the first whole line of each. -1 with `most` bytes or more to go back.
qint64 startBefore(QFile &file, const QDateTime &before, qint64 most)
{
    qint64 from = file.size();
    while (from > 0) {
        if (most >= 0 && file.size() - from >= most)
            return -1;
        const qint64 start = std::max<qint64>(0, from - kReadChunk);
        if (start == 0 || !file.seek(start))
            return 0;
        // The chunk, and enough after it for the time of a line it begins.
        const QByteArray chunk = file.read(from - start + 20);
        if (const qsizetype at = firstLineBefore(chunk, from - start, before); at >= 0)
            return start + at;
        from = start;
    }
    return 0;
}

// The tail of a month's file from a line earlier than `before` on. Nothing
// past `most` bytes.
std::optional<QByteArray> tailFrom(const QString &path, const QDateTime &before, qint64 most)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return QByteArray();
    const qint64 start = startBefore(file, before, most);
    if (start < 0)
        return std::nullopt;
    if (!file.seek(start))
        return QByteArray();
    return file.readAll();
}

QString numberedLogPath(const QDate &day, int number)
{
    return dataFolder() + QStringLiteral("/Countlog-") + day.toString(QStringLiteral("yyyy-MM")) +
           (number > 1 ? QStringLiteral("-%1").arg(number) : QString()) + QStringLiteral(".csv");
}

// Cuts the file back to `size`; whatever a failed write left is gone.
void cutBack(int fd, qint64 size)
{
    while (::ftruncate(fd, off_t(size)) != 0 && errno == EINTR) {
    }
}

} // namespace

QString countLogPath(const QDate &day)
{
    return numberedLogPath(day, 1);
}

QStringList countLogFiles(const QDate &day)
{
    QStringList files;
    for (int n = 1; n < 100; ++n) {
        const QString path = numberedLogPath(day, n);
        if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
            break;
        files << path;
    }
    return files;
}

bool isOwnCountLog(const QString &path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return !QFileInfo::exists(path);
    const QByteArray header = countLogHeader();
    const QByteArray start = file.read(header.size());
    return start.isEmpty() || start == header;
}

QString countLogFileFor(const QDate &day)
{
    const QStringList files = countLogFiles(day);
    if (files.isEmpty())
        return countLogPath(day);
    if (isOwnCountLog(files.last()))
        return files.last();
    return numberedLogPath(day, int(files.size()) + 1);
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

QList<LogEntry> parseCountLog(const QByteArray &text, int *skipped, QList<qint64> *offsets)
{
    QList<LogEntry> entries;
    if (offsets)
        offsets->clear();
    int others = 0;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype end = text.indexOf('\n', start);
        if (end < 0) { // a last line left unfinished is no line yet
            ++others;
            break;
        }
        QByteArray line = text.mid(start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        const qsizetype begun = start;
        start = end + 1;
        const auto fields = csvFields(line, 6);
        const auto entry = fields ? entryOfFields(*fields) : std::nullopt;
        if (entry) {
            entries.append(*entry);
            if (offsets)
                offsets->append(begun);
        }
        else if (!line.isEmpty())
            ++others;
    }
    if (skipped)
        *skipped = others;
    return entries;
}

qint64 appendLogLines(const QString &path, const QByteArray &lines)
{
    return appendWholeLines(path, lines, countLogHeader());
}

qint64 appendWholeLines(const QString &path, const QByteArray &lines, const QByteArray &header)
{
    requireRegularFileOrMissing(path);
    const QString folder = QFileInfo(path).absolutePath();
    // Never waits on a FIFO put there after the check.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0644);
    if (fd < 0)
        raiseError(QFileInfo(folder).isDir() ? ErrorCode::PathFileAccessError
                                             : ErrorCode::PathNotFound);
    struct stat st = {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        raiseError(ErrorCode::PathFileAccessError);
    }
    qint64 size = st.st_size;
    // An unfinished last line is what a write cut short left: it is cut
    // off, not finished by the next line's start.
    if (size > 0) {
        qint64 keep = size;
        char c = 0;
        while (keep > 0 && ::pread(fd, &c, 1, off_t(keep - 1)) == 1 && c != '\n')
            --keep;
        if (keep != size) {
            cutBack(fd, keep);
            size = keep;
        }
    }
    const QByteArray out = size == 0 ? header + lines : lines;
    qint64 written = 0;
    while (written < out.size()) {
        const ssize_t n = ::pwrite(fd, out.constData() + written, size_t(out.size() - written),
                                   off_t(size + written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            cutBack(fd, size);
            ::close(fd);
            raiseError(error == EIO ? ErrorCode::DeviceIoError
                       : error == ENOSPC || error == EFBIG || error == EDQUOT
                           ? ErrorCode::DiskFull
                           : ErrorCode::PathFileAccessError);
        }
        written += n;
    }
    if (syncFileData(fd) != 0) {
        cutBack(fd, size);
        ::close(fd);
        raiseError(ErrorCode::DeviceIoError);
    }
    ::close(fd);
    return size + written;
}

std::optional<QList<LogEntry>> countLogOfDay(const QDate &day, qint64 most)
{
    // A line of the day before may follow later ones (a correction dated
    // within the day it closes): reading goes back two days.
    QList<LogEntry> lines;
    for (const QString &path : countLogFiles(day)) {
        const auto tail = tailFrom(path, QDateTime(day.addDays(-1), QTime(0, 0)), most);
        if (!tail)
            return std::nullopt;
        for (const LogEntry &e : parseCountLog(*tail))
            if (dayOf(e.at) == day)
                lines.append(e);
    }
    return lines;
}

std::optional<QList<LogEntry>> countLogBetween(const QDateTime &from, const QDateTime &to,
                                               qint64 most)
{
    QStringList files = countLogFiles(from.date());
    if (to.date().month() != from.date().month())
        files += countLogFiles(to.date());
    QList<LogEntry> lines;
    for (const QString &path : std::as_const(files)) {
        const auto tail = tailFrom(path, from.addDays(-1), most);
        if (!tail)
            return std::nullopt;
        for (const LogEntry &e : parseCountLog(*tail))
            if (from <= e.at && e.at < to)
                lines.append(e);
    }
    return lines;
}

QList<LogEntry> countLogOfDay(const QDate &day)
{
    return *countLogOfDay(day, -1);
}

bool eachLogLineFrom(const QString &path, const QDateTime &before,
                     const std::function<bool(const LogEntry &)> &each)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly) ||
        !file.seek(startBefore(file, before, -1)))
        return true;
    QByteArray rest;
    while (!file.atEnd()) {
        QByteArray chunk = rest + file.read(kReadChunk);
        const qsizetype end = chunk.lastIndexOf('\n') + 1;
        // Nothing that never ends its line is held on to.
        rest = end > 0 || chunk.size() < kReadChunk * 16 ? chunk.mid(end) : QByteArray();
        chunk.truncate(end);
        for (const LogEntry &e : parseCountLog(chunk))
            if (!each(e))
                return false;
    }
    return true;
}

QList<LogEntry> countLogAfter(const QString &path, qint64 from, QList<qint64> *offsets)
{
    if (!QFileInfo(path).isFile())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() <= from || !file.seek(from))
        return {};
    const QList<LogEntry> entries = parseCountLog(file.readAll(), nullptr, offsets);
    if (offsets)
        for (qint64 &offset : *offsets)
            offset += from;
    return entries;
}

CounterSums loggedCounts(const QList<LogEntry> &day)
{
    CounterSums sums{};
    for (const LogEntry &e : day)
        sums[size_t(e.counter)] += e.delta;
    return sums;
}

int workedAfter(LogKind kind, int worked, int delta)
{
    switch (kind) {
    case LogKind::Count:
    case LogKind::Settings:
    case LogKind::Correction:
    case LogKind::Amended:
    case LogKind::Undo: // what was taken back was never work
        return std::max(0, worked + delta);
    case LogKind::Carried:
    case LogKind::NotRestored: // the counts set aside were worked all the same
    case LogKind::Reset:
    case LogKind::Raised:
        return worked;
    }
    return worked;
}

bool isUndoable(LogKind kind)
{
    return kind == LogKind::Count || kind == LogKind::Settings || kind == LogKind::NotRestored ||
           kind == LogKind::Raised || kind == LogKind::Reset;
}

int workedUndone(int worked, int made)
{
    return std::max(0, worked - made);
}

QList<qsizetype> undoneLines(const QList<LogEntry> &day)
{
    QList<qsizetype> undone(day.size(), -1);
    std::array<QList<qsizetype>, CounterCount> open;
    for (qsizetype i = 0; i < day.size(); ++i) {
        const LogEntry &e = day[i];
        if (e.counter < 0 || e.counter >= CounterCount)
            continue;
        QList<qsizetype> &changes = open[size_t(e.counter)];
        if (e.kind == LogKind::Undo && !changes.isEmpty())
            undone[i] = changes.takeLast();
        else if (isUndoable(e.kind))
            changes.append(i);
    }
    return undone;
}

CounterSums workedCounts(const QList<LogEntry> &day)
{
    CounterSums worked{};
    QList<int> made(day.size(), 0); // the work each line made
    const QList<qsizetype> undone = undoneLines(day);
    for (qsizetype i = 0; i < day.size(); ++i) {
        const LogEntry &e = day[i];
        if (e.counter < 0 || e.counter >= CounterCount)
            continue;
        int &w = worked[size_t(e.counter)];
        const int before = w;
        // A 取消 whose change is not in the log (it could not be written)
        // is read by its own numbers.
        w = undone[i] >= 0 ? workedUndone(w, made[undone[i]]) : workedAfter(e.kind, w, e.delta);
        made[i] = w - before;
    }
    return worked;
}

} // namespace zentova
