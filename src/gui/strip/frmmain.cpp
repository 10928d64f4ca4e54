#include "gui/strip/frmmain.h"
#include "core/base/language.h"

#include "core/base/clock.h"
#include "core/base/minutetimer.h"
#include "core/base/errortrap.h"
#include "core/base/msgbox.h"
#include "core/history/history.h"
#include "core/model/alarm.h"
#include "core/team/team.h"
#include "gui/desktop/desktop.h"
#include "gui/desktop/globalkeys.h"
#include "gui/history/historychart.h"
#include "gui/history/historywindow.h"
#include "gui/settings/frmset.h"
#include "gui/settings/optionswindow.h"
#include "gui/sound/mdlsound.h"
#include "gui/strip/placement.h"
#include "gui/team/teamwindow.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDateTime>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QTimer>
#include <QWindow>
#include <utility>

namespace zentova
{

namespace
{

// The strip's size and usual place, in twips.
constexpr int kClientWidth = 8985;
constexpr int kClientHeight = 570;
constexpr int kLeft = 6390;
constexpr int kTop = 15;

} // namespace

frmMain::frmMain(CounterModel &model, QWidget *parent) : QWidget(parent), m_model(model)
{
    setObjectName(QStringLiteral("frmMain"));
    setStripWindow(this);
    // What the edge does, said where it is; the strip's tips show whether or
    // not it has the keyboard, which it seldom has.
    setToolTip(translate("Strip", "右クリックでメニュー、ドラッグで移動、ダブルクリックで終了"));
    setAttribute(Qt::WA_AlwaysShowToolTips);
    // Before anything names the window: its interface is made at the first.
    installReadingOrderAccessible();
    setAccessibleName(applicationTitle()); // the window has no title to read
    // No title bar, no frame and no taskbar button.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    // The keyboard only when given on purpose, never by a click; the
    // desktop's other quirks with it.
    m_desktop = Desktop::forStrip(this);
    setWindowTitle(QString());
    setFixedSize(twipsToPixels(kClientWidth), twipsToPixels(kClientHeight));
    move(twipsToPixels(kLeft), twipsToPixels(kTop));
    setFont(uiFont());
    setAutoFillBackground(true);
    setBackColor(this, colorvalue::PaleBlue);

    // The background picture: a 14 x 45 azure bitmap, drawn unscaled; the
    // window is only 38 pixels high, so it shows as a bar down the left edge.
    m_picture = QImage(14, 45, QImage::Format_RGB32);
    m_picture.fill(QColor(0, 128, 255));

    buildControls();

    // Where the user leaves the strip is remembered once it has rested: the
    // place of its own area, where the next start puts it. (Weston's frame
    // around it reaches a shadow's width beyond it; the frame's place would
    // move the strip up and left by as much at every start.)
    m_storePlace = new QTimer(this);
    m_storePlace->setSingleShot(true);
    m_storePlace->setInterval(500);
    connect(m_storePlace, &QTimer::timeout, this,
            [this] { rememberStripPlace(geometry().topLeft() + m_desktop->staleBy()); });

    for (const QKeySequence &keys :
         {QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)}) {
        auto *shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, [this] { popUpMenuFromKeyboard(); });
    }
    connect(&m_model, &CounterModel::countChanged, this, [this](int i) { showCount(i); });
    connect(&m_model, &CounterModel::titleChanged, this, [this](int i) {
        describeCounter(i);
        inviteToTitle();
    });
    // Told after the store that found it has finished: a box opened inside
    // it would hold Countday.ini and Countdata.dat back until it is answered.
    connect(
        &m_model, &CounterModel::problem, this,
        [](const QString &message) { MsgBox(message, msgstyle::OkOnly); }, Qt::QueuedConnection);
}

void frmMain::showCount(int index)
{
    lblC(index)->setCaption(intToText(m_model.gCount(index)));
}

frmMain::~frmMain() = default;

void frmMain::buildControls()
{
    buildClock();
    followBlockedInput();
    buildSetFrame();
    // Frames are created from index 4 down to 0, so that on the desktop
    // each frame stacks above the one to its right.
    for (int i = CounterCount - 1; i >= 0; --i)
        buildCounter(i);
    for (int i = 0; i < CounterCount; ++i)
        describeCounter(i);

    // Tab order: cmdC(0) to cmdC(4), then cmdSet. Nothing else takes focus.
    std::array<QWidget *, CounterCount + 1> order{};
    for (int i = 0; i < CounterCount; ++i)
        order[size_t(i)] = m_cmdC[size_t(i)];
    order[CounterCount] = cmdSet;
    for (size_t k = 0; k + 1 < order.size(); ++k)
        setTabOrder(order[k], order[k + 1]);
    buildMenu();
}

