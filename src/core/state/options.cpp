#include "core/state/options.h"

#include "core/base/runtime.h"
#include "core/files/folders.h"

#include <QSettings>
#include <QUuid>
#include <pwd.h>
#include <unistd.h>

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

TeamOptions readTeamOptions()
{
    QSettings ini(optionsPath(), QSettings::IniFormat);
    TeamOptions team;
    if (ini.status() != QSettings::NoError)
        return team;
    team.server = ini.value(QStringLiteral("Team/Server")).toString().trimmed();
    team.name = ini.value(QStringLiteral("Team/Name")).toString().trimmed();
    team.folder = ini.value(QStringLiteral("Team/Folder")).toString().trimmed();
    return team;
}

TeamOptions writeTeamOptions(const TeamOptions &shown, const TeamOptions &chosen)
{
    {
        QSettings ini(optionsPath(), QSettings::IniFormat);
        if (chosen.server != shown.server)
            ini.setValue(QStringLiteral("Team/Server"), chosen.server);
        if (chosen.name != shown.name)
            ini.setValue(QStringLiteral("Team/Name"), chosen.name);
        if (chosen.folder != shown.folder)
            ini.setValue(QStringLiteral("Team/Folder"), chosen.folder);
        ini.sync();
        if (ini.status() != QSettings::NoError)
            raiseError(ErrorCode::PathFileAccessError);
    }
    return readTeamOptions();
}

QString defaultTeamName()
{
    if (const passwd *account = ::getpwuid(::getuid())) {
        // The full name is the first field of the comment.
        const QString full = QString::fromLocal8Bit(account->pw_gecos).section(u',', 0, 0);
        if (!full.trimmed().isEmpty())
            return full.trimmed();
        return QString::fromLocal8Bit(account->pw_name);
    }
    return qEnvironmentVariable("USER");
}

QString teamFolderId()
{
    const TeamOptions stored = readTeamOptions();
    if (!stored.folder.isEmpty())
        return stored.folder;
    TeamOptions made = stored;
    made.folder = QUuid::createUuid().toString(QUuid::WithoutBraces);
    return writeTeamOptions(stored, made).folder;
}

} // namespace zentova
