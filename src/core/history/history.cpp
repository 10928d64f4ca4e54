#include "core/history/history.h"
#include "core/base/language.h"

#include "core/base/csv.h"

#include "core/state/countdata.h"
#include "core/state/countlog.h"
#include "core/state/options.h"

#include "core/base/clock.h"
#include "core/files/atomicfile.h"
#include "core/files/folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <cmath>

namespace zentova
{

namespace
{

const QByteArray kBom("\xEF\xBB\xBF");
const QByteArray kLineEnd("\r\n");
constexpr qsizetype kMaxJoinedLines = 64;

// The earlier day's record that neither the history nor a dated copy could
// take yet.

constexpr qsizetype kFieldsBeforeTargets = 2 + 2 * CounterCount;

// The header of a history begun before there were targets.
QByteArray headerWithoutTargets()
{
    return historyHeader().left(historyHeader().indexOf(",目標1"));
}

// YYYY-MM-DD and nothing else, read by hand: years of lines are read at
// once when the history window opens.
QDate isoDate(const QByteArray &text)
{
    const auto number = [&](int from, int digits) {
        int value = 0;
        for (int i = from; i < from + digits; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return -1;
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return {};
    const int year = number(0, 4), month = number(5, 2), day = number(8, 2);
    return year < 0 || month < 0 || day < 0 ? QDate() : QDate(year, month, day);
}

std::optional<HistoryDay> dayOfFields(const QList<QByteArray> &fields,
                                      QHash<QByteArray, DayTitles> *titles)
{
    if (fields.size() != kFieldsBeforeTargets &&
        fields.size() != kFieldsBeforeTargets + CounterCount)
        return std::nullopt;
    HistoryDay day;
    day.date = isoDate(fields[0]);
    if (!day.date.isValid())
        return std::nullopt;
    const auto titlesOfLine = [&] {
        std::array<QString, CounterCount> own;
        for (int i = 0; i < CounterCount; ++i)
            own[size_t(i)] = QString::fromUtf8(fields[1 + 2 * i]);
        return DayTitles(own);
    };
    if (!titles) {
        day.titles = titlesOfLine();
    } else {
        static thread_local QByteArray key;
        key.resize(0); // keeps its room from line to line
        for (int i = 0; i < CounterCount; ++i)
            key.append(fields[1 + 2 * i]).append('\0');
        if (const auto known = titles->constFind(key); known != titles->cend())
            day.titles = *known;
        else
            day.titles = *titles->insert(key, titlesOfLine());
    }
    for (int i = 0; i < CounterCount; ++i) {
        bool ok = false;
        day.counts[size_t(i)] = fields[2 + 2 * i].toInt(&ok);
        if (!ok || day.counts[size_t(i)] < -32768 || day.counts[size_t(i)] > 32767)
            return std::nullopt;
    }
    bool ok = false;
    fields[kFieldsBeforeTargets - 1].toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    for (int i = 0; i < CounterCount && kFieldsBeforeTargets + i < fields.size(); ++i) {
        const int target = fields[kFieldsBeforeTargets + i].toInt(&ok);
        if (!ok || target < 0 || target > 32767)
            return std::nullopt;
        day.targets[size_t(i)] = target;
    }
    return day;
}

QByteArray readHistoryFile(const QString &path)
{
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return QByteArray();
    if (!QFileInfo(path).isFile())
        raiseError(ErrorCode::PathFileAccessError);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        raiseError(ErrorCode::PermissionDenied);
    const QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError)
        raiseError(ErrorCode::DeviceIoError);
    return text;
}

// A line of the text from `from`, without its line end; `next` is where the
// line after it starts.
QByteArrayView lineAt(const QByteArray &text, qsizetype from, qsizetype &next)
{
    const qsizetype end = text.indexOf('\n', from);
    next = end < 0 ? text.size() : end + 1;
    QByteArrayView line(text.constData() + from, (end < 0 ? text.size() : end) - from);
    return line.endsWith('\r') ? line.chopped(1) : line;
}

// Hands `take` each record of a history text in order: its bytes, and the
// day it holds where it is a day's line. A title with a line break spans
// lines inside its quotes: five titles of the dialog's five characters make
// at most 25 breaks, a title of the data file's own more. A stray quote must
// not swallow the lines after it: lines are only joined where together they
// make a day's line, and never more than kMaxJoinedLines. The lines are read
// where they stand, so a long history costs its days and no copy of itself.
template <typename Take>
void walkHistory(const QByteArray &text, QHash<QByteArray, DayTitles> *titles, Take take)
{
    for (qsizetype at = text.startsWith(kBom) ? kBom.size() : 0; at < text.size();) {
        qsizetype next = 0;
        const QByteArrayView first = lineAt(text, at, next);
        QByteArrayView record = first;
        QByteArray joinedLines; // only for a record of more than one line
        qsizetype after = next;
        int joined = 0;
        bool open = first.count('"') % 2 == 1;
        while (open && after < text.size() && joined < kMaxJoinedLines) {
            const QByteArrayView more = lineAt(text, after, after);
            if (joined == 0)
                joinedLines = first.toByteArray();
            joinedLines += "\r\n";
            joinedLines += more;
            record = joinedLines;
            ++joined;
            open = open != (more.count('"') % 2 == 1);
        }
        const auto fields = csvFields(record, kFieldsBeforeTargets + CounterCount);
        auto day = fields ? dayOfFields(*fields, titles) : std::nullopt;
        if (joined > 0 && !day) {
            take(first, std::nullopt);
            at = next;
            continue;
        }
        take(record, std::move(day));
        at = after;
    }
}

// Whether `text` is UTF-8 throughout: a history a spreadsheet saved as
// UTF-16 (or in a code page) is not one this program can add lines to.
bool isUtf8(const QByteArray &text)
{
    const auto *p = reinterpret_cast<const unsigned char *>(text.constData());
    const auto *end = p + text.size();
    while (p < end) {
        const unsigned char c = *p++;
        if (c == 0)
            return false;
        const int more = c < 0x80             ? 0
                         : (c & 0xE0) == 0xC0 ? 1
                         : (c & 0xF0) == 0xE0 ? 2
                         : (c & 0xF8) == 0xF0 ? 3
                                              : -1;
        if (more < 0 || (more == 1 && c < 0xC2) || end - p < more)
            return false;
        for (int k = 0; k < more; ++k) {
            if ((*p++ & 0xC0) != 0x80)
                return false;
        }
    }
    return true;
}

// The history as it stands, to add a day to. One that is not UTF-8 is left
// as it is: the day goes elsewhere.
QByteArray historyToAddTo()
{
    QByteArray text = readHistoryFile(historyPath());
    if (!isUtf8(text))
        throw RuntimeError(ErrorCode::PathFileAccessError,
                           translate("History", "UTF-8 のテキストではありません"));
    return text;
}

// The history with the record's day in its place: the line of the same
// date replaced (and any second line of that date folded into it), or a new
// line before the first later day. Lines that are no day's stay as they are.
QByteArray withDay(const QByteArray &text, const HistoryDay &day, bool exactly = false)
{
    // The usual keeping: a day later than the last line of a history in this
    // program's form, whose date no line has. The line goes at the end and
    // the lines before are not read, so years of history stay quick to keep.
    const QByteArray date = day.date.toString(Qt::ISODate).toLatin1();
    if (text.startsWith(kBom + historyHeader() + kLineEnd) && text.endsWith(kLineEnd) &&
        !text.contains('\n' + date + ',')) {
        const qsizetype from = text.lastIndexOf('\n', text.size() - kLineEnd.size() - 1) + 1;
        const auto fields = csvFields(text.mid(from, text.size() - kLineEnd.size() - from),
                                      kFieldsBeforeTargets + CounterCount);
        const auto last = fields ? dayOfFields(*fields, nullptr) : std::nullopt;
        if (last && last->date < day.date)
            return text + historyLine(day) + kLineEnd;
    }
    QList<HistoryEntry> entries = parseHistory(text);
    const bool headed = std::any_of(entries.begin(), entries.end(), [](const HistoryEntry &e) {
        return e.bytes.startsWith(historyHeader().left(historyHeader().indexOf(',')));
    });
    if (!headed)
        entries.prepend({historyHeader(), std::nullopt});
    else if (entries.first().bytes == headerWithoutTargets())
        entries.first().bytes = historyHeader(); // its lines are read the same
    qsizetype at = entries.size();
    qsizetype same = -1;
    HistoryDay kept = day;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (!entries[i].day)
            continue;
        if (entries[i].day->date == day.date) {
            // A day kept again (the clock set back, a start after a kill)
            // never loses counts its line already had, unless it is a
            // correction by hand, nor the targets it was kept with.
            for (size_t c = 0; c < kept.counts.size() && !exactly; ++c)
                kept.counts[c] = std::max(kept.counts[c], entries[i].day->counts[c]);
            if (same < 0 && entries[i].day->targets != decltype(kept.targets){})
                kept.targets = entries[i].day->targets;
            if (same < 0)
                same = i;
            else
                entries[i].bytes.clear(); // the second line of the date: folded in
            continue;
        }
        if (entries[i].day->date > day.date && at == entries.size())
            at = i;
    }
    entries.removeIf([](const HistoryEntry &e) { return e.day && e.bytes.isEmpty(); });
    if (same >= 0)
        entries[same] = {historyLine(kept), kept};
    else
        entries.insert(at, {historyLine(kept), kept});
    QByteArray out = kBom;
    for (const HistoryEntry &e : entries)
        out += e.bytes + kLineEnd;
    return out;
}

// Countdata-YYYY-MM-DD.dat: the day it names.
QDate dateOfCopyName(const QString &name)
{
    static const QString prefix = QStringLiteral("Countdata-"), suffix = QStringLiteral(".dat");
    if (name.size() != prefix.size() + 10 + suffix.size() || !name.startsWith(prefix) ||
        !name.endsWith(suffix))
        return QDate();
    return QDate::fromString(name.mid(prefix.size(), 10), Qt::ISODate);
}

} // namespace

void returnDatedCopies(const QDate &today)
{
    const QDir folder(dataFolder());
    QStringList returned;
    try {
        // Matched by hand, as the leftovers are: no regular expression at start.
        // The history is read only where there are copies to add.
        std::optional<QByteArray> text;
        for (const QString &name : folder.entryList(QDir::Files | QDir::NoSymLinks)) {
            const QDate date = dateOfCopyName(name);
            if (!date.isValid() || date >= today)
                continue;
            if (!text)
                text = historyToAddTo();
            HistoryDay day = finishedDayOf(readRecordFile(folder.filePath(name)));
            day.date = date;
            text = withDay(*text, day);
            returned << name;
        }
        if (returned.isEmpty())
            return;
        writeFileAtomically(historyPath(), *text);
    } catch (const RuntimeError &) {
        return;
    }
    for (const QString &name : std::as_const(returned))
        QFile::remove(folder.filePath(name));
}

DayTitles::DayTitles(const std::array<QString, CounterCount> &titles)
    : m_titles(std::make_shared<std::array<QString, CounterCount>>(titles))
{
}

const std::array<QString, CounterCount> &DayTitles::all() const
{
    static const std::array<QString, CounterCount> none{};
    return m_titles ? *m_titles : none;
}

const QString &DayTitles::operator[](size_t i) const
{
    return all()[i];
}

QString &DayTitles::operator[](size_t i)
{
    if (!m_titles || m_titles.use_count() > 1)
        m_titles = std::make_shared<std::array<QString, CounterCount>>(all());
    return (*m_titles)[i];
}

bool DayTitles::operator==(const DayTitles &other) const
{
    return m_titles == other.m_titles || all() == other.all();
}

qint64 HistoryDay::total() const
{
    qint64 sum = 0;
    for (int c : counts)
        sum += c;
    return sum;
}

QByteArray historyHeader()
{
    return QStringLiteral("日付,項目1,件数1,項目2,件数2,項目3,件数3,項目4,件数4,項目5,件数5,合計,"
                          "目標1,目標2,目標3,目標4,目標5")
        .toUtf8();
}

QString defusedTitle(const QString &title)
{
    static const QString starts = QStringLiteral("=+-@\t\r");
    return !title.isEmpty() && starts.contains(title[0]) ? u'\'' + title : title;
}

QByteArray historyLine(const HistoryDay &day)
{
    QByteArray line = day.date.toString(Qt::ISODate).toLatin1();
    for (int i = 0; i < CounterCount; ++i) {
        const QString &title = day.titles[size_t(i)];
        line += ',' + csvField(title) + ',' +
                QByteArray::number(day.counts[size_t(i)]);
    }
    line += ',' + QByteArray::number(day.total());
    for (int target : day.targets)
        line += ',' + QByteArray::number(target);
    return line;
}

QByteArray historyFileText(const QList<HistoryDay> &days)
{
    QByteArray out = kBom + historyHeader() + kLineEnd;
    for (const HistoryDay &day : days)
        out += historyLine(day) + kLineEnd;
    return out;
}

QString spreadsheetCell(const QString &cell)
{
    bool number = false;
    cell.toLongLong(&number); // a count below zero stays a number
    return number ? cell : defusedTitle(cell);
}

QByteArray spreadsheetText(const QList<QStringList> &rows)
{
    QByteArray out = kBom;
    for (const QStringList &row : rows) {
        QByteArrayList fields;
        for (const QString &cell : row)
            fields << csvField(spreadsheetCell(cell));
        out += fields.join(',') + kLineEnd;
    }
    return out;
}

QList<HistoryEntry> parseHistory(const QByteArray &text)
{
    QList<HistoryEntry> entries;
    walkHistory(text, nullptr, [&](QByteArrayView bytes, std::optional<HistoryDay> day) {
        entries.append({bytes.toByteArray(), std::move(day)});
    });
    return entries;
}

QList<HistoryDay> historyDays(const QByteArray &text)
{
    // Years of lines under the same few titles: each set is kept once.
    QHash<QByteArray, DayTitles> titles;
    QList<HistoryDay> days;
    walkHistory(text, &titles, [&](QByteArrayView, std::optional<HistoryDay> day) {
        if (day)
            days.append(std::move(*day));
    });
    return days;
}

QString historyPath()
{
    return dataFolder() + QStringLiteral("/history.csv");
}

QByteArray readHistoryText()
{
    return readHistoryFile(historyPath());
}

QString datedRecordPath(const QDate &date)
{
    return dataFolder() + QStringLiteral("/Countdata-") + date.toString(Qt::ISODate) +
           QStringLiteral(".dat");
}

HistoryDay dayOfRecord(const CountRecord &record)
{
    HistoryDay day;
    day.date = dateFromDayNumber(record.SavedDate);
    for (int i = 0; i < CounterCount; ++i) {
        day.titles[size_t(i)] = record.Title[size_t(i)];
        day.counts[size_t(i)] = record.Count[size_t(i)];
    }
    return day;
}

HistoryDay finishedDayOf(const CountRecord &record)
{
    HistoryDay day = dayOfRecord(record);
    // A day too long to read back at a start keeps its counts.
    const QList<LogEntry> lines = countLogOfDay(day.date, 4 * 1024 * 1024).value_or(QList<LogEntry>());
    if (!lines.isEmpty()) {
        const CounterSums worked = workedCounts(lines);
        std::copy(worked.begin(), worked.end(), day.counts.begin());
    }
    day.targets = readDayOptions().targets;
    return day;
}

std::optional<QString> keepDay(const HistoryDay &day, const CountRecord &record)
{
    try {
        writeFileAtomically(historyPath(), withDay(historyToAddTo(), day));
        return std::nullopt;
    } catch (const RuntimeError &historyError) {
        const QString copy = datedRecordPath(day.date);
        writeFileAtomically(copy, encodeRecord(record));
        return translate("History", "履歴 (history.csv) に書き込めませんでした（%1）。\n"
                                    "この日の件数は %2 に保存しました。")
            .arg(historyError.description(), QDir::toNativeSeparators(copy));
    }
}

void replaceDayLine(const HistoryDay &day)
{
    writeFileAtomically(historyPath(), withDay(historyToAddTo(), day, true));
}

bool isStrayRecord(const CountRecord &record)
{
    const QDate date = dateFromDayNumber(record.SavedDate);
    return record.SavedDate >= 1 && date.isValid() &&
           record.SavedDate != std::floor(record.SavedDate);
}

void keepStrayRecord(const CountRecord &record)
{
    const QString copy = datedRecordPath(dateFromDayNumber(record.SavedDate));
    if (!QFileInfo::exists(copy))
        writeFileAtomically(copy, encodeRecord(record));
}

} // namespace zentova
