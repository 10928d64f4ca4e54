// What differs between the desktops the strip runs on (X11 window managers,
// GNOME's and Weston's XWayland, a native Wayland session), behind one
// interface: the strip asks it and holds no desktop branch of its own.
#pragma once

#include <QObject>
#include <QPoint>
#include <QPointF>
#include <memory>

class QWidget;

namespace zentova
{

class Desktop : public QObject
{
    Q_OBJECT
public:
    // The one for the session's platform, serving `strip` (a top-level
    // widget whose native window is not made yet).
    static std::unique_ptr<Desktop> forStrip(QWidget *strip);
    ~Desktop() override = default;

    // The strip's native window is made and placed; it is not yet shown.
    virtual void readyToShow() {}
    // Just before the strip is first shown.
    virtual void aboutToShow() {}
    // The desktop's own move of the strip from the pointer at `globalPos`,
    // the left button down; false where none is had (the strip then
    // follows the pointer itself).
    virtual bool startMove(const QPointF &globalPos) = 0;
    // How far the strip really is from where Qt has it.
    virtual QPoint staleBy() const { return {}; }
    // Whether the strip learns where it is on the screen, so that a place
    // it moved to is worth remembering.
    virtual bool knowsPlace() const = 0;
    // The strip's start, with nothing else to offer it the keyboard.
    virtual void takeKeyboardAtStart() {}
    // The user asked for the strip's keyboard on purpose (`zentova --focus`).
    virtual void takeKeyboard();

signals:
    // A press or a digit key on the strip while a box blocks it, heard
    // from the desktop before the toolkit drops it.
    void blockedPress(QPoint at, Qt::MouseButton button);
    void blockedDigit(int digit, bool shift);

protected:
    explicit Desktop(QWidget *strip) : m_strip(strip) {}
    QWidget *const m_strip;
};

} // namespace zentova