void frmMain::buildClock()
{
    // Woken at each minute of the wall clock, and when the clock is set:
    // the clock shows minutes, and the alarm and the day's turn fall on them.
    tmrClock = new MinuteTimer(this);
    tmrClock->setObjectName(QStringLiteral("tmrClock"));
    connect(tmrClock, &MinuteTimer::fired, this, [this] {
        passDayTurn();
        tmrClock_Timer();
        clearWaitingMarks();
    });
}

void frmMain::followBlockedInput()
{
    connect(m_desktop.get(), &Desktop::blockedPress, this, [this](QPoint at, Qt::MouseButton button) {
        const QWidget *hit = childAt(at);
        for (int i = 0; i < CounterCount && hit; ++i) {
            if (cmdC(i)->isVisible() && (hit == cmdC(i) || cmdC(i)->isAncestorOf(hit)))
                countWhileBlocked(i, button == Qt::LeftButton ? 1 : -1);
        }
    });
    connect(m_desktop.get(), &Desktop::blockedDigit, this,
            [this](int digit, bool shift) { countWhileBlocked(digit - 1, shift ? -1 : 1); });
    connect(&m_model, &CounterModel::countChanged, this, [this] { clearWaitingMarks(); });
    connect(this, &frmMain::unblocked, this, &frmMain::clearWaitingMarks, Qt::QueuedConnection);
}

void frmMain::buildSetFrame()
{
    m_titleHint = new QLabel(translate("Strip", "Set で項目名を入れると数え始められます"), this);
    m_titleHint->setObjectName(QStringLiteral("titleHint"));
    placeTwips(m_titleHint, 360, 0, 6960, 570);
    m_titleHint->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_titleHint->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_titleHint->hide();

    Frame1 = new FrameBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    placeTwips(Frame1, 7440, 0, 1455, 495);
    setBackColor(Frame1, colorvalue::PaleBlue);

    cmdSet = new CommandButton(QStringLiteral("Set"), Frame1);
    cmdSet->setObjectName(QStringLiteral("cmdSet"));
    placeTwips(cmdSet, 810, 150, 555, 300);
    setBackColor(cmdSet, colorvalue::PaleBlue);
    connect(cmdSet, &QPushButton::clicked, this, [this] { cmdSet_Click(); });
    cmdSet->setAccessibleName(translate("Strip", "設定"));
    cmdSet->setAccessibleDescription(
        translate("Strip", "項目名、件数、アラームの設定画面を開きます"));
    cmdSet->setToolTip(cmdSet->accessibleDescription());

    lblTime = new CaptionLabel(Frame1);
    lblTime->setObjectName(QStringLiteral("lblTime"));
    placeTwips(lblTime, 180, 180, 615, 255);
    lblTime->setFont(msPGothic(11.25));
    lblTime->setAttribute(Qt::WA_TranslucentBackground);
    lblTime->setAccessibleName(translate("Strip", "時刻"));
    lblTime->setToolTip(translate("Strip", "現在の時刻"));

    // Says only where it is: the cause is its tooltip and description.
    m_teamMark = new QLabel(QStringLiteral("●"), Frame1);
    m_teamMark->setObjectName(QStringLiteral("teamMark"));
    placeTwips(m_teamMark, 30, 180, 150, 255);
    // Its colour through the palette: a style sheet, the strip's only one,
    // cost every start 0.7 ms.
    setForeColor(m_teamMark, colorvalue::DarkRed);
    m_teamMark->setFont(msPGothic(6));
    m_teamMark->setAlignment(Qt::AlignCenter);
    m_teamMark->setAccessibleName(translate("Strip", "チーム"));
    m_teamMark->hide();
}

