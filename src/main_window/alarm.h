// The alarm rule of the clock tick, free of any window.
#pragma once

#include <QString>
#include <QTime>
#include <cstdint>

namespace zentova
{

// Due on the tick that falls within second 0 of the alarm minute, and only
// while the alarm is switched on (an alarm switched off holds 0:00, which
// would otherwise ring at every midnight).
bool alarmDue(const QTime &now, int16_t timerOn, int16_t alarmHour, int16_t alarmMinute);

// は～い！！　07時 05分でーす♪
QString alarmMessage(int16_t alarmHour, int16_t alarmMinute);

QString alarmTitle(); // タイマーアラーム

} // namespace zentova
