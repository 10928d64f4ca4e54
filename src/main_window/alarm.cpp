#include "main_window/alarm.h"

#include "platform/runtime.h"
#include "state/counterstate.h"

namespace zentova
{

bool alarmDue(const QTime &previous, const QTime &now, int16_t timerOn, int16_t alarmHour,
              int16_t alarmMinute)
{
    const auto inAlarmMinute = [&](const QTime &t) {
        return t.isValid() && t.hour() == alarmHour && t.minute() == alarmMinute;
    };
    if (timerOn != FlagOn || !inAlarmMinute(now))
        return false;
    return now.second() == 0 || (previous.isValid() && !inAlarmMinute(previous));
}

QString alarmMessage(int16_t alarmHour, int16_t alarmMinute)
{
    return QStringLiteral("は～い！！　") + formatTwoDigits(alarmHour) + QStringLiteral("時 ") +
           formatTwoDigits(alarmMinute) + QStringLiteral("分でーす♪");
}

QString alarmTitle()
{
    return QStringLiteral("タイマーアラーム");
}

} // namespace zentova
