#include "main_window/alarm.h"

#include "platform/runtime.h"
#include "state/counterstate.h"

namespace zentova
{

bool alarmDue(const QTime &now, int16_t timerOn, int16_t alarmHour, int16_t alarmMinute)
{
    return timerOn == FlagOn && now.isValid() && now.hour() == alarmHour &&
           now.minute() == alarmMinute && now.second() == 0;
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