void frmMain::buildCounter(int i)
{
    auto *frame = new FrameBox(this);
    frame->setObjectName(QStringLiteral("fraC%1").arg(i));
    placeTwips(frame, 240 + 1440 * i, 0, 1455, 495);
    setBackColor(frame, colorvalue::PaleBlue);
    if (i == 0)
        frame->setFont(msPGothic(8.25));
    m_fraC[size_t(i)] = frame;

    auto *button = new CommandButton(QStringLiteral("C"), frame);
    button->setObjectName(QStringLiteral("cmdC%1").arg(i));
    placeTwips(button, 780, 150, 605, 300);
    setBackColor(button, colorvalue::PaleBlue);
    connect(button, &QPushButton::clicked, this, [this, i] { cmdC_Click(i); });
    connect(button, &CommandButton::mouseDown, this,
            [this, i](Qt::MouseButton b) { cmdC_MouseDown(i, b); });
    m_cmdC[size_t(i)] = button;

    auto *label = new CaptionLabel(frame);
    label->setObjectName(QStringLiteral("lblC%1").arg(i));
    placeTwips(label, 90, 180, 615, 255);
    label->setAutoFillBackground(true);
    setBackColor(label, colorvalue::WindowBackground);
    setForeColor(label, colorvalue::ButtonText);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setValueBox(true);
    label->setFont(msPGothic(9.75));
    connect(label, &CaptionLabel::changed, this, [this, i] {
        lblC_Change(i);
        showTarget(i);
    });
    m_lblC[size_t(i)] = label;
}

void frmMain::buildMenu()
{
    menu = new QMenu(translate("Strip", "メニュー"), this);
    menu->setObjectName(QStringLiteral("menu"));
    m_historyAction = menu->addAction(translate("Strip", "履歴(&H)..."));
    m_historyAction->setObjectName(QStringLiteral("historyAction"));
    connect(m_historyAction, &QAction::triggered, this, [this] { showHistory(); });
    m_teamAction = menu->addAction(translate("Strip", "チーム(&T)..."));
    m_teamAction->setObjectName(QStringLiteral("teamAction"));
    m_teamAction->setVisible(false);
    connect(m_teamAction, &QAction::triggered, this, [this] { showTeam(); });
    m_optionsAction = menu->addAction(translate("Strip", "オプション(&O)..."));
    m_optionsAction->setObjectName(QStringLiteral("optionsAction"));
    connect(m_optionsAction, &QAction::triggered, this, [this] { showOptions(); });
    buildResetMenu();
    buildUndoAction();
    mEnd = menu->addAction(translate("Strip", "終了"));
    mEnd->setObjectName(QStringLiteral("mEnd"));
    connect(mEnd, &QAction::triggered, this, [this] { mEnd_Click(); });
}

void frmMain::buildResetMenu()
{
    m_resetMenu = menu->addMenu(translate("Strip", "0 に戻す(&R)"));
    m_resetMenu->setObjectName(QStringLiteral("resetMenu"));
    // An item for each counter on the strip as the menu opens, then all of them.
    connect(menu, &QMenu::aboutToShow, this, [this] {
        m_resetMenu->clear();
        QList<int> shown;
        for (int i = 0; i < CounterCount; ++i) {
            if (fraC(i)->isHidden())
                continue;
            shown.append(i);
            // Its number picks it; an & of the title is the title's own.
            const QString title = counterHeading(m_model.gTitle(i), i);
            m_resetMenu->addAction(
                QStringLiteral("%1(&%2)").arg(QString(title).replace(u'&', QStringLiteral("&&")),
                                              QString::number(i + 1)),
                this, [this, i] { reset({i}); });
        }
        m_resetMenu->addSeparator();
        m_resetMenu->addAction(translate("Strip", "すべて(&A)"), this,
                               [this, shown] { reset(shown); });
        m_resetMenu->setEnabled(!shown.isEmpty());
    });
}

void frmMain::reset(const QList<int> &indexes)
{
    trap([&] { m_model.reset(indexes); });
    emit stateChanged();
}

void frmMain::buildUndoAction()
{
    m_undoAction = menu->addAction(translate("Strip", "元に戻す(&U)"));
    m_undoAction->setObjectName(QStringLiteral("undoAction"));
    m_undoAction->setShortcut(QKeySequence::Undo);
    m_undoAction->setShortcutContext(Qt::WindowShortcut);
    addAction(m_undoAction); // Ctrl+Z while the strip has the keyboard
    connect(m_undoAction, &QAction::triggered, this, [this] { undo(); });
    // Enabled while there is something to take back; the item says what
    // as the menu opens (not at every click, which it would slow).
    m_undoAction->setEnabled(false);
    connect(&m_model, &CounterModel::changed, this,
            [this] { m_undoAction->setEnabled(m_model.canUndo()); });
    connect(menu, &QMenu::aboutToShow, this, [this] {
        m_undoAction->setText(m_model.canUndo()
                                  ? translate("Strip", "元に戻す(&U): %1").arg(m_model.undoLabel())
                                  : translate("Strip", "元に戻す(&U)"));
    });
}

FrameBox *frmMain::fraC(int index) const
{
    if (index < 0 || index >= CounterCount)
        raiseError(ErrorCode::SubscriptOutOfRange);
    return m_fraC[size_t(index)];
}

