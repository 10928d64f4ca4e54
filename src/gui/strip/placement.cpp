#include "gui/strip/placement.h"

#include "core/base/runtime.h"
#include "core/files/atomicfile.h"
#include "core/files/folders.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <algorithm>

namespace zentova
{

namespace
{

// Far beyond any desktop, however many screens it spans.
constexpr int kFarthest = 100000;

QSettings userSettings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("zentova"),
                     QStringLiteral("zentova"));
}

// Each data folder's strip has its place: two strips on two folders do not
// open one on top of the other. ("strip" alone holds the place of before.)
QString placeGroup()
{
    const QString canonical = QFileInfo(dataFolder()).canonicalFilePath();
    const QByteArray key = QFile::encodeName(canonical.isEmpty() ? dataFolder() : canonical);
    return QStringLiteral("strip-") +
           QString::fromLatin1(
               QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16));
}

std::optional<int> number(const QSettings &settings, const QString &key)
{
    bool ok = false;
    const int n = settings.value(key).toString().toInt(&ok);
    return ok && std::abs(n) <= kFarthest ? std::optional(n) : std::nullopt;
}

int fitAxis(int at, int length, int low, int areaLength)
{
    // A strip longer than the area keeps its start on the area.
    return std::max(low, std::min(at, low + areaLength - length));
}

} // namespace

QPoint fitOnScreens(const QRect &wanted, const QList<QRect> &areas, const QRect &primary)
{
    QRect area = primary;
    for (const QRect &candidate : areas) {
        if (candidate.contains(wanted.topLeft())) {
            area = candidate;
            break;
        }
    }
    if (area.isEmpty() || area.contains(wanted))
        return wanted.topLeft();
    return QPoint(fitAxis(wanted.x(), wanted.width(), area.x(), area.width()),
                  fitAxis(wanted.y(), wanted.height(), area.y(), area.height()));
}

QPoint fitOnDesktop(const QRect &wanted)
{
    QList<QRect> areas;
    for (const QScreen *screen : QGuiApplication::screens())
        areas << screen->availableGeometry();
    const QScreen *primary = QGuiApplication::primaryScreen();
    return fitOnScreens(wanted, areas, primary ? primary->availableGeometry() : QRect());
}

std::optional<QPoint> rememberedStripPlace()
{
    const QSettings settings = userSettings();
    for (const QString &group : {placeGroup(), QStringLiteral("strip")}) {
        const auto x = number(settings, group + QStringLiteral("/x"));
        const auto y = number(settings, group + QStringLiteral("/y"));
        if (x && y)
            return QPoint(*x, *y);
    }
    return std::nullopt;
}

void rememberStripPlace(const QPoint &place)
{
    // Written whole and atomically by hand: QSettings waits on its lock file,
    // up to half a minute where another process left one behind, and the
    // strip must never stop for a place.
    const QSettings settings = userSettings();
    const QString group = placeGroup();
    QByteArray text;
    QStringList groups = settings.childGroups();
    if (!groups.contains(group))
        groups << group;
    for (const QString &name : std::as_const(groups)) {
        text += '[' + name.toUtf8() + "]\n";
        for (const QString &key : {QStringLiteral("x"), QStringLiteral("y")}) {
            const QString value = name == group
                                      ? QString::number(key == u'x' ? place.x() : place.y())
                                      : settings.value(name + u'/' + key).toString();
            if (!value.isEmpty())
                text += key.toUtf8() + '=' + value.toUtf8() + '\n';
        }
        text += '\n';
    }
    try {
        QDir().mkpath(QFileInfo(settings.fileName()).path());
        writeFileAtomically(settings.fileName(), text);
    } catch (const RuntimeError &) {
        // A place not kept costs the next start its usual place, nothing more.
    }
}

} // namespace zentova
