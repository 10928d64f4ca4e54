// Tells when another X client destroys the strip's window (xdotool, a
// misbehaving window manager). Qt would go on running with no window and
// the lock held, so the run must end as at a close.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace zentova
{

class WindowDestroyedWatch : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT
public:
    explicit WindowDestroyedWatch(QWidget *window);
    ~WindowDestroyedWatch() override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

signals:
    void destroyedByOthers();

private:
    QPointer<QWidget> m_window;
};

} // namespace zentova