CommandButton *frmMain::cmdC(int index) const
{
    if (index < 0 || index >= CounterCount)
        raiseError(ErrorCode::SubscriptOutOfRange);
    return m_cmdC[size_t(index)];
}

CaptionLabel *frmMain::lblC(int index) const
{
    if (index < 0 || index >= CounterCount)
        raiseError(ErrorCode::SubscriptOutOfRange);
    return m_lblC[size_t(index)];
}

void frmMain::setCounterFrameVisible(int index, bool visible)
{
    fraC(index)->setVisible(visible);
}

void frmMain::setCounterFrameCaption(int index, const QString &caption)
{
    fraC(index)->setCaption(caption);
    describeCounter(index);
}

void frmMain::setCounterValue(int index, int16_t value)
{
    lblC(index)->setCaption(intToText(value));
}

void frmMain::describeCounter(int index)
{
    // What a screen reader says for the counter's controls: the counter by
    // its title (by its number while it has none), and its value.
    const QString &title = m_model.gTitle(index);
    const QString name =
        title.isEmpty() ? translate("Strip", "カウンター %1").arg(index + 1) : title;
    const int step = m_model.options().steps[size_t(index)];
    cmdC(index)->setAccessibleName(
        translate("Strip", "%1 を %2 増やす").arg(name, QString::number(step)));
    cmdC(index)->setAccessibleDescription(
        translate("Strip", "右クリックで %1 減らします").arg(step));
    cmdC(index)->setToolTip(
        translate("Strip", "%1: クリックで %2 増やし、右クリックで %2 減らします")
            .arg(name, QString::number(step)));
    // A step other than one is said where the counter is.
    fraC(index)->setToolTip(
        step == 1 ? QString() : translate("Strip", "%1: %2 ずつ").arg(name, QString::number(step)));
    fraC(index)->setStepMark(step == 1 ? QString() : translate("Strip", "%1 ずつ").arg(step));
    // Where the count stands against the day's target, where there is one.
    const int target = m_model.options().targets[size_t(index)];
    const int count = m_model.gCount(index);
    const QString standing =
        target <= 0 ? QString()
        : m_model.isTargetMet(index)
            ? translate("Strip", "目標 %1 達成").arg(target)
            : translate("Strip", "目標 %1 まで あと %2").arg(target).arg(target - count);
    const QString countTip = translate("Strip", "%1 の件数").arg(name);
    lblC(index)->setToolTip(standing.isEmpty() ? countTip : countTip + u'\n' + standing);
    lblC(index)->setAccessibleName(
        translate("Strip", "%1 の件数 %2").arg(name, intToText(count)));
    lblC(index)->setAccessibleDescription(standing);
    fraC(index)->setAccessibleName(name);
    fraC(index)->setAccessibleDescription(standing);
}

void frmMain::showTarget(int index)
{
    // The count as the strip shows it, against the day's target; the frame
    // lights up for a moment as the target is met.
    const int count = m_model.gCount(index);
    const int target = m_model.options().targets[size_t(index)];
    int &before = m_shownProgress[size_t(index)];
    if (target > 0 && count >= target && before >= 0 && before < target)
        fraC(index)->celebrate();
    before = count;
    fraC(index)->setProgress(count, target);
    fraC(index)->setTargetMet(m_model.isTargetMet(index));
}

void frmMain::inviteToTitle()
{
    // A strip with no counter in use shows nothing to click but Set.
    bool anyTitle = false;
    for (int i = 0; i < CounterCount; ++i)
        anyTitle = anyTitle || !m_model.gTitle(i).isEmpty();
    cmdSet->setToolTip(anyTitle ? cmdSet->accessibleDescription()
                                : translate("Strip", "まず Set で項目名を付けてください。"
                                                     "名前を付けたカウンターが表示されます。"));
    // And says so where the counters will stand, until the first title.
    m_titleHint->setVisible(!anyTitle);
}

// ---------------------------------------------------------------------------
// Place and focus

void frmMain::placeAtStart()
{
    const QRect usual(twipsToPixels(kLeft), twipsToPixels(kTop), width(), height());
    QRect wanted = usual;
    if (const auto remembered = rememberedStripPlace())
        wanted.moveTopLeft(*remembered);
    const QScopedValueRollback placing(m_placing, true);
    move(fitOnDesktop(wanted));
    winId(); // made now, to be readied for the desktop before it is shown
    m_desktop->readyToShow();
}

