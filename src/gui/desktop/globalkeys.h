// Keys that count while another program has the keyboard: held from the X
// server (any X11 desktop), or asked of the desktop's GlobalShortcuts portal
// Where the desktop is Wayland's, an X server serves only its X programs:
// the options window says so, and offers desktop shortcuts instead.
#pragma once

#include "core/state/keys.h"

#include <QObject>
#include <QStringList>
#include <memory>

namespace zentova
{

class GlobalKeys : public QObject
{
    Q_OBJECT
public:
    enum class Reach {
        Anywhere,      // held from the X server, whichever window has the keyboard
        XProgramsOnly, // a Wayland desktop's X server: over its X programs only
        Nowhere,       // this desktop lets no program have keys of its own
    };
    // The way this session's desktop offers.
    static std::unique_ptr<GlobalKeys> forSession();
    ~GlobalKeys() override = default;

    virtual Reach reach() const = 0;
    // Holds these keys from now on, letting go of any held before. Returns
    // the texts of those another program holds: they are not held.
    virtual QStringList hold(const QList<KeyBinding> &bindings) = 0;
    // The keys last given to hold() that another program holds.
    const QStringList &refused() const { return m_refused; }
    const QList<KeyBinding> &bindings() const { return m_bindings; }

signals:
    void pressed(const zentova::KeyBinding &binding);

protected:
    GlobalKeys() = default;
    QList<KeyBinding> m_bindings;
    QStringList m_refused;
};

// The X server's way, on Qt's own connection; null under another platform.
std::unique_ptr<GlobalKeys> x11GlobalKeys(GlobalKeys::Reach reach);
// The portal's way, where the session bus has it; null otherwise.
std::unique_ptr<GlobalKeys> portalGlobalKeys();

} // namespace zentova
