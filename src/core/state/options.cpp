#include "core/state/options.h"

#include "core/base/runtime.h"
#include "core/files/folders.h"
#include "core/state/keys.h"

#include <QIODevice>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QUuid>
#include <sys/stat.h>
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

QString colourKey(int index)
{
    return QStringLiteral("Colours/Counter%1").arg(index + 1);
}

QString colourText(uint32_t rgb)
{
    return u'#' + QString::number(rgb & 0xffffff, 16).rightJustified(6, u'0');
}

// Options.ini read and written as it stands, a value being the rest of its
// line: QSettings' own ini format takes a value with a comma for a list and
// cuts one at a ';' (a libpq host list `host=a,b`, a team called
// "Sales, 2nd floor"). A value in double quotes, as that format wrote one
// with a comma, is taken without them.
bool readOptionsFile(QIODevice &device, QSettings::SettingsMap &map)
{
    QString section;
    for (const QByteArray &raw : device.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            section = line.mid(1, line.size() - 2).trimmed();
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0)
            continue;
        QString value = line.mid(eq + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
            value = value.mid(1, value.size() - 2)
                        .replace(QStringLiteral("\\\""), QStringLiteral("\""))
                        .replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
        const QString key = line.left(eq).trimmed();
        map.insert(section.isEmpty() || section == QLatin1String("General") ? key
                                                                            : section + u'/' + key,
                   value);
    }
    return true;
}

bool writeOptionsFile(QIODevice &device, const QSettings::SettingsMap &map)
{
    QString section, out;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const qsizetype slash = it.key().indexOf(u'/');
        const QString keySection = slash < 0 ? QStringLiteral("General") : it.key().left(slash);
        if (keySection != section || out.isEmpty()) {
            out += (out.isEmpty() ? QString() : QStringLiteral("\n")) + u'[' + keySection +
                   QStringLiteral("]\n");
            section = keySection;
        }
        QString value = it.value().toString();
        value.replace(u'\n', u' ').replace(u'\r', u' ');
        out += it.key().mid(slash + 1) + u'=' + value + u'\n';
    }
    return device.write(out.toUtf8()) >= 0;
}

QSettings::Format optionsFormat()
{
    static const QSettings::Format format =
        QSettings::registerFormat(QStringLiteral("ini"), readOptionsFile, writeOptionsFile);
    return format;
}

// Where the data folder is: its real path, device and inode. A folder copied
// elsewhere brings its Options.ini along; it is not the same folder.
QString folderPlace()
{
    const QString folder = dataFolder();
    struct stat st = {};
    const bool known = ::stat(QFile::encodeName(folder).constData(), &st) == 0;
    return QFileInfo(folder).canonicalFilePath() + u':' +
           QString::number(known ? qint64(st.st_dev) : 0) + u':' +
           QString::number(known ? qint64(st.st_ino) : 0);
}


} // namespace

QString optionsPath()
{
    return dataFolder() + QStringLiteral("/Options.ini");
}

DayOptions readDayOptions()
{
    QSettings ini(optionsPath(), optionsFormat());
    DayOptions options;
    if (ini.status() != QSettings::NoError)
        return options;
    bool ok = false;
    const int hour = ini.value(QStringLiteral("Day/StartHour")).toString().toInt(&ok);
    if (ok && hour >= 0 && hour <= 23)
        options.startHour = hour;
    const QString reset = ini.value(QStringLiteral("Day/ResetCounts")).toString();
    options.resetCounts = reset == QLatin1String("true");
    options.chimeAtTarget =
        ini.value(QStringLiteral("Targets/Chime")).toString() == QLatin1String("true");
    for (int i = 0; i < CounterCount; ++i) {
        const int target = ini.value(targetKey(i)).toString().trimmed().toInt(&ok);
        if (ok && target >= 0 && target <= 32767)
            options.targets[size_t(i)] = target;
        const int step = ini.value(stepKey(i)).toString().trimmed().toInt(&ok);
        if (ok && step >= 1 && step <= 1000)
            options.steps[size_t(i)] = step;
        const QString colour = ini.value(colourKey(i)).toString().trimmed();
        const uint rgb = colour.mid(1).toUInt(&ok, 16);
        if (ok && colour.size() == 7 && colour.startsWith(u'#'))
            options.colours[size_t(i)] = rgb;
    }
    return options;
}

