#include "widgets/messageboxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace zentova
{

namespace
{

// A box asks for an answer, so it takes the keyboard when it appears, also
// under window managers that leave a new window unfocused when the program
// has not been clicked yet (the restore prompt comes before any window).
void execActivated(QMessageBox &box)
{
    QTimer::singleShot(0, &box, [&box] {
        box.raise();
        box.activateWindow();
    });
    box.exec();
}

} // namespace

int RealMessageBoxes::show(const QString &prompt, int style, const QString &caption)
{
    // A box is owned by whatever modal window is up (the settings dialog),
    // else it stands alone; it keeps above the always-on-top strip.
    QWidget *owner = QApplication::activeModalWidget();
    QMessageBox box(owner);
    box.setWindowTitle(caption);
    box.setText(prompt);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.setTextFormat(Qt::PlainText);

    if (style == msgstyle::YesNoQuestion) {
        box.setIcon(QMessageBox::Question);
        QPushButton *yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
        QPushButton *no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        box.setEscapeButton(no);
        execActivated(box);
        return box.clickedButton() == yes ? msgresult::Yes : msgresult::No;
    }
    box.setIcon(style == msgstyle::OkInformation ? QMessageBox::Information : QMessageBox::NoIcon);
    QPushButton *ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    execActivated(box);
    return msgresult::Ok;
}

} // namespace zentova
