#include "core/model/alarm.h"
#include "core/base/language.h"

#include "core/base/runtime.h"
#include "core/state/counterstate.h"

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
    return translate("Strip", "は～い！！　%1時 %2分でーす♪")
        .arg(formatTwoDigits(alarmHour), formatTwoDigits(alarmMinute));
}

QString alarmTitle()
{
    return translate("Strip", "タイマーアラーム");
}

} // namespace zentova