DayOptions writeDayOptions(const DayOptions &shown, const DayOptions &chosen)
{
    {
        // QSettings merges the keys set here into the file as it is on disk.
        QSettings ini(optionsPath(), optionsFormat());
        if (chosen.startHour != shown.startHour)
            ini.setValue(QStringLiteral("Day/StartHour"), chosen.startHour);
        if (chosen.resetCounts != shown.resetCounts)
            ini.setValue(QStringLiteral("Day/ResetCounts"), chosen.resetCounts);
        if (chosen.chimeAtTarget != shown.chimeAtTarget)
            ini.setValue(QStringLiteral("Targets/Chime"), chosen.chimeAtTarget);
        for (int i = 0; i < CounterCount; ++i) {
            if (chosen.targets[size_t(i)] != shown.targets[size_t(i)])
                ini.setValue(targetKey(i), chosen.targets[size_t(i)]);
            if (chosen.steps[size_t(i)] != shown.steps[size_t(i)])
                ini.setValue(stepKey(i), chosen.steps[size_t(i)]);
            if (chosen.colours[size_t(i)] != shown.colours[size_t(i)])
                ini.setValue(colourKey(i), colourText(chosen.colours[size_t(i)]));
        }
        ini.sync();
        if (ini.status() != QSettings::NoError)
            raiseError(ErrorCode::PathFileAccessError);
    }
    return readDayOptions();
}

TeamOptions readTeamOptions()
{
    QSettings ini(optionsPath(), optionsFormat());
    TeamOptions team;
    if (ini.status() != QSettings::NoError)
        return team;
    team.server = ini.value(QStringLiteral("Team/Server")).toString().trimmed();
    team.windowServer = ini.value(QStringLiteral("Team/WindowServer")).toString().trimmed();
    team.name = ini.value(QStringLiteral("Team/Name")).toString().trimmed();
    team.folder = ini.value(QStringLiteral("Team/Folder")).toString().trimmed();
    // Another folder's id (this one a copy of it) is none: teamFolderId()
    // makes this one its own.
    const QString madeAt = ini.value(QStringLiteral("Team/FolderPlace")).toString();
    if (!madeAt.isEmpty() && madeAt != folderPlace())
        team.folder.clear();
    return team;
}

TeamOptions writeTeamOptions(const TeamOptions &shown, const TeamOptions &chosen)
{
    {
        QSettings ini(optionsPath(), optionsFormat());
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

namespace
{

// The [Keys] entries in a fixed order: each counter's count and uncount,
// then 元に戻す and the strip's keyboard.
std::array<std::pair<QString, QString *>, 2 * CounterCount + 2> keyEntries(KeyOptions &keys)
{
    std::array<std::pair<QString, QString *>, 2 * CounterCount + 2> entries;
    for (int i = 0; i < CounterCount; ++i) {
        entries[size_t(2 * i)] = {QStringLiteral("Keys/Count%1").arg(i + 1),
                                  &keys.count[size_t(i)]};
        entries[size_t(2 * i + 1)] = {QStringLiteral("Keys/Uncount%1").arg(i + 1),
                                      &keys.uncount[size_t(i)]};
    }
    entries[2 * CounterCount] = {QStringLiteral("Keys/Undo"), &keys.undo};
    entries[2 * CounterCount + 1] = {QStringLiteral("Keys/Focus"), &keys.focus};
    return entries;
}

} // namespace

KeyOptions readKeyOptions()
{
    QSettings ini(optionsPath(), optionsFormat());
    KeyOptions keys;
    if (ini.status() != QSettings::NoError)
        return keys;
    for (auto &[key, value] : keyEntries(keys))
        *value = ini.value(key).toString().trimmed();
    return keys;
}

KeyOptions writeKeyOptions(const KeyOptions &shown, const KeyOptions &chosen)
{
    {
        QSettings ini(optionsPath(), optionsFormat());
        KeyOptions was = shown, now = chosen;
        const auto before = keyEntries(was);
        const auto after = keyEntries(now);
        for (size_t i = 0; i < after.size(); ++i)
            if (*after[i].second != *before[i].second)
                ini.setValue(after[i].first, *after[i].second);
        ini.sync();
        if (ini.status() != QSettings::NoError)
            raiseError(ErrorCode::PathFileAccessError);
    }
    return readKeyOptions();
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


QString teamFolderId(bool *renewed)
{
    const QString place = folderPlace();
    QSettings ini(optionsPath(), optionsFormat());
    const QString id = ini.value(QStringLiteral("Team/Folder")).toString().trimmed();
    const QString madeAt = ini.value(QStringLiteral("Team/FolderPlace")).toString();
    if (renewed)
        *renewed = !id.isEmpty() && !madeAt.isEmpty() && madeAt != place;
    if (!id.isEmpty() && madeAt == place)
        return id;
    // An id from before its place was kept stays, its place now kept.
    const QString kept = !id.isEmpty() && madeAt.isEmpty()
                             ? id
                             : QUuid::createUuid().toString(QUuid::WithoutBraces);
    ini.setValue(QStringLiteral("Team/Folder"), kept);
    ini.setValue(QStringLiteral("Team/FolderPlace"), place);
    ini.sync();
    if (ini.status() != QSettings::NoError)
        raiseError(ErrorCode::PathFileAccessError);
    return kept;
}

} // namespace zentova
