// Modal message boxes behind one seam, so tests can answer them from a script
// and see every box the program would have shown.
#pragma once

#include <QString>

namespace zentova
{

namespace msgstyle
{
constexpr int OkOnly = 0;
constexpr int YesNoQuestion = 36;
constexpr int OkInformation = 64;
// Added to a style: a box that comes by itself (the alarm) while the user may
// be typing elsewhere. It shows on top without taking the keyboard, and keys
// reach it only once it has been clicked or has been up for a second.
constexpr int WithoutFocus = 0x10000;
} // namespace msgstyle

namespace msgresult
{
constexpr int Ok = 1;
constexpr int Yes = 6;
constexpr int No = 7;
} // namespace msgresult

QString applicationTitle(); // "Zentova"

class MessageBoxBackend
{
public:
    virtual ~MessageBoxBackend() = default;
    virtual int show(const QString &prompt, int style, const QString &caption) = 0;
};

// Shows a modal box and returns the button pressed. Without a title the
// caption is the application title.
int MsgBox(const QString &prompt, int style = msgstyle::OkOnly, const QString &title = QString());

// Where the boxes go: the real ones (widgets/messageboxes.h) or a test's
// script. Without one, the text goes to standard error.
void setMessageBoxBackend(MessageBoxBackend *backend);

} // namespace zentova
