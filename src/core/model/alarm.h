// The alarm rule of the clock tick, free of any window.
#pragma once

#include <QString>
#include <QTime>
#include <cstdint>

namespace zentova
{

// Due on the tick that falls within second 0 of the alarm minute, or on the
// first tick within that minute when the one before it came before the
// minute (a busy machine can hold a tick back past second 0), and only while
// the alarm is switched on (an alarm switched off holds 0:00, which would
// otherwise ring at every midnight). `previous` is the time of the tick before,
// invalid for the first.
bool alarmDue(const QTime &previous, const QTime &now, int16_t timerOn, int16_t alarmHour,
              int16_t alarmMinute);

// は～い！！　07時 05分でーす♪
QString alarmMessage(int16_t alarmHour, int16_t alarmMinute);

QString alarmTitle(); // タイマーアラーム

} // namespace zentova
