// One run of the strip: it holds the data folder's lock, owns the counter
// model, the strip, its autosave and the count server, and ends the run however the run ends (a
// close, a signal, the desktop's session, the window destroyed by another
// program, the X server gone).
#pragma once

#include "core/files/instancelock.h"

#include <QObject>
#include <QTranslator>
#include <memory>

namespace zentova
{

class Autosave;
class CounterModel;
class CountServer;
class EndSignals;
class frmMain;
class WindowDestroyedWatch;

// The count server wired to `form`: a request counts as a click or a right
// press on its counter, an undo as the strip's; requests wait while a box
// or a dialog is open. A command's count is never made, and never opens a
// box, where the counter has no title or would pass 32767: its caller is
// told why.
std::unique_ptr<CountServer> countServerFor(frmMain *form);

class Session : public QObject
{
    Q_OBJECT
public:
    Session();
    ~Session() override;
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    enum class Start {
        Running,        // the strip is up
        AlreadyRunning, // another copy holds the data folder; it has been said
        Ended,          // the run ended during the start (a signal at the prompt)
    };
    // Takes the data folder, loads the strip (the restore prompt), then
    // shows it and starts counting, storing and listening.
    Start start();

    // The exit status of a run that ended during its start.
    int exitStatus() const { return m_status; }

    // Stores the day where a change waits, without a box: a failure goes to
    // standard error. Returns whether the stored record is the live one.
    bool storeQuietly();

signals:
    // The run is over; the value is the process's exit status.
    void finished(int status);

private:
    // False where another copy holds the data folder.
    bool lockDataFolder();
    void makeParts();
    void wireParts();
    void watchForEnds();
    // The desktop going away: store at once and end without the farewell box.
    void endWithoutFarewell();
    static void storeAtExit();
    // Requests answered "accepted" and still waiting are applied now.
    void applyWaitingCounts();

    // Made once the lock is held: a refused copy touches nothing.
    InstanceLock m_lock;
    // Before the model: it hears of the model's lines up to its last store.
    std::unique_ptr<class Team> m_team;
    std::unique_ptr<CounterModel> m_model;
    std::unique_ptr<frmMain> m_form;
    std::unique_ptr<Autosave> m_autosave;
    std::unique_ptr<CountServer> m_counts;
    std::unique_ptr<EndSignals> m_endSignals;
    std::unique_ptr<WindowDestroyedWatch> m_windowWatch;
    QTranslator m_qtTranslation;
    bool m_ending = false;
    // From the record's reading to the close's own store: an end stores.
    bool m_storesAtEnd = false;
    int m_status = 0;
};

} // namespace zentova