void frmMain::moveEvent(QMoveEvent *e)
{
    QWidget::moveEvent(e);
    // Only a place the strip was seen at on the screen: a native Wayland
    // window never learns where it is (Qt says 0,0), and neither does a
    // window before it is mapped.
    if (isVisible() && !m_placing && windowHandle() && windowHandle()->isExposed() &&
        m_desktop->knowsPlace())
        m_storePlace->start();
}

void frmMain::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    if (m_focusGiven)
        return;
    m_focusGiven = true;
    m_desktop->aboutToShow();

    // Space and Enter count from the first moment.
    firstInUse()->setFocus(Qt::OtherFocusReason);
}

void frmMain::keyPressEvent(QKeyEvent *e)
{
    // 1 to 5 count the counter of that number, with Shift they take one
    // away, as `zentova --count N` and `--uncount N` do. Shift turns the
    // digit into a sign on most layouts; the X key codes of the digit row
    // (10 to 14) still tell which one.
    int digit = e->key() - Qt::Key_1;
    if ((digit < 0 || digit >= CounterCount) && (e->modifiers() & Qt::ShiftModifier))
        digit = int(e->nativeScanCode()) - 10;
    const Qt::KeyboardModifiers others = e->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    if (digit < 0 || digit >= CounterCount || others != Qt::NoModifier) {
        QWidget::keyPressEvent(e);
        return;
    }
    e->accept();
    countFromOutside(digit, e->modifiers() & Qt::ShiftModifier ? -1 : 1);
}

bool frmMain::undo(const QDateTime &at)
{
    bool undone = false;
    trap([&] { undone = m_model.undo(at); });
    emit stateChanged();
    return undone;
}

void frmMain::clearWaitingMarks()
{
    // The counts that waited are applied as soon as no box is open.
    if (QApplication::activeModalWidget())
        return;
    for (int i = 0; i < CounterCount; ++i)
        fraC(i)->setWaiting(0);
}

void frmMain::takeKeyboardAtStart()
{
    m_desktop->takeKeyboardAtStart();
}

void frmMain::takeKeyboard()
{
    if (m_unloaded)
        return;
    raise();
    m_desktop->takeKeyboard();
    firstInUse()->setFocus(Qt::OtherFocusReason);
}

QWidget *frmMain::firstInUse() const
{
    // The first counter in use, or Set when none is.
    for (int i = 0; i < CounterCount; ++i) {
        if (fraC(i)->isVisibleTo(this))
            return cmdC(i);
    }
    return cmdSet;
}

void frmMain::countWhileBlocked(int index, int delta)
{
    if (index < 0 || index >= CounterCount || m_unloaded)
        return;
    fraC(index)->setWaiting(fraC(index)->waiting() + 1);
    emit countWaits(index, delta);
}

// Made at the first need: a desktop's portal is asked only where keys are set.
GlobalKeys *frmMain::globalKeys()
{
    if (!m_keys) {
        m_keys = GlobalKeys::forSession();
        connect(m_keys.get(), &GlobalKeys::pressed, this,
                [this](const KeyBinding &binding) { globalKeyPressed(binding); });
    }
    return m_keys.get();
}

void frmMain::holdGlobalKeys()
{
    const QList<KeyBinding> bindings = keyBindings(readKeyOptions());
    if (bindings.isEmpty())
        return;
    const QStringList refused = globalKeys()->hold(bindings);
    if (refused.isEmpty())
        return;
    const QString message = keysRefusedMessage(refused) +
                            translate("Strip", "オプションで別のキーを選んでください。");
    QTimer::singleShot(0, this, [message] { MsgBox(message, msgstyle::OkOnly); });
}

// A key held for the strip, pressed in whatever program has the keyboard:
// what the same click or menu item would do; a box open on the strip holds
// it in line with the clicks that wait for it.
void frmMain::globalKeyPressed(const KeyBinding &binding)
{
    if (m_unloaded)
        return;
    const bool blocked = QApplication::activeModalWidget() != nullptr;
    switch (binding.action) {
    case KeyBinding::Action::Count:
    case KeyBinding::Action::Uncount: {
        // A counter without a title is not on the strip: nothing to click.
        if (m_model.titles()(binding.counter).isEmpty())
            return;
        const int delta = binding.action == KeyBinding::Action::Count ? 1 : -1;
        if (blocked)
            countWhileBlocked(binding.counter, delta);
        else
            countFromOutside(binding.counter, delta);
        return;
    }
    case KeyBinding::Action::Undo:
        if (blocked)
            emit requestWaits({.undo = true});
        else
            undo(Now());
        return;
    case KeyBinding::Action::Focus:
        if (blocked)
            emit requestWaits({.focus = true});
        else
            takeKeyboard();
        return;
    }
}

