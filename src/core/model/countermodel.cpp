#include "core/model/countermodel.h"
#include "core/base/language.h"

#include "core/base/clock.h"
#include "core/files/atomicfile.h"
#include "core/files/folders.h"
#include "core/state/countdata.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <limits>
#include <QScopedValueRollback>
#include <QUuid>
#include <algorithm>
#include <sys/stat.h>

namespace zentova
{

namespace
{

// Without Countday.ini (a data folder of an earlier version), the stored
// day's tallies come from its log, read back from the end, and a day's log
// is read back once more as the day turns; a day longer than this (some
// 25,000 changes) is not read back: its counts stand as its work.
constexpr qint64 kMostLogReadBack = 1024 * 1024;

QString newJournalId()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

// A file's device and inode: zero for none.
std::pair<qint64, qint64> fileIdentity(const QString &path)
{
    struct stat st = {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {0, 0};
    return {qint64(st.st_dev), qint64(st.st_ino)};
}

// Countday.ini where it is the stored day's and may be believed. `doubted`
// where it is there but not believed: edited by hand, cut short, or at odds
// with its log (whose lines then count).
std::optional<Ledger> readLedger(const QDate &stored, bool *doubted)
{
    *doubted = false;
    const QString path = ledgerPath();
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray text = file.read(64 * 1024);
    const auto ledger = parseLedger(text);
    if (!ledger) {
        *doubted = !text.isEmpty();
        return std::nullopt;
    }
    // A kill between it and the record at the day's turn: another day's.
    if (ledger->bounds.day != stored)
        return std::nullopt;
    if (!ledgerAgreesWithLog(*ledger, dataFolder() + u'/' + ledger->logFile)) {
        *doubted = true;
        return std::nullopt;
    }
    return ledger;
}

} // namespace

CounterModel::CounterModel() : m_open(DayBounds::of(dayOf(Now()), dayStartHour())) {}

// ---------------------------------------------------------------------------
// Start-up

void CounterModel::LoadCountData()
{
    m_loading = true;
    m_offersRestore = false;
    m_saved = CountRecord();
    m_saved = readRecordFile(countDataPath());
    m_options = readDayOptions();
    setDayStartHour(m_options.startHour);
    m_worked = {};
    m_hours = {};
    m_hoursKnown = true;
    m_logged = {};

    const QDate stored = dateFromDayNumber(m_saved.SavedDate);
    const QDateTime now = Now();
    if (isStrayRecord(m_saved))
        keepStrayRecord(m_saved);
    if (m_saved.SavedDate >= 1 && stored.isValid() && !isStrayRecord(m_saved)) {
        bool doubted = false;
        openStoredDay(readLedger(stored, &doubted));
        if (doubted)
            tell(translate("Counters", "Countday.ini がカウントログと合わないため、その日の件数を"
                                       "ログから数え直しました。"));
        // Before its end, even where the clock reads an earlier day (set
        // back), the stored day is the open one: its counts are offered.
        if (now < m_open.end) {
            m_offersRestore = true;
        } else {
            CountRecord finished = m_saved;
            finished.SavedDate = dayNumber(m_open.day);
            HistoryDay line = openDayLine();
            line.titles = m_saved.Title;
            m_unkept.append({line, finished, keptHours()});
            m_open = nextDay(m_open, now, m_options.startHour);
            m_worked = {};
            m_hours = {};
            m_hoursKnown = true;
            m_logged = {};
        }
    } else {
        m_open = DayBounds::of(dayOf(now), m_options.startHour);
    }
    setDayStartHour(m_open.hour);
    // The corrections go into the log at once, as they are found.
    appendJournal();
    if (!m_unkept.isEmpty()) {
        keepUnkeptDays();
        m_startMessage = std::exchange(m_keptAside, {});
    }
    returnDatedCopies(m_open.day);
}

void CounterModel::openStoredDay(const std::optional<Ledger> &ledger)
{
    const QDate stored = dateFromDayNumber(m_saved.SavedDate);
    CounterSums tallied{}; // the counts the tallies were kept with
    if (ledger) {
        m_open = ledger->bounds;
        m_worked = ledger->worked;
        m_hours = ledger->hours;
        m_logged = ledger->logged;
        tallied = ledger->counts;
        m_logFile = dataFolder() + u'/' + ledger->logFile;
        m_logSize = ledger->logSize;
        // The journal goes on only in the very file it was written to: a
        // copied folder's log, or one put back from elsewhere, is another.
        m_logIdentity = fileIdentity(m_logFile);
        const bool sameJournal = !ledger->journal.isEmpty() &&
                                 m_logIdentity == std::pair{ledger->logDevice, ledger->logInode};
        m_journal = sameJournal ? ledger->journal : newJournalId();
        // What the journal got after Countday.ini was last written (a kill
        // between the two): in the log, though not in the record.
        QList<qint64> offsets;
        const QList<LogEntry> after = countLogAfter(m_logFile, m_logSize, &offsets);
        QList<JournalLine> told;
        CounterSums worked = m_worked;
        for (qsizetype i = 0; i < after.size(); ++i) {
            const LogEntry &e = after[i];
            if (m_open.start <= e.at && e.at < m_open.end) {
                m_logged[size_t(e.counter)] += e.delta;
                // Told as they were told before: with their change to the
                // day's line as it stood then.
                int &w = worked[size_t(e.counter)];
                const int before = w;
                w = workedAfter(e.kind, w, e.delta);
                told.append({e, m_open.day, ledger->logFile, offsets[i], m_journal, w - before});
            }
        }
        // Lines of another journal are that journal's strip's to tell.
        if (m_sink && sameJournal && !told.isEmpty())
            m_sink(told);
    } else {
        m_open = DayBounds::of(stored, m_options.startHour);
        const auto lines = countLogOfDay(stored, kMostLogReadBack);
        if (lines && !lines->isEmpty()) {
            m_logged = loggedCounts(*lines);
            m_worked = workedCounts(*lines);
            m_hours = hourCounts(*lines, m_open.hour);
        } else {
            // A day from before the log, or too long to read back: its
            // counts are its work, nothing is corrected, and its hours are
            // the log's alone.
            m_hoursKnown = false;
            for (int i = 0; i < CounterCount; ++i) {
                m_logged[size_t(i)] = m_saved.Count[size_t(i)];
                m_worked[size_t(i)] = std::max<int>(0, m_saved.Count[size_t(i)]);
            }
        }
        tallied = m_logged;
        m_logFile = countLogFileFor(stored);
        m_logSize = QFileInfo(m_logFile).size();
        m_logIdentity = fileIdentity(m_logFile);
        m_journal = newJournalId();
    }
    // The record is what the strip trusts. Tallies kept with other counts
    // (a kill between Countday.ini and the record) move by the difference
    // as a correction would; a journal that fell behind or ran ahead gets
    // one correction line a counter.
    const QDateTime at = m_open.clamp(Now());
    for (int i = 0; i < CounterCount; ++i) {
        const int count = m_saved.Count[size_t(i)];
        int &w = m_worked[size_t(i)];
        const int before = w;
        w = workedAfter(LogKind::Correction, w, count - tallied[size_t(i)]);
        const int delta = count - m_logged[size_t(i)];
        if (delta != 0)
            m_pending.append({{at, i, m_saved.Title[size_t(i)], delta, count, LogKind::Correction},
                              m_open.day,
                              w - before});
    }
}

void CounterModel::closeLogOfDay(const CountRecord &record)
{
    // The day's log as it stands (a spreadsheet may have saved it again, a
    // line may have been added by hand) against its counts: what differs is
    // closed by a correction, so that the log of every day adds up.
    const auto lines = countLogBetween(m_open.start, m_open.end, kMostLogReadBack);
    if (!lines)
        return;
    // What the file holds, lines of others included, is what later lines
    // add to.
    m_logged = loggedCounts(*lines);
    CounterSums logged = m_logged;
    for (const Pending &p : std::as_const(m_pending))
        if (p.day == m_open.day)
            logged[size_t(p.entry.counter)] += p.entry.delta;
    const QDateTime at = m_open.clamp(Now());
    for (int i = 0; i < CounterCount; ++i) {
        const int delta = record.Count[size_t(i)] - logged[size_t(i)];
        if (delta != 0)
            m_pending.append({{at, i, record.Title[size_t(i)], delta, record.Count[size_t(i)],
                               LogKind::Correction},
                              m_open.day});
    }
}

void CounterModel::restore(bool yes)
{
    if (!m_loading)
        return;
    m_loading = false;
    if (m_offersRestore) {
        m_offersRestore = false;
        // The journal holds the stored counts already. No starts the strip
        // from 0 and erases no work: the day's line and hours keep what was
        // counted, and the answer is one change that can be taken back.
        beginChanges();
        for (int i = 0; i < CounterCount; ++i) {
            m_counts(i) = m_saved.Count[size_t(i)];
            if (!yes && m_saved.Count[size_t(i)] != 0)
                change(i, 0, LogKind::NotRestored, m_worked[size_t(i)], Now(), 0);
            emit countChanged(i);
        }
        endChanges();
    }
    for (const Held &held : std::exchange(m_held, {})) {
        try {
            count(held.index, held.delta, held.at, held.by);
        } catch (const RuntimeError &) {
            // an overflow: the count is refused as a click would be
        }
    }
}

// ---------------------------------------------------------------------------
// Changes

void CounterModel::count(int index, int delta, const QDateTime &at, int by)
{
    const QDateTime when = at.isValid() ? at : Now();
    (void)m_counts(index); // an index out of range stops here, before anything waits
    if (m_loading) {
        m_held.append({index, delta, when, by});
        return;
    }
    passTurn(when);
    const int step = stepOf(index, by);
    const int w = m_worked[size_t(index)];
    if (delta > 0) {
        const int after = addInt16(m_counts(index), int16_t(step));
        change(index, after, LogKind::Count, w + step, when, step);
    } else if (m_counts(index) > 0) {
        // Below the step it goes to zero, never under.
        const int taken = std::min<int>(step, m_counts(index));
        change(index, m_counts(index) - taken, LogKind::Count, std::max(0, w - taken), when,
               -taken);
    } else {
        // Below zero (a set made it so) a right press only brings it back
        // to zero: nothing of it is work.
        change(index, 0, LogKind::Raised, w, when, 0);
    }
}

void CounterModel::reset(const QList<int> &indexes, const QDateTime &at)
{
    if (m_loading)
        return; // the strip's menu waits for the restore prompt
    const QDateTime when = at.isValid() ? at : Now();
    passTurn(when);
    beginChanges();
    for (int i : indexes)
        change(i, 0, LogKind::Reset, m_worked[size_t(i)], when, 0);
    endChanges();
}

int CounterModel::stepOf(int index, int by) const
{
    return by > 0 ? by : m_options.steps[size_t(index)];
}

CounterModel::Refusal CounterModel::refusal(int index, int delta, int by) const
{
    // While the restore prompt waits the titles are still the record's:
    // whatever the answer, they are the strip's.
    const QString &title = m_loading ? m_saved.Title[size_t(index)] : m_titles(index);
    if (title.isEmpty())
        return Refusal::Untitled;
    const int step = stepOf(index, by);
    if (delta > 0 && m_counts(index) + step > std::numeric_limits<int16_t>::max())
        return Refusal::Limit;
    return Refusal::None;
}

void CounterModel::setCount(int index, int16_t value, LogKind kind, const QDateTime &at)
{
    // A set is the settings dialog's, which held the day while it was open:
    // it never passes the turn, and one made after the turn is the day's
    // it was opened in, as are the counts it held.
    const QDateTime when = at.isValid() ? at : Now();
    const int worked = workedAfter(kind, m_worked[size_t(index)], value - m_counts(index));
    change(index, value, kind, worked, when, 0);
}

void CounterModel::change(int index, int after, LogKind kind, int worked, const QDateTime &at,
                          int hourDelta)
{
    const int before = m_counts(index);
    if (after == before)
        return;
    m_counts(index) = int16_t(after);
    const QDateTime stamp = m_open.clamp(at);
    m_pending.append({{stamp, index, m_titles(index), after - before, after, kind},
                      m_open.day,
                      worked - m_worked[size_t(index)]});
    const Part part{
        index, before, after, worked - m_worked[size_t(index)], m_open.hourIndex(stamp), hourDelta};
    const bool wasMet = isTargetMet(index);
    m_worked[size_t(index)] = worked;
    m_hours[size_t(m_open.hourIndex(stamp))][size_t(index)] += hourDelta;
    const int target = m_options.targets[size_t(index)];
    if (target > 0 && worked >= target)
        m_metOn[size_t(index)] = m_open.day;
    else if (m_undoing)
        m_metOn[size_t(index)] = QDate();
    // What a person did can be taken back (the prompt's No too); what the
    // day did (a carry, a correction) cannot.
    if (!m_undoing && isUndoable(kind)) {
        if (m_grouping > 0 && !m_undo.isEmpty() && m_undo.last().at == QDateTime())
            m_undo.last().parts.append(part);
        else
            m_undo.append({{part}, m_grouping > 0 ? QDateTime() : stamp});
        if (m_undo.size() > UndoDepth)
            m_undo.removeFirst();
    }
    if (!wasMet && !m_undoing && isTargetMet(index))
        emit targetReached(index);
    emit countChanged(index);
    emit changed();
}

bool CounterModel::isTargetMet(int index) const
{
    const int target = m_options.targets[size_t(index)];
    const QDate &on = m_metOn[size_t(index)];
    return target > 0 &&
           ((on.isValid() && on == m_open.day) || m_worked[size_t(index)] >= target);
}

// ---------------------------------------------------------------------------
// Taking back

void CounterModel::beginChanges()
{
    // An empty time marks the step that the group is filling.
    if (m_grouping++ == 0)
        m_undo.append({{}, QDateTime()});
}

void CounterModel::endChanges()
{
    if (--m_grouping > 0 || m_undo.isEmpty() || m_undo.last().at.isValid())
        return;
    if (m_undo.last().parts.isEmpty())
        m_undo.removeLast();
    else
        m_undo.last().at = m_open.clamp(Now());
}

QString CounterModel::undoLabel() const
{
    if (m_undo.isEmpty())
        return QString();
    const UndoStep &step = m_undo.last();
    const QString time = step.at.toString(QStringLiteral("HH:mm"));
    if (step.corrected)
        return translate("Counters", "修正 %1 (%2)")
            .arg(step.corrected->first.date.toString(Qt::ISODate), time);
    if (step.parts.size() != 1)
        return translate("Counters", "設定 (%1)").arg(time);
    const Part &part = step.parts.first();
    const int delta = part.after - part.before;
    // In one go: a title may hold a "%3" of its own.
    return QStringLiteral("%1 %2 (%3)")
        .arg(counterHeading(m_titles(part.index), part.index),
             (delta > 0 ? QStringLiteral("+") : QString()) + QString::number(delta), time);
}

bool CounterModel::undo(const QDateTime &at)
{
    if (m_loading)
        return false;
    passTurn(at.isValid() ? at : Now());
    if (m_undo.isEmpty())
        return false;
    const UndoStep step = m_undo.takeLast();
    if (step.corrected) {
        try {
            writeCorrection(step.corrected->second, step.corrected->first);
        } catch (...) {
            m_undo.append(step); // still there to take back
            throw;
        }
        emit changed();
        return true;
    }
    const QScopedValueRollback undoing(m_undoing, true);
    for (auto part = step.parts.crbegin(); part != step.parts.crend(); ++part) {
        const int worked = workedUndone(m_worked[size_t(part->index)], part->worked);
        change(part->index, part->before, LogKind::Undo, worked, Now(), 0);
        m_hours[size_t(part->hour)][size_t(part->index)] -= part->hours;
    }
    emit changed();
    return true;
}

void CounterModel::correctDay(const HistoryDay &before, const HistoryDay &after)
{
    // The open day is the strip's to change, through its settings.
    if (m_loading || before.date != after.date || before.date >= m_open.day ||
        before.counts == after.counts)
        return;
    writeCorrection(before, after);
    m_undo.append({{}, m_open.clamp(Now()), std::pair{before, after}});
    while (m_undo.size() > UndoDepth)
        m_undo.removeFirst();
    emit changed();
}

void CounterModel::writeCorrection(const HistoryDay &from, const HistoryDay &to)
{
    // The day's last second is within the day whatever its turn hour.
    const QDateTime at(to.date, QTime(23, 59, 59));
    const QString path = countLogFileFor(to.date);
    const auto linesOf = [&](const HistoryDay &was, const HistoryDay &now) {
        QList<LogEntry> lines;
        for (int i = 0; i < CounterCount; ++i) {
            const int delta = now.counts[size_t(i)] - was.counts[size_t(i)];
            if (delta != 0)
                lines.append({at, i, now.titles[size_t(i)], delta, now.counts[size_t(i)],
                              LogKind::Amended});
        }
        QByteArray text;
        for (const LogEntry &e : lines)
            text += countLogLine(e);
        return std::pair{lines, text};
    };
    const auto [lines, text] = linesOf(from, to);
    const qint64 size = appendLogLines(path, text);
    try {
        replaceDayLine(to);
    } catch (const RuntimeError &) {
        // The log says no more than the history does.
        try {
            appendLogLines(path, linesOf(to, from).second);
        } catch (const RuntimeError &) {
        }
        throw;
    }
    // Lines of a journal of their own: the strip's goes on in the open day's file.
    QList<JournalLine> told;
    const QString journal = newJournalId();
    qint64 offset = size - text.size();
    for (const LogEntry &e : lines) {
        told.append({e, to.date, QFileInfo(path).fileName(), offset, journal, e.delta});
        offset += countLogLine(e).size();
    }
    if (m_sink)
        m_sink(told);
    emit dayCorrected(to.date);
}

// ---------------------------------------------------------------------------
// Days

bool CounterModel::passTurn(const QDateTime &now)
{
    if (m_loading || !m_open.isValid() || !now.isValid() || now < m_open.end)
        return false;
    closeDay(now);
    return true;
}

void CounterModel::closeDay(const QDateTime &now)
{
    // Options.ini as it stands: a turn hour edited by hand counts from here.
    m_options = readDayOptions();
    const QDate finished = m_open.day;
    closeLogOfDay(record());
    m_unkept.append({openDayLine(), record(), keptHours()});
    m_open = nextDay(m_open, now, m_options.startHour);
    setDayStartHour(m_open.hour);
    m_worked = {};
    m_hours = {};
    m_hoursKnown = true;
    m_logged = {};
    m_undo.clear(); // nothing before the turn can be taken back
    const QDateTime at = m_open.clamp(now);
    for (int i = 0; i < CounterCount; ++i) {
        if (m_counts(i) == 0)
            continue;
        if (m_options.resetCounts) {
            // The finished day's log holds them; the new day starts empty.
            m_counts(i) = 0;
            emit countChanged(i);
        } else {
            m_pending.append(
                {{at, i, m_titles(i), m_counts(i), m_counts(i), LogKind::Carried}, m_open.day});
        }
    }
    // Lines already in the log for the new day (written while the clock ran
    // ahead) are no counts of it.
    closeLogOfDay(record());
    try {
        keepUnkeptDays();
    } catch (const RuntimeError &) {
        // Neither the history nor a dated copy: the next store tries again,
        // and Countdata.dat is not replaced until one of them takes it.
    }
    if (auto message = std::exchange(m_keptAside, {}))
        tell(*message);
    emit dayTurned(finished, m_open.day);
    emit changed();
}

void CounterModel::setOptions(const DayOptions &options)
{
    // A target met is the target of then: a new one is met by the day's line.
    for (int i = 0; i < CounterCount; ++i)
        if (options.targets[size_t(i)] != m_options.targets[size_t(i)])
            m_metOn[size_t(i)] = QDate();
    m_options = options;
    emit changed();
}

HistoryDay CounterModel::openDayLine() const
{
    HistoryDay day;
    day.date = m_open.day;
    for (int i = 0; i < CounterCount; ++i) {
        day.titles[size_t(i)] = m_titles(i);
        day.counts[size_t(i)] = m_worked[size_t(i)];
    }
    day.targets = m_options.targets;
    return day;
}

// ---------------------------------------------------------------------------
// Storing

CountRecord CounterModel::record() const
{
    CountRecord r;
    for (int i = 0; i < CounterCount; ++i) {
        r.Count[size_t(i)] = m_counts(i);
        r.Title[size_t(i)] = m_titles(i);
    }
    r.LapOn = m_lapOn;
    r.TimerOn = m_timerOn;
    r.AlarmHourText = intToText(m_alarmHour);
    r.AlarmMinuteText = intToText(m_alarmMinute);
    r.SavedDate = dayNumber(m_open.day);
    return r;
}

void CounterModel::keepUnkeptDays()
{
    while (!m_unkept.isEmpty()) {
        const Unkept &day = m_unkept.first();
        const auto message = keepDay(day.day, day.record);
        if (day.hours) {
            try {
                keepDayHours(day.day.date, *day.hours);
            } catch (const RuntimeError &) {
                // The log still holds them.
            }
        }
        m_unkept.removeFirst();
        if (message)
            m_keptAside = message;
    }
}

bool CounterModel::continuesJournal(const QString &path) const
{
    return !m_journal.isEmpty() && path == m_logFile && QFileInfo(path).size() == m_logSize &&
           fileIdentity(path) == m_logIdentity;
}

std::optional<KeptHours> CounterModel::keptHours() const
{
    if (!m_hoursKnown)
        return std::nullopt;
    return KeptHours{m_open.hour, m_hours};
}

void CounterModel::appendJournal()
{
    // One append for each run of lines that go to the same file.
    QHash<QDate, QString> fileOfMonth;
    while (!m_pending.isEmpty()) {
        const QDate month(m_pending.first().day.year(), m_pending.first().day.month(), 1);
        if (!fileOfMonth.contains(month))
            fileOfMonth.insert(month, countLogFileFor(month));
        const QString path = fileOfMonth.value(month);
        QByteArray lines;
        qsizetype n = 0;
        for (; n < m_pending.size(); ++n) {
            const QDate day = m_pending[n].day;
            if (QDate(day.year(), day.month(), 1) != month)
                break;
            lines += countLogLine(m_pending[n].entry);
        }
        qint64 size = 0;
        if (!continuesJournal(path))
            m_journal = newJournalId();
        try {
            size = appendLogLines(path, lines);
        } catch (const RuntimeError &e) {
            tell(translate("Counters",
                           "件数の記録 (%1) に書き込めません: %2\n"
                           "件数は Countdata.dat に保存されます。記録は書けるようになった"
                           "ときに続きから書きます。")
                     .arg(QDir::toNativeSeparators(path), e.description()));
            return;
        }
        if (path != countLogPath(month))
            tell(translate("Counters",
                           "%1 は別の形式で保存し直されているため、この月の件数の記録は %2 "
                           "に続けて書きます。")
                     .arg(QFileInfo(countLogPath(month)).fileName(), QFileInfo(path).fileName()));
        QList<JournalLine> told;
        qint64 offset = size - lines.size();
        const QString file = QFileInfo(path).fileName();
        for (qsizetype i = 0; i < n; ++i) {
            const Pending &p = m_pending[i];
            if (p.day == m_open.day)
                m_logged[size_t(p.entry.counter)] += p.entry.delta;
            told.append({p.entry, p.day, file, offset, m_journal, p.worked});
            offset += countLogLine(p.entry).size();
        }
        if (m_sink)
            m_sink(told);
        m_pending.remove(0, n);
        m_logFile = path;
        m_logSize = size;
        m_logIdentity = fileIdentity(path);
    }
}

void CounterModel::store()
{
    // An end that comes while the restore prompt waits keeps the stored
    // counts and what was counted meanwhile; the next start asks again. The
    // titles, lap and alarm are the strip's only once the prompt is answered:
    // until then they are the record's.
    const bool prompting = m_loading;
    if (prompting)
        restore(true);
    CountRecord r = record();
    if (prompting) {
        r.Title = m_saved.Title;
        r.LapOn = m_saved.LapOn;
        r.TimerOn = m_saved.TimerOn;
        r.AlarmHourText = m_saved.AlarmHourText;
        r.AlarmMinuteText = m_saved.AlarmMinuteText;
    }
    write(r);
}

void CounterModel::SaveCountData()
{
    write(m_saved);
}

void CounterModel::write(const CountRecord &record)
{
    keepUnkeptDays();
    appendJournal();
    Ledger ledger{m_open,    m_worked, m_hours, QFileInfo(m_logFile).fileName(),
                  m_logSize, m_logged, {},      m_journal,
                  m_logIdentity.first, m_logIdentity.second};
    std::copy(record.Count.begin(), record.Count.end(), ledger.counts.begin());
    writeFileAtomically(ledgerPath(), ledgerText(ledger));
    writeRecordFile(countDataPath(), record);
}

void CounterModel::tell(const QString &message)
{
    if (m_told.contains(message))
        return;
    m_told.insert(message);
    emit problem(message);
}

void CounterModel::setTitle(int index, const QString &title)
{
    if (m_titles(index) == title)
        return;
    m_titles(index) = title;
    emit titleChanged(index);
}

void CounterModel::setLapOn(int16_t on)
{
    if (std::exchange(m_lapOn, on) != on)
        emit lapChanged();
}

void CounterModel::setTimerOn(int16_t on)
{
    if (std::exchange(m_timerOn, on) != on)
        emit alarmChanged();
}

void CounterModel::setAlarmHour(int16_t hour)
{
    if (std::exchange(m_alarmHour, hour) != hour)
        emit alarmChanged();
}

void CounterModel::setAlarmMinute(int16_t minute)
{
    if (std::exchange(m_alarmMinute, minute) != minute)
        emit alarmChanged();
}

void CounterModel::setSaved(const CountRecord &record)
{
    m_saved = record;
}

} // namespace zentova
