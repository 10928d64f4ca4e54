#include "gui/desktop/globalkeys.h"

namespace zentova
{

namespace
{

// A native Wayland session without an X server to hold keys from, and the
// offscreen platform.
class NoGlobalKeys final : public GlobalKeys
{
public:
    Reach reach() const override { return Reach::Nowhere; }
    QStringList hold(const QList<KeyBinding> &bindings) override
    {
        m_bindings = bindings;
        return {};
    }
};

} // namespace

std::unique_ptr<GlobalKeys> GlobalKeys::forSession()
{
    // GNOME's and Weston's XWayland hand the X server only the keys pressed
    // over an X program.
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
                         qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland");
    if (wayland)
        if (auto keys = portalGlobalKeys())
            return keys;
    if (auto keys = x11GlobalKeys(wayland ? Reach::XProgramsOnly : Reach::Anywhere))
        return keys;
    return std::make_unique<NoGlobalKeys>();
}

} // namespace zentova
