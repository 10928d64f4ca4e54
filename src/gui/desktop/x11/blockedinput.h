// What the user does on the strip while a box or a dialog blocks it: Qt
// drops the clicks and keys of a window that a modal one blocks, but a
// count made on a counter then must not be lost. This hears them from the
// X server first and tells the strip, which keeps them for when the box
// closes.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <utility>

namespace zentova
{

class BlockedInput : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT
public:
    explicit BlockedInput(QWidget *strip);
    ~BlockedInput() override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

signals:
    // A button pressed at `at` (in the strip's own coordinates).
    void pressed(QPoint at, Qt::MouseButton button);
    // A digit key 1 to 9 (of either row), with Shift or without.
    void digit(int digit, bool shift);

private:
    int digitOf(uint8_t keycode);

    QPointer<QWidget> m_strip;
    QHash<uint8_t, int> m_digits; // keycode -> digit, read at the first key
    bool m_digitsRead = false;
    std::pair<uint32_t, uint32_t> m_lastPress; // its time and button
    int m_inputExtension = -1;                 // its opcode once asked for; 0 where there is none
};

} // namespace zentova
