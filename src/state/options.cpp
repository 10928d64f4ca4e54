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

QString stepKey(int index)
{
    return QStringLiteral("Step/Counter%1").arg(index + 1);
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
        const int step = ini.value(stepKey(i)).toString().trimmed().toInt(&ok);
        if (ok && step >= 1 && step <= 1000)
            options.steps[size_t(i)] = step;
    }
    return options;
}

DayOptions writeDayOptions(const DayOptions &shown, const DayOptions &chosen)
{
    {
        // QSettings merges the keys set here into the file as it is on disk.
        QSettings ini(optionsPath(), QSettings::IniFormat);
        if (chosen.startHour != shown.startHour)
            ini.setValue(QStringLiteral("Day/StartHour"), chosen.startHour);
        if (chosen.resetCounts != shown.resetCounts)
            ini.setValue(QStringLiteral("Day/ResetCounts"), chosen.resetCounts);
        for (int i = 0; i < CounterCount; ++i) {
            if (chosen.targets[size_t(i)] != shown.targets[size_t(i)])
                ini.setValue(targetKey(i), chosen.targets[size_t(i)]);
            if (chosen.steps[size_t(i)] != shown.steps[size_t(i)])
                ini.setValue(stepKey(i), chosen.steps[size_t(i)]);
        }
        ini.sync();
        if (ini.status() != QSettings::NoError)
            raiseError(ErrorCode::PathFileAccessError);
    }
    return readDayOptions();
}

} // namespace zentova
