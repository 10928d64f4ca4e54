#include "gui/widgets/messageboxes.h"
#include "core/base/language.h"
#include "gui/widgets/controls.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

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
    placeBesideStrip(&box);
    box.exec();
}

// Keys meant for another program (typed on as the box appears, where a
// desktop gives it the focus anyway) are dropped for its first second,
// unless the user has clicked into it.
class KeysAfterASecond : public QObject
{
public:
    explicit KeysAfterASecond(QWidget *box) : QObject(box)
    {
        m_since.start();
        box->installEventFilter(this);
        for (QWidget *child : box->findChildren<QWidget *>())
            child->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::MouseButtonPress)
            m_clicked = true;
        const bool key = e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease ||
                         e->type() == QEvent::ShortcutOverride;
        return key && !m_clicked && m_since.elapsed() < 1000;
    }

private:
    QElapsedTimer m_since;
    bool m_clicked = false;
};

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
    // As wide as its title, which a window manager would otherwise cut
    // short ("Ze...va"): the title bar's font is the box's, its buttons and
    // icon take about as much again as a few letters.
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout())) {
        const int title = box.fontMetrics().horizontalAdvance(caption) * 5 / 4 + 120;
        grid->addItem(new QSpacerItem(title, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }

    if (style == msgstyle::YesNoQuestion) {
        box.setIcon(QMessageBox::Question);
        QPushButton *yes = box.addButton(translate("Boxes", "はい(&Y)"), QMessageBox::YesRole);
        QPushButton *no = box.addButton(translate("Boxes", "いいえ(&N)"), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        box.setEscapeButton(no);
        execActivated(box);
        return box.clickedButton() == yes ? msgresult::Yes : msgresult::No;
    }
    const int kind = style & ~msgstyle::WithoutFocus;
    box.setIcon(kind == msgstyle::OkInformation ? QMessageBox::Information : QMessageBox::NoIcon);
    QPushButton *ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    if (style & msgstyle::WithoutFocus) {
        // Shown without being activated (on X11 Qt also marks its user time
        // 0 for a window manager's focus-stealing prevention), and for its
        // first second a window that takes no focus at all, which window
        // managers that give every new window the focus respect too.
        box.setAttribute(Qt::WA_ShowWithoutActivating);
        box.setWindowFlag(Qt::WindowDoesNotAcceptFocus);
        new KeysAfterASecond(&box);
        QTimer::singleShot(1000, &box, [&box] {
            if (QWindow *window = box.windowHandle())
                window->setFlag(Qt::WindowDoesNotAcceptFocus, false);
        });
        placeBesideStrip(&box);
        box.exec();
    } else {
        execActivated(box);
    }
    return msgresult::Ok;
}

} // namespace zentova
