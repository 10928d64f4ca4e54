#include "history/dayturn.h"

#include "history/history.h"
#include "platform/clock.h"
#include "state/countdata.h"
#include "state/counterstate.h"
#include "state/countlog.h"

namespace zentova
{

std::optional<QString> turnDay(const QDate &from, const QDate &to, bool resetCounts)
{
    appendPendingLog();
    const CounterSums already = loggedCounts(countLogOfDay(to));
    if (resetCounts) {
        // What the strip counted after the turn, before it could be passed
        // (a dialog was open), is the finished day's: it goes with the
        // counts that are reset. Dated at that day's last second.
        const QDateTime lastOfFrom =
            QDateTime(from.addDays(1), QTime(dayStartHour(), 0)).addSecs(-1);
        for (int i = 0; i < CounterCount; ++i) {
            const int moved = already[size_t(i)];
            if (moved == 0)
                continue;
            logEntry({lastOfFrom, i, gTitle(i), moved, gCount(i), LogKind::Correction});
            logEntry({Now(), i, gTitle(i), -moved, 0, LogKind::Correction});
        }
    }
    CountRecord finished = recordFromLiveState();
    finished.SavedDate = dayNumber(from);
    const auto historyError = keepDay(finished);

    for (int i = 0; i < CounterCount; ++i) {
        if (resetCounts)
            gCount(i) = 0; // the new day's log holds nothing by now
        else if (gCount(i) != already[size_t(i)]) {
            logEntry(
                {Now(), i, gTitle(i), gCount(i) - already[size_t(i)], gCount(i), LogKind::Carried});
        }
    }
    appendPendingLog();
    return historyError;
}

} // namespace zentova