void frmMain::countFromOutside(int index, int delta, const QDateTime &at, int by)
{
    trap([&] { m_model.count(index, delta, at, by); });
    emit stateChanged();
}

CounterModel::Refusal frmMain::countRequested(int index, int delta, const QDateTime &at, int by)
{
    auto refused = CounterModel::Refusal::None;
    trap([&] {
        // The day it was asked in is passed first: a count after the turn
        // is judged against the new day's counts.
        m_model.passTurn(at.isValid() ? at : Now());
        refused = m_model.refusal(index, delta, by);
        if (refused == CounterModel::Refusal::None)
            m_model.count(index, delta, at, by);
    });
    emit stateChanged();
    return refused;
}

void frmMain::popUpMenuFromKeyboard()
{
    const QWidget *from = focusWidget() ? focusWidget() : this;
    // Opened from the keyboard, the first item is ready for Return.
    QTimer::singleShot(0, menu, [this] { menu->setActiveAction(menu->actions().value(0)); });
    trap([&] { menu->exec(from->mapToGlobal(QPoint(0, from->height())) + m_desktop->staleBy()); });
}

// ---------------------------------------------------------------------------
// Start-up and shut-down

void frmMain::load()
{
    trap([this] { Form_Load(); });
    // Whatever stopped the load, the prompt is over: changes held meanwhile
    // follow.
    m_model.restore(false);
    for (int i = 0; i < CounterCount; ++i)
        showTarget(i);
    showColours();
    inviteToTitle();
    if (const auto message = m_model.takeStartMessage())
        MsgBox(*message, msgstyle::OkOnly);
    // The clock ticks from load on, at each minute; its first tick rings an
    // alarm whose second 0 passed in between.
    m_lastTick = Now().time();
    showClock(Now());
    tmrClock->start();
    // The chime is read ahead while an alarm is set, so that its minute
    // only starts it.
    const auto prepare = [this] {
        if (m_model.gTimerOn() == FlagOn)
            prepareChime(QStringLiteral("Chimes.wav"));
        else
            forgetPreparedChime();
    };
    prepare();
    connect(&m_model, &CounterModel::alarmChanged, this, prepare);
    // A target met: the chime once, where the options ask for it; the
    // frame's mark goes with the day.
    connect(&m_model, &CounterModel::targetReached, this, [this] {
        if (m_model.options().chimeAtTarget)
            trap([] {
                LoadChime(QStringLiteral("Chimes.wav"));
                PlayChime();
            });
    });
    connect(&m_model, &CounterModel::dayTurned, this, [this] {
        for (int i = 0; i < CounterCount; ++i) {
            showTarget(i);
            describeCounter(i);
        }
    });
}

void frmMain::Form_Load()
{
    // Topmost before the window is first shown.
    setWindowFlag(Qt::WindowStaysOnTopHint, true);

    CounterModel &m = m_model;
    m.LoadCountData();
    bool restoring = false;
    if (m.offersRestore())
        restoring = MsgBox(translate("Strip", "先ほどの件数を再表示させますか？"),
                           msgstyle::YesNoQuestion, applicationTitle()) == msgresult::Yes;
    const CountRecord &gSaved = m.gSaved();
    for (int i = 0; i < CounterCount; ++i)
        m.setTitle(i, gSaved.Title[size_t(i)]);
    m.setLapOn(gSaved.LapOn);
    // Under the stored titles (a count set aside or held is logged with
    // them), and before anything that can fail: a stored alarm that is no
    // number stops the start, never the counts the user chose to keep.
    m.restore(restoring);
    if (gSaved.TimerOn == FlagOn) {
        m.setTimerOn(FlagOn);
        m.setAlarmHour(textToInt16(gSaved.AlarmHourText));
        m.setAlarmMinute(textToInt16(gSaved.AlarmMinuteText));
    }
    for (int i = 0; i < CounterCount; ++i)
        lblC(i)->setCaption(intToText(m.gCount(i)));
    ShowCounterFrames(m.titles(), *this);
}

void frmMain::unload()
{
    if (m_unloaded)
        return;
    emit unloading();
    m_unloaded = true;
    if (!m_silent) {
        trap([this] { Form_Unload(); });
    }
    tmrClock->stop();
    stopChime();
    hide();
    emit unloaded();
}

void frmMain::unloadSilently()
{
    m_silent = true;
    unload();
}

