// The strip takes the keyboard only when the user gives it on purpose. A
// click on a counter must leave the keyboard with the program the user is
// typing in: digits typed on there would count. The strip's window tells the
// window manager that it takes the keyboard itself (no input hint, with
// WM_TAKE_FOCUS); when the window manager offers it, the guard takes it
// unless the offer came from a click on the strip (Alt+Tab, the window
// manager's menu, a dialog of the strip closing, the strip's first showing).
#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace zentova
{

// Whether an offer of the keyboard at the server's time `offer` came from a
// click on the strip, its last press at `lastPress` (0: none yet), a press
// having come since the offer or not.
bool offerMadeByClick(uint32_t offer, uint32_t lastPress, bool pressedSince);

class KeyboardGuard : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT
public:
    // Call before the strip is first shown.
    explicit KeyboardGuard(QWidget *strip);
    ~KeyboardGuard() override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

    // The strip's start: with no window manager to offer the keyboard
    // (which one does as it maps a new window), the strip takes it.
    void takeKeyboardAtStart();
    // Given on purpose: takes it now, whoever has it.
    void takeKeyboardNow() { takeKeyboard(); }

private:
    void offered(uint32_t time);
    void takeKeyboard();

    void learnOfferAtoms();

    QPointer<QWidget> m_strip;
    bool m_filtering = false;
    // The atoms an offer is told by: asked for as the guard is made, their
    // answers read at the first message, so that the start does not wait.
    unsigned m_protocolsAsked = 0;
    unsigned m_takeFocusAsked = 0;
    bool m_atomsLearnt = false;
    uint32_t m_protocols = 0;
    uint32_t m_takeFocus = 0;
    int m_inputExtension = -1;
    uint32_t m_lastPress = 0; // the server's time of the last press on the strip
    bool m_pressed = false;   // a press was seen since the last offer
};

} // namespace zentova
