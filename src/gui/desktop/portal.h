// Where the desktop portal answers on the session bus: the settings (its
// look) and, on some Wayland desktops, global shortcuts.
#pragma once

#include <QString>

namespace zentova::portal
{

inline const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
inline const QString path = QStringLiteral("/org/freedesktop/portal/desktop");

} // namespace zentova::portal
