// The counters and their days, owned by the run: the five counters' values
// and titles, the lap flag and the alarm (under the names the handlers use),
// the day they are counted in, and that day's line as it grows. The strip,
// the settings dialog, the count server, the autosave and the history window
// all ask it, and learn of every change from its signals.
//
// The day's rules:
// - A change belongs to the open day, stamped at the moment it was accepted:
//   a count held while a box was open keeps its time.
// - A day closes exactly once, at the first moment after its end that the
//   program looks (a tick, a change, a store at an end); its line comes from
//   the tallies kept here, never from reading the log back.
// - The clock going back never reopens a closed day: what is counted while
//   it shows a closed day is the open day's, stamped at its start.
// - A new turn hour takes effect at the next turn: the open day keeps the
//   bounds it opened with.
// - The count log is this object's journal: its lines are appended with each
//   store, exactly once, and Countday.ini keeps the tallies and where the
//   journal stood, so that a start reads only what came after.
#pragma once

#include "core/history/chartdata.h"
#include "core/history/dayhours.h"
#include "core/history/history.h"
#include "core/model/daybounds.h"
#include "core/model/ledger.h"
#include "core/state/counterstate.h"
#include "core/state/countlog.h"
#include "core/state/countrecord.h"
#include "core/state/options.h"

#include <QDateTime>
#include <QObject>
#include <QSet>
#include <functional>
#include <optional>

namespace zentova
{

// A line of the count log as it was written: its change, the day it belongs
// to, and where it stands (the file's name in the data folder and the byte
// it starts at). With the journal's id (the random id of that file as this
// strip appends to it, new for a file moved, replaced, cut or copied) the
// place names it for good: no other line anywhere has both.
struct JournalLine {
    LogEntry entry;
    QDate day;
    QString file;
    qint64 offset = 0;
    QString journal;
    int worked = 0; // what it changed the day's line by
};

class CounterModel : public QObject
{
    Q_OBJECT
public:
    CounterModel();

    // The counters. Values change only through the calls below, so that each
    // change reaches the day's line and the journal.
    int16_t gCount(int index) const { return m_counts(index); }
    const QString &gTitle(int index) const { return m_titles(index); }
    const CounterArray<QString> &titles() const { return m_titles; }
    int16_t gLapOn() const { return m_lapOn; }
    int16_t gTimerOn() const { return m_timerOn; }
    int16_t gAlarmHour() const { return m_alarmHour; }
    int16_t gAlarmMinute() const { return m_alarmMinute; }
    // What Countdata.dat held at start-up; at the close, what is written.
    const CountRecord &gSaved() const { return m_saved; }

    // The titles, the lap flag and the alarm are set one by one, as the
    // settings' OK and the start take them: each call tells its signal.
    // A title changes no count (an emptied counter is set to 0 first).
    void setTitle(int index, const QString &title);
    void setLapOn(int16_t on);
    void setTimerOn(int16_t on);
    void setAlarmHour(int16_t hour);
    void setAlarmMinute(int16_t minute);
    // The record the close writes (record() as it stands at the close).
    void setSaved(const CountRecord &record);

    // Start-up. Reads Countdata.dat into gSaved (runtime errors pass), the
    // options and Countday.ini; closes any difference between the journal and
    // the record with a correction line; keeps a finished stored day's line.
    // The counts stay 0 until restore() answers.
    void LoadCountData();
    // Where the stored counts are of the open day, the restore prompt asks.
    bool offersRestore() const { return m_offersRestore; }
    // The answer (nothing to answer: false): Yes takes the stored counts
    // back, No sets them aside and starts the day's line again. Changes that
    // came before it were held, and follow now.
    void restore(bool yes);
    bool isLoading() const { return m_loading; }
    // What the start has to tell (a day kept aside as its dated copy).
    std::optional<QString> takeStartMessage() { return std::exchange(m_startMessage, {}); }

    // A click, a key, `--count`: +1 adds the counter's step (`by` where it is
    // given, `--count N --by K`), -1 takes the step away and never goes
    // below zero. Held changes pass the time they were accepted.
    void count(int index, int delta, const QDateTime &at = {}, int by = 0);
    // Why a count asked from outside the strip (`--count`) is not made: a
    // counter with no title is not on the strip, and a count past 32767 is
    // not made. A click or a key is never refused: the strip says why.
    enum class Refusal { None, Untitled, Limit };
    Refusal refusal(int index, int delta, int by = 0) const;
    // The menu's 0 に戻す: the counters to 0 at once, one change that can be
    // taken back; the day's line and hours keep the work done before.
    void reset(const QList<int> &indexes, const QDateTime &at = {});
    // The settings dialog sets a count outright.
    void setCount(int index, int16_t value, LogKind kind = LogKind::Settings,
                  const QDateTime &at = {});

    // Taking back a slip. Each click, key, `--count` and each OK of the
    // settings dialog (its sets between beginChanges and endChanges) is one
    // change; the last fifty of the open day can be taken back, newest
    // first, each a 取消 line in the log that the day's line does not count.
    void beginChanges();
    void endChanges();
    bool canUndo() const { return !m_undo.isEmpty(); }
    // Whether an undo asked at `at` would find something: one asked after
    // the turn finds nothing of the day before.
    bool canUndoAt(const QDateTime &at) const
    {
        return canUndo() && (!m_open.isValid() || at < m_open.end);
    }
    // What undo() would take back, as the menu says it: 電話 +1 (14:03).
    QString undoLabel() const;
    // False where there is nothing to take back. An undo that waited (behind
    // a box) passes the time it was asked for: asked after the day turned,
    // it finds nothing of the day before.
    bool undo(const QDateTime &at = {});

