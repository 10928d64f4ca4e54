#include "main_window/placement.h"

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
    QSettings settings = userSettings();
    bool xOk = false;
    bool yOk = false;
    const int x = settings.value(QStringLiteral("strip/x")).toString().toInt(&xOk);
    const int y = settings.value(QStringLiteral("strip/y")).toString().toInt(&yOk);
    if (!xOk || !yOk || std::abs(x) > kFarthest || std::abs(y) > kFarthest)
        return std::nullopt;
    return QPoint(x, y);
}

void rememberStripPlace(const QPoint &place)
{
    QSettings settings = userSettings();
    settings.setValue(QStringLiteral("strip/x"), place.x());
    settings.setValue(QStringLiteral("strip/y"), place.y());
    settings.sync();
}

} // namespace zentova