void frmMain::Form_Unload()
{
    const QString title = applicationTitle();
    // The day's total is added in a wider integer: two counters at 20000
    // must not cost the user the whole day's record.
    long long total = 0;
    for (int i = 0; i < CounterCount; ++i)
        total += m_model.gCount(i);
    MsgBox(
        translate("Strip", "お疲れ様でした。今日の処理件数は %1件でした。").arg(intToText(total)),
        msgstyle::OkOnly, title);
    // The box may have been answered after the turn: the day it closed gets
    // its line before the record is dated.
    m_model.passTurn(Now());
    m_model.setSaved(m_model.record());
    m_model.SaveCountData();
}

void frmMain::closeEvent(QCloseEvent *e)
{
    unload();
    e->accept();
}

// ---------------------------------------------------------------------------
// Counting

void frmMain::cmdC_Click(int index)
{
    trap([&] { m_model.count(index, 1); });
    emit stateChanged();
}

void frmMain::cmdC_MouseDown(int index, Qt::MouseButton button)
{
    if (button != Qt::RightButton)
        return;
    trap([&] { m_model.count(index, -1); });
    emit stateChanged();
}

void frmMain::lblC_Change(int index)
{
    trap([&] {
        setForeColor(lblC(index),
                     m_model.gCount(index) % 100 == 0 ? colorvalue::Red : colorvalue::ButtonText);
        describeCounter(index);
    });
}

// ---------------------------------------------------------------------------
// Moving, menu and closing

void frmMain::mousePressEvent(QMouseEvent *e)
{
    e->accept();
    m_dragOffset = e->globalPosition().toPoint() - frameGeometry().topLeft() - m_desktop->staleBy();
    m_pointerAtPress = e->globalPosition();
    Form_MouseDown(e->button());
}

void frmMain::mouseMoveEvent(QMouseEvent *e)
{
    e->accept();
    Form_MouseMove(e->buttons());
    if (m_manualDrag)
        move(e->globalPosition().toPoint() - m_dragOffset);
}

void frmMain::mouseReleaseEvent(QMouseEvent *e)
{
    e->accept();
    if (e->button() == Qt::LeftButton) {
        m_manualDrag = false;
        m_dragArmed = false;
    }
}

void frmMain::mouseDoubleClickEvent(QMouseEvent *e)
{
    e->accept();
    if (e->button() == Qt::LeftButton)
        Form_DblClick();
}

void frmMain::Form_MouseMove(Qt::MouseButtons buttons)
{
    trap([&] {
        // The left button alone drags; any other button held ends it.
        if (buttons != Qt::LeftButton) {
            // A release the window never saw ends a drag by hand here.
            m_manualDrag = false;
            m_dragArmed = false;
            return;
        }
        if (!m_dragArmed)
            return;
        // The desktop's move is asked for once per press: a second request
        // while the window manager takes over leaves openbox and xfwm4
        // moving the strip after the button is up. A press without a move
        // asks for nothing, so a double click stays a double click. A bare
        // X server or a desktop without the protocol refuses, and then the
        // strip follows the pointer by hand until the release.
        m_dragArmed = false;
        // From the press point: the window manager then moves the strip by
        // the whole way the pointer has gone, the first step included.
        if (m_desktop->startMove(m_pointerAtPress))
            return;
        m_manualDrag = true;
    });
}

void frmMain::Form_MouseDown(Qt::MouseButton button)
{
    trap([&] {
        if (button == Qt::LeftButton)
            m_dragArmed = true;
        if (button != Qt::RightButton)
            return;
        menu->exec(QCursor::pos());
    });
}

void frmMain::Form_DblClick()
{
    trap([this] { unload(); });
}

void frmMain::showHistory()
{
    trap([this] {
        if (!m_history) {
            m_history = new HistoryWindow(m_model, this);
            connect(m_history, &HistoryWindow::correctionChosen, this,
                    [this](const HistoryDay &before, const HistoryDay &after) {
                        trap([&] { m_model.correctDay(before, after); });
                    });
            // Beside the strip, so that both stay in sight.
            placeBesideStrip(m_history);
        } else {
            m_history->reload();
        }
        m_history->show();
        m_history->raise();
        m_history->activateWindow();
    });
}