    // A finished day's line corrected in the history: a 修正 line for each
    // counter that changes, timed at the day's last second, in its month's
    // log, then the line in history.csv replaced, and the team told. One
    // change that 元に戻す takes back as another correction. Runtime errors
    // pass; where the history cannot be written, the log takes its lines
    // back and nothing has changed.
    void correctDay(const HistoryDay &before, const HistoryDay &after);

    // Days.
    const DayBounds &openDay() const { return m_open; }
    // Closes the open day where `now` is past its end: its line is kept, the
    // counts carried or reset, the next day opened. True where it closed.
    bool passTurn(const QDateTime &now);
    const DayOptions &options() const { return m_options; }
    // Whether the counter's day's line has reached its target today: once
    // reached it stays so for the rest of the day, unless the change that
    // reached it is taken back.
    bool isTargetMet(int index) const;
    // The options in force from now; a new turn hour from the next turn.
    void setOptions(const DayOptions &options);
    // The open day's line as it stands, and its hours.
    HistoryDay openDayLine() const;
    const HourCounts &openDayHours() const { return m_hours; }

    // The record of the live state, dated with the open day.
    CountRecord record() const;
    // Stores everything: a finished day that waits for its line, the
    // journal's waiting lines, Countday.ini, then Countdata.dat with
    // record(). A finished day that can be kept nowhere leaves
    // Countdata.dat as it is (it still holds that day). Runtime errors pass;
    // the journal's own errors are told once by problem() and its lines wait.
    void store();
    // Writes gSaved as it stands (the close's last step).
    void SaveCountData();

    // Told of every line as soon as the log holds it, before Countday.ini
    // says so; at start-up, again of the lines a kill left unsaid there. A
    // line may be told twice, never left out. Set before LoadCountData().
    using JournalSink = std::function<void(const QList<JournalLine> &)>;
    void setJournalSink(JournalSink sink) { m_sink = std::move(sink); }

signals:
    // A counter's value changed.
    void countChanged(int index);
    // Anything that is stored changed.
    void changed();
    // A day closed and the next opened.
    void dayTurned(const QDate &finished, const QDate &opened);
    // A change (never an undo) brought the counter to its day's target.
    void targetReached(int index);
    // A counter's title changed.
    void titleChanged(int index);
    // A finished day's line was corrected (or the correction taken back).
    void dayCorrected(const QDate &day);
    // The lap flag, or anything of the alarm, changed.
    void lapChanged();
    void alarmChanged();
    // Something the user should hear of once (the journal cannot be written).
    void problem(const QString &message);

private:
    struct Held {
        int index;
        int delta;
        QDateTime at;
        int by;
    };
    struct Pending {
        LogEntry entry;
        QDate day;
        int worked = 0;
    };
    struct Unkept {
        HistoryDay day;
        CountRecord record;
        std::optional<KeptHours> hours;
    };
    // One counter's part of a change, as it can be taken back.
    struct Part {
        int index;
        int before;
        int after;
        int worked; // what it added to the day's work
        int hour;   // where its hours went, and how many
        int hours;
    };
    struct UndoStep {
        QList<Part> parts;
        QDateTime at;
        // A finished day's correction, as it was and as it became.
        std::optional<std::pair<HistoryDay, HistoryDay>> corrected = {};
    };
    static constexpr int UndoDepth = 50;

    // What a click adds: `by` where the command gives it, else the counter's step.
    int stepOf(int index, int by) const;
    void change(int index, int after, LogKind kind, int worked, const QDateTime &at, int hourDelta);
    void journal(const LogEntry &entry);
    void writeCorrection(const HistoryDay &from, const HistoryDay &to);
    // Keeps what waits, then Countday.ini and `record` as Countdata.dat.
    void write(const CountRecord &record);
    void keepUnkeptDays();
    void appendJournal();
    std::optional<KeptHours> keptHours() const;
    void openStoredDay(const std::optional<Ledger> &ledger);
    void closeLogOfDay(const CountRecord &record);
    void closeDay(const QDateTime &now);
    void tell(const QString &message);

    CounterArray<int16_t> m_counts;
    CounterArray<QString> m_titles;
    int16_t m_lapOn = FlagOff;
    int16_t m_timerOn = FlagOff;
    int16_t m_alarmHour = 0;
    int16_t m_alarmMinute = 0;
    CountRecord m_saved;
    DayOptions m_options;
    DayBounds m_open;
    CounterSums m_worked{};
    std::array<QDate, CounterCount> m_metOn{}; // the day each target was reached
    HourCounts m_hours{};
    bool m_hoursKnown = true; // false for a day opened from a log too long to read back
    // The open day's lines in the journal: what is appended, and where.
    CounterSums m_logged{};
    QString m_logFile;
    qint64 m_logSize = 0;
    QString m_journal;
    std::pair<qint64, qint64> m_logIdentity{}; // its device and inode
    // Whether appending to `path` goes on with the journal as this strip
    // left it: the same file, as long as it was.
    bool continuesJournal(const QString &path) const;
    QList<Pending> m_pending;
    QList<Unkept> m_unkept;
    QList<Held> m_held;
    QList<UndoStep> m_undo;
    int m_grouping = 0; // inside beginChanges/endChanges
    bool m_undoing = false;
    bool m_loading = false;
    bool m_offersRestore = false;
    std::optional<QString> m_startMessage;
    std::optional<QString> m_keptAside; // a day that went to its dated copy
    QSet<QString> m_told;
    JournalSink m_sink;
};

} // namespace zentova
