#include "app/session.h"
#include "core/base/language.h"

#include "app/endsignals.h"
#include "core/base/clock.h"
#include "core/base/errortrap.h"
#include "core/base/msgbox.h"
#include "core/files/folders.h"
#include "core/history/history.h"
#include "core/model/countermodel.h"
#include "core/remote/countchannel.h"
#include "core/remote/countserver.h"
#include "core/state/autosave.h"
#include "core/state/countdata.h"
#include "core/team/team.h"
#include "gui/desktop/x11/windowwatch.h"
#include "gui/strip/frmmain.h"
#include "gui/widgets/icon.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QSessionManager>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <cstdlib>

namespace zentova
{

namespace
{
// The run whose day is stored when Qt ends the process with exit(): it does
// so when it loses the X server (the server died, or xkill ended us).
Session *g_running = nullptr;

CountOutcome outcomeOf(CounterModel::Refusal refusal)
{
    switch (refusal) {
    case CounterModel::Refusal::Untitled:
        return CountOutcome::Untitled;
    case CounterModel::Refusal::Limit:
        return CountOutcome::Limit;
    case CounterModel::Refusal::None:
        break;
    }
    return CountOutcome::Done;
}

CountOutcome applyCountRequest(frmMain &form, const CountRequest &r)
{
    if (r.undo)
        return form.undo(r.at) ? CountOutcome::Done : CountOutcome::Nothing;
    if (r.focus) {
        form.takeKeyboard();
        return CountOutcome::Done;
    }
    // A click that waited for a box is a click: at the limit it says so.
    if (r.fromStrip) {
        form.countFromOutside(r.counter, r.delta, r.at, r.by);
        return CountOutcome::Done;
    }
    return outcomeOf(form.countRequested(r.counter, r.delta, r.at, r.by));
}

} // namespace

std::unique_ptr<CountServer> countServerFor(frmMain *form)
{
    auto server = std::make_unique<CountServer>(
        [form](const CountRequest &r) { return applyCountRequest(*form, r); },
        [] { return QApplication::activeModalWidget() != nullptr; },
        [form](const CountRequest &r) {
            const CounterModel &model = form->model();
            if (r.undo)
                return model.canUndoAt(r.at) ? CountOutcome::Done : CountOutcome::Nothing;
            if (r.focus || r.fromStrip)
                return CountOutcome::Done;
            return outcomeOf(model.refusal(r.counter, r.delta, r.by));
        });
    // What waited for a box goes on as the box closes (a box that held only
    // another window gives the keyboard back as it goes): no timer looks.
    QObject::connect(form, &frmMain::unblocked, server.get(), &CountServer::retry,
                     Qt::QueuedConnection);
    QObject::connect(qApp, &QGuiApplication::focusWindowChanged, server.get(),
                     &CountServer::retry, Qt::QueuedConnection);
    return server;
}

Session::Session() = default;

Session::~Session()
{
    if (g_running == this)
        g_running = nullptr;
}

Session::Start Session::start()
{
    if (!lockDataFolder())
        return Start::AlreadyRunning;
    makeParts();
    wireParts();
    watchForEnds();

    m_storesAtEnd = true;
    m_form->load();
    if (m_ending)
        return Start::Ended;
    m_team->catchUp(*m_model);
    m_autosave->arm();
    if (!g_running) {
        g_running = this;
        std::atexit(&Session::storeAtExit);
    }
    m_form->placeAtStart();
    m_form->show();
    m_form->takeKeyboardAtStart();
    m_form->holdGlobalKeys();
    m_counts->setReady();
    // The icon matters to message boxes and the dialog, not to the first
    // frame of a strip without a title bar: give it once the strip is up.
    QTimer::singleShot(0, this, [this] {
        QApplication::setWindowIcon(appIcon());
        // Qt's own texts (the save dialog's buttons, a text box's menu) in the
        // strip's language, where the desktop has Qt's translations.
        if (m_qtTranslation.load(qtTranslationName(),
                                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(&m_qtTranslation);
    });
    return Start::Running;
}

bool Session::lockDataFolder()
{
    const InstanceLock::Result locked = m_lock.acquire(countDataLockFolders());
    // Where a folder cannot hold the lock (a file system without locks), a
    // live copy still answers on its socket: that copy is not to be robbed
    // of its socket, nor its counts overwritten at our end.
    if (locked == InstanceLock::Result::HeldByAnotherCopy ||
        (locked == InstanceLock::Result::Unavailable && countSocketAnswers(dataFolder()))) {
        MsgBox(alreadyRunningMessage(), msgstyle::OkInformation);
        return false;
    }
    if (locked == InstanceLock::Result::Unavailable)
        std::fprintf(
            stderr, "zentova: %s\n",
            qUtf8Printable(translate("Command", "%1 をロックできません。あとからこのフォルダーで"
                                                "起動する 2 つ目の Zentova は止められません")
                               .arg(QDir::toNativeSeparators(dataFolder()))));
    // A copy killed between its temporary file and the rename left it behind;
    // with the lock held, no live copy is writing one.
    removeWriteLeftovers(countDataPath());
    removeWriteLeftovers(historyPath());
    return true;
}

void Session::makeParts()
{
    m_model = std::make_unique<CounterModel>();
    // Every line of the count log goes to the team too, when there is one;
    // the rows a kill left in the outbox go first.
    m_team = std::make_unique<Team>(dataFolder());
    m_model->setJournalSink([team = m_team.get()](const QList<JournalLine> &lines) {
        team->journaled(lines);
    });
    m_form = std::make_unique<frmMain>(*m_model);
    m_form->setTeam(m_team.get());
    // Joined once the strip can tell what joining finds.
    connect(m_team.get(), &Team::trouble, m_model.get(), &CounterModel::problem);
    m_team->setOptions(readTeamOptions());
}

void Session::wireParts()
{
    m_autosave = std::make_unique<Autosave>([model = m_model.get()] { model->store(); });
    // Counts from `zentova --count N`; a copy that cannot listen runs on
    // without them.
    m_counts = countServerFor(m_form.get());
    m_counts->listen(dataFolder());
    connect(m_form.get(), &frmMain::countWaits, this, [this](int index, int delta) {
        m_counts->enqueue({.counter = index, .delta = delta, .fromStrip = true});
    });
    connect(m_form.get(), &frmMain::requestWaits, this,
            [this](const CountRequest &request) { m_counts->enqueue(request); });
    // Counts answered "accepted" while a box held them reach the day before
    // it is totalled and stored; later ones are told the strip is closing.
    connect(m_form.get(), &frmMain::unloading, this, [this] {
        applyWaitingCounts();
        m_counts->setEnding();
    });
    connect(m_form.get(), &frmMain::stateChanged, m_autosave.get(), &Autosave::schedule);
    connect(m_model.get(), &CounterModel::changed, m_autosave.get(), &Autosave::schedule);
    // The new day is stored at once: a kill right after the turn restarts
    // with the day as it turned.
    connect(m_model.get(), &CounterModel::dayTurned, this, [this] {
        if (m_autosave->isArmed())
            m_autosave->saveNow();
    });
    connect(m_form.get(), &frmMain::unloaded, m_autosave.get(), &Autosave::disarm);
    connect(m_form.get(), &frmMain::unloaded, this, [this] { m_storesAtEnd = false; });
    // Once the unload is over, and unless the run is already ending otherwise.
    connect(
        m_form.get(), &frmMain::unloaded, this,
        [this] {
            if (!m_ending)
                emit finished(0);
        },
        Qt::QueuedConnection);
}

void Session::watchForEnds()
{
    m_endSignals = std::make_unique<EndSignals>();
    connect(m_endSignals.get(), &EndSignals::endRequested, this, &Session::endWithoutFarewell);
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::commitDataRequest, this,
                [this](QSessionManager &) { endWithoutFarewell(); });
    m_windowWatch = std::make_unique<WindowDestroyedWatch>(m_form.get());
    connect(m_windowWatch.get(), &WindowDestroyedWatch::destroyedByOthers, this, [this] {
        if (!m_form->isUnloaded())
            endWithoutFarewell();
    });
}

bool Session::storeQuietly()
{
    if (!m_model || !m_storesAtEnd)
        return true;
    m_storesAtEnd = false;
    m_autosave->disarm();
    QString error;
    try {
        // The day may have ended while a box held the strip: it closes
        // first, so that the record is dated with the day of its counts.
        m_model->passTurn(Now());
        m_model->store();
        return true;
    } catch (...) {
        error = describe(std::current_exception());
    }
    std::fprintf(stderr, "zentova: %s\n",
                 qUtf8Printable(translate("Command", "件数を保存できませんでした: %1").arg(error)));
    return false;
}

// Nobody is there to answer a box (logout, kill, a closed terminal, the
// window destroyed): the day is stored at once, a failing save is told on
// standard error and in the exit status, and any box or dialog open is left
// behind.
void Session::endWithoutFarewell()
{
    if (m_ending)
        return;
    m_ending = true;
    applyWaitingCounts();
    m_counts->setEnding();
    const bool stored = storeQuietly();
    m_form->unloadSilently();
    m_status = stored ? 0 : 1;
    emit finished(m_status);
}

void Session::applyWaitingCounts()
{
    if (!m_counts || !m_form)
        return;
    for (const CountRequest &request : m_counts->takePending())
        applyCountRequest(*m_form, request);
}

void Session::storeAtExit()
{
    if (!g_running)
        return;
    g_running->applyWaitingCounts();
    g_running->storeQuietly();
}

} // namespace zentova
