#include "gui/desktop/desktop.h"
#include "gui/desktop/x11/blockedinput.h"
#include "gui/desktop/x11/keyboardguard.h"
#include "gui/desktop/x11/windowmove.h"

#include <QGuiApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace zentova
{

namespace
{

// Any X server, with or without a window manager, and the XWayland of GNOME
// and Weston.
class X11Desktop final : public Desktop
{
public:
    explicit X11Desktop(QWidget *strip)
        : Desktop(strip), m_keyboard(new KeyboardGuard(strip)), m_blocked(new BlockedInput(strip))
    {
        m_keyboard->setParent(this);
        m_blocked->setParent(this);
        connect(m_blocked, &BlockedInput::pressed, this, &Desktop::blockedPress);
        connect(m_blocked, &BlockedInput::digit, this, &Desktop::blockedDigit);
    }

    void readyToShow() override
    {
        m_heldForWeston = holdForWeston(m_strip->windowHandle());
        if (m_heldForWeston)
            followWeston();
    }
    void aboutToShow() override
    {
        if (m_heldForWeston)
            releaseToWeston(m_strip->windowHandle());
    }
    bool startMove(const QPointF &globalPos) override
    {
        return startDesktopMove(m_strip->windowHandle(), globalPos);
    }
    QPoint staleBy() const override { return zentova::staleBy(m_strip); }
    bool knowsPlace() const override { return true; }
    void takeKeyboardAtStart() override { m_keyboard->takeKeyboardAtStart(); }
    void takeKeyboard() override
    {
        Desktop::takeKeyboard(); // the window manager's way, where there is one
        m_keyboard->takeKeyboardNow();
    }

protected:
    // Weston tells no window that it moved it. A move (its own, or one the
    // strip asked for) ends with the pointer handed back to the window under
    // it, the strip, and a move by keys with the strip taking the keyboard
    // back: the strip looks where it is then, so that the place of a drag is
    // known and kept, without asking the server over and over.
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        switch (e->type()) {
        case QEvent::Enter:
        case QEvent::Leave:
        case QEvent::MouseButtonRelease:
        case QEvent::FocusIn:
        case QEvent::FocusOut:
        case QEvent::Expose:
            lookWhereTheStripIs();
            break;
        default:
            break;
        }
        return Desktop::eventFilter(watched, e);
    }

private:
    void followWeston()
    {
        if (QWindow *window = m_strip->windowHandle())
            window->installEventFilter(this);
    }
    void lookWhereTheStripIs()
    {
        // Not before Weston has shown it: a place asked for before then
        // would put it in the screen's corner.
        QWindow *window = m_strip->windowHandle();
        if (!window || !window->isExposed())
            return;
        const auto seen = placeOnScreen(window);
        if (seen && *seen != m_strip->geometry().topLeft())
            m_strip->move(m_strip->pos() + (*seen - m_strip->geometry().topLeft()));
    }

    KeyboardGuard *m_keyboard;
    BlockedInput *m_blocked;
    bool m_heldForWeston = false; // out of Weston's hands until first shown
};

// A native Wayland session, where the compositor moves the window and never
// tells it where it is, and any other platform (offscreen).
class FallbackDesktop final : public Desktop
{
public:
    explicit FallbackDesktop(QWidget *strip) : Desktop(strip) {}
    bool startMove(const QPointF &) override
    {
        QWindow *window = m_strip->windowHandle();
        return window && window->startSystemMove();
    }
    bool knowsPlace() const override
    {
        return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    }
};

} // namespace

void Desktop::takeKeyboard()
{
    m_strip->activateWindow();
}

std::unique_ptr<Desktop> Desktop::forStrip(QWidget *strip)
{
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return std::make_unique<X11Desktop>(strip);
    return std::make_unique<FallbackDesktop>(strip);
}

} // namespace zentova
