#include "state/options.h"

#include "platform/files/folders.h"
#include "platform/runtime.h"

#include <QSettings>

namespace zentova
{

namespace
{

QString targetKey(int index)
{
    return QStringLiteral("Targets/Counter%1").arg(index + 1);
}

} // namespace

QString optionsPath()
{
    return dataFolder() + QStringLiteral("/Options.ini");
}

DayOptions readDayOptions()
{
    QSettings ini(optionsPath(), QSettings::IniFormat);
    DayOptions options;
    if (ini.status() != QSettings::NoError)
        return options;
    bool ok = false;
    const int hour = ini.value(QStringLiteral("Day/StartHour")).toString().toInt(&ok);
    if (ok && hour >= 0 && hour <= 23)
        options.startHour = hour;
    const QString reset = ini.value(QStringLiteral("Day/ResetCounts")).toString();
    options.resetCounts = reset == QLatin1String("true");
    for (int i = 0; i < CounterCount; ++i) {
        const int target = ini.value(targetKey(i)).toString().trimmed().toInt(&ok);
        if (ok && target >= 0 && target <= 32767)
            options.targets[size_t(i)] = target;
    }
    return options;
}

void writeDayOptions(const DayOptions &options)
{
    QSettings ini(optionsPath(), QSettings::IniFormat);
    ini.setValue(QStringLiteral("Day/StartHour"), options.startHour);
    ini.setValue(QStringLiteral("Day/ResetCounts"), options.resetCounts);
    for (int i = 0; i < CounterCount; ++i)
        ini.setValue(targetKey(i), options.targets[size_t(i)]);
    ini.sync();
    if (ini.status() != QSettings::NoError)
        raiseError(ErrorCode::PathFileAccessError);
}

} // namespace zentova