void frmMain::setTeam(Team *team)
{
    m_team = team;
    const auto follow = [this] {
        m_teamAction->setVisible(m_team && m_team->isJoined());
        if (m_teamWindow && !(m_team && m_team->isJoined()))
            m_teamWindow->close();
    };
    follow();
    const auto mark = [this] {
        const QString trouble = m_team ? m_team->markText() : QString();
        m_teamMark->setToolTip(trouble);
        m_teamMark->setAccessibleDescription(trouble);
        m_teamMark->setVisible(!trouble.isEmpty());
    };
    mark();
    if (m_team) {
        connect(m_team, &Team::joinedChanged, this, follow);
        connect(m_team, &Team::statusChanged, this, mark);
    }
}

void frmMain::showTeam()
{
    trap([this] {
        if (!m_team || !m_team->isJoined())
            return;
        if (!m_teamWindow) {
            m_teamWindow = new TeamWindow(m_team->options(), m_model.openDay().day, this);
            connect(&m_model, &CounterModel::dayTurned, m_teamWindow,
                    [w = m_teamWindow.data()](const QDate &, const QDate &opened) {
                        w->setToday(opened);
                    });
            placeBesideStrip(m_teamWindow);
        }
        m_teamWindow->show();
        m_teamWindow->raise();
        m_teamWindow->activateWindow();
    });
}

void frmMain::showOptions()
{
    trap([this] {
        OptionsWindow window(m_model.titles(), this);
        window.setGlobalKeys(globalKeys());
        if (m_team)
            window.showTeamState(m_team->markText(), m_team->lastArrived());
        // A new turn hour counts from the next turn: the open day keeps its
        // bounds, so nothing moves between days because of a setting.
        m_model.setOptions(window.choose(m_model.options()));
        // The folder's id is written at the first join: only a new server or
        // name starts the team again.
        const TeamOptions &given = m_team ? m_team->givenOptions() : TeamOptions();
        if (m_team && (window.team().server != given.server || window.team().name != given.name)) {
            m_team->setOptions(window.team());
            m_team->catchUp(m_model);
        }
        for (int i = 0; i < CounterCount; ++i) {
            showTarget(i);
            describeCounter(i);
        }
        showColours();
    });
}

void frmMain::showColours()
{
    const auto &colours = m_model.options().colours;
    bool changed = false;
    for (int i = 0; i < CounterCount; ++i) {
        const QColor colour = QColor::fromRgb(QRgb(colours[size_t(i)]));
        changed = changed || counterColour(i) != colour;
        fraC(i)->setAccent(colour);
    }
    setCounterColours(colours);
    if (!changed)
        return;
    if (m_history)
        m_history->reload();
    if (m_teamWindow)
        m_teamWindow->update();
}

void frmMain::passDayTurn()
{
    // While a box or a dialog is open, counts wait for it with the time they
    // were accepted; the turn waits for them, so that each lands in its day.
    if (m_unloaded || QApplication::activeModalWidget())
        return;
    trap([this] { m_model.passTurn(Now()); });
}

void frmMain::mEnd_Click()
{
    trap([this] { unload(); });
}

// ---------------------------------------------------------------------------
// Settings

void frmMain::cmdSet_Click()
{
    trap([this] {
        frmSet dialog(m_model, this, this);
        connect(&dialog, &frmSet::stateChanged, this, &frmMain::stateChanged);
        dialog.showModal();
    });
}

// ---------------------------------------------------------------------------
// Clock and alarm

void frmMain::showClock(const QDateTime &now)
{
    const QString clock = now.time().toString(QStringLiteral("HH:mm"));
    if (clock != lblTime->caption())
        lblTime->setAccessibleName(translate("Strip", "時刻 %1").arg(clock));
    lblTime->setCaption(clock);
}

void frmMain::tmrClock_Timer()
{
    trap([this] {
        const QDateTime now = Now();
        showClock(now);
        const QTime previous = std::exchange(m_lastTick, now.time());
        if (!alarmDue(previous, now.time(), m_model.gTimerOn(), m_model.gAlarmHour(),
                      m_model.gAlarmMinute()))
            return;
        // A tick that runs while this alarm's box is still open does not
        // show a second one.
        if (m_inAlarm)
            return;
        const QScopedValueRollback inAlarm(m_inAlarm, true);
        LoadChime(QStringLiteral("Chimes.wav"));
        PlayChime();
        MsgBox(alarmMessage(m_model.gAlarmHour(), m_model.gAlarmMinute()),
               msgstyle::OkInformation | msgstyle::WithoutFocus, alarmTitle());
    });
}

// ---------------------------------------------------------------------------

bool frmMain::event(QEvent *e)
{
    if (e->type() == QEvent::WindowUnblocked)
        emit unblocked();
    return QWidget::event(e);
}

void frmMain::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.drawImage(QPoint(0, 0), m_picture);
}

} // namespace zentova
