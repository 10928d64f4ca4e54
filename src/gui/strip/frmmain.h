// frmMain: the strip. Borderless, always on top, five counter frames, the
// clock and the Set button. The handlers carry the names of the window's
// events; the widgets only wire events to them.
#pragma once

#include "core/model/countermodel.h"
#include "core/remote/countchannel.h"
#include "core/state/keys.h"
#include "gui/widgets/controls.h"

#include <QDate>
#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QPointer>
#include <QWidget>
#include <array>
#include <memory>

class QLabel;
class QMenu;
class QAction;
class QTimer;

namespace zentova
{

class MinuteTimer;

class Desktop;

class frmMain : public QWidget, public CounterFrames
{
    Q_OBJECT
public:
    explicit frmMain(CounterModel &model, QWidget *parent = nullptr);
    ~frmMain() override;

    // Runs Form_Load under its trap. Call once, before the window is shown.
    void load();
    // Unloads the window: Form_Unload under its trap, then the window closes
    // and unloaded() is raised. Safe to call more than once.
    void unload();
    // Ends the run without the farewell box (the desktop is going away).
    void unloadSilently();
    bool isUnloaded() const { return m_unloaded; }
    // Moves the strip to where it opens: where the user last left it, else
    // its usual place at the top, and in either case wholly on a screen.
    void placeAtStart();
    // A count that does not come from the button itself (a key, the
    // `--count` command): +1 acts as a click on counter `index`'s button,
    // -1 as a right press on it (`by`: that many rather than the counter's
    // step). A count held while a box was open passes the time it was
    // accepted.
    void countFromOutside(int index, int delta, const QDateTime &at = {}, int by = 0);
    // A count asked by `zentova --count`: made as countFromOutside makes it,
    // unless the model refuses it (no title, past 32767), which opens no box
    // here: the command tells its caller.
    CounterModel::Refusal countRequested(int index, int delta, const QDateTime &at, int by);
    const CounterModel &model() const { return m_model; }
    // Once shown at the start: the strip has the keyboard, as a new window
    // has (a click on it later leaves the keyboard where it is).
    void takeKeyboardAtStart();
    // `zentova --focus`: the strip has the keyboard, on its first counter in use.
    void takeKeyboard();
    // Opens the strip's menu below the focused control (the Menu key,
    // Shift+F10).
    void popUpMenuFromKeyboard();
    // Takes back the last change of the day (the menu's 元に戻す, Ctrl+Z,
    // `zentova --undo`); false where there was nothing to take back.
    bool undo(const QDateTime &at = {});
    // 0 に戻す: these counters to 0 at once, one change that can be taken back.
    void reset(const QList<int> &indexes);
    // Holds the keys that count from anywhere (Options.ini's [Keys]); a key
    // another program holds is told once.
    void holdGlobalKeys();
    // The team this strip counts in: its menu gains チーム... while a server
    // is set, and the options window sets it.
    void setTeam(class Team *team);

    // CounterFrames
    void setCounterFrameVisible(int index, bool visible) override;
    void setCounterFrameCaption(int index, const QString &caption) override;
    void setCounterValue(int index, int16_t value) override;

signals:
    // A handler changed the counter state (a count, the settings' OK).
    void stateChanged();
    // A click or a key on counter `index` while a box blocked the strip: it
    // waits for the box, in line with the commands' counts.
    void countWaits(int index, int delta);
    // 元に戻す or the strip's keyboard asked by a key while a box blocked the
    // strip: it waits for the box too.
    void requestWaits(const zentova::CountRequest &request);
    // The strip is about to unload: what should reach its day must now.
    void unloading();
    void unloaded();
    // The box or dialog that held the strip has closed: what waited for it
    // may go on.
    void unblocked();

protected:
    bool event(QEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void moveEvent(QMoveEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void showEvent(QShowEvent *e) override;

private:
    // Controls, by the names the handlers use.
    FrameBox *fraC(int index) const;
    CommandButton *cmdC(int index) const;
    CaptionLabel *lblC(int index) const;
    FrameBox *Frame1 = nullptr;
    CommandButton *cmdSet = nullptr;
    CaptionLabel *lblTime = nullptr;
    MinuteTimer *tmrClock = nullptr;
    QMenu *menu = nullptr;
    QAction *m_historyAction = nullptr;
    QAction *m_optionsAction = nullptr;
    QAction *m_undoAction = nullptr;
    QMenu *m_resetMenu = nullptr;
    QAction *mEnd = nullptr;

    // A count made on the strip while a box blocks it, kept for the box's
    // close; the frame shows it waits.
    void countWhileBlocked(int index, int delta);
    void clearWaitingMarks();

    // Handlers.
    void Form_Load();
    void Form_Unload();
    void Form_DblClick();
    void Form_MouseDown(Qt::MouseButton button);
    void Form_MouseMove(Qt::MouseButtons buttons);
    void cmdC_Click(int index);
    void cmdC_MouseDown(int index, Qt::MouseButton button);
    void lblC_Change(int index);
    void cmdSet_Click();
    void showHistory();
    void showOptions();
    void globalKeyPressed(const KeyBinding &binding);
    class GlobalKeys *globalKeys();
    void showTeam();
    // The day ends while the strip runs and no box holds it: the model
    // closes it.
    void passDayTurn();
    void showCount(int index);
    void mEnd_Click();
    void tmrClock_Timer();

    void buildControls();
    QWidget *firstInUse() const;
    void buildClock();
    void followBlockedInput();
    void buildSetFrame();
    void buildCounter(int i);
    void buildMenu();
    void buildUndoAction();
    void buildResetMenu();
    void describeCounter(int index);
    void showTarget(int index);
    // Each counter's colour, on its frame and in the charts.
    void showColours();
    void inviteToTitle();
    void showClock(const QDateTime &now);

    std::array<FrameBox *, CounterCount> m_fraC{};
    std::array<CommandButton *, CounterCount> m_cmdC{};
    std::array<CaptionLabel *, CounterCount> m_lblC{};
    QImage m_picture;
    bool m_unloaded = false;
    bool m_silent = false;
    bool m_inAlarm = false;
    // The time of the tick before, or of the clock's start: an alarm's second 0
    // that a late tick skipped still rings.
    QTime m_lastTick;
    std::unique_ptr<Desktop> m_desktop;
    std::unique_ptr<class GlobalKeys> m_keys;
    QLabel *m_titleHint = nullptr; // what to do first, while no counter has a title
    QLabel *m_teamMark = nullptr;  // beside the clock, while the team is not reached
    // The counts last shown against the targets (-1: none yet).
    std::array<int, CounterCount> m_shownProgress{-1, -1, -1, -1, -1};
    // Dragging by hand where the desktop offers no interactive move.
    bool m_manualDrag = false;
    bool m_dragArmed = false; // a left press on the window, no move asked yet
    QPoint m_dragOffset;
    QPointF m_pointerAtPress;
    bool m_placing = false;
    bool m_focusGiven = false;
    QTimer *m_storePlace = nullptr;
    QPointer<class HistoryWindow> m_history;
    QPointer<class TeamWindow> m_teamWindow;
    class Team *m_team = nullptr;
    QAction *m_teamAction = nullptr;
    CounterModel &m_model;
};

} // namespace zentova
