// What every test needs: a fresh program folder, scripted message boxes,
// a clock that stands still, and the counter state at its start values.
#pragma once

#include "core/base/clock.h"
#include "core/base/msgbox.h"
#include "core/model/countermodel.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>

namespace zentova
{

// Message boxes that record every call and answer from a queue (OK, or Yes
// for a question, when the queue is empty).
class ScriptedMessageBoxes : public MessageBoxBackend
{
public:
    struct Call {
        QString prompt;
        int style;
        QString caption;
    };

    int show(const QString &prompt, int style, const QString &caption) override
    {
        calls.append({prompt, style, caption});
        if (onShow)
            onShow();
        if (!m_answers.isEmpty())
            return m_answers.takeFirst();
        return style == msgstyle::YesNoQuestion ? msgresult::Yes : msgresult::Ok;
    }
    void setNextAnswer(int answer) { m_answers.append(answer); }

    QList<Call> calls;
    std::function<void()> onShow; // called as each box appears

private:
    QList<int> m_answers;
};

// A clock that stands still until moved.
class FixedClock : public Clock
{
public:
    explicit FixedClock(QDateTime at = {}) : m_at(std::move(at)) {}
    QDateTime now() const override { return m_at; }
    void set(const QDateTime &at) { m_at = at; }

private:
    QDateTime m_at;
};

} // namespace zentova

namespace zentova::test
{

class Sandbox
{
public:
    Sandbox();
    ~Sandbox();

    QString folder() const { return m_dir.path(); }
    QString path(const QString &name) const { return m_dir.filePath(name); }
    void writeFile(const QString &name, const QByteArray &bytes) const;
    QByteArray readFile(const QString &name) const;

    ScriptedMessageBoxes boxes;
    FixedClock clock{QDateTime(QDate(2024, 1, 1), QTime(9, 0, 0))};
    // The run's counters, made once the clock and the folders are set.
    std::unique_ptr<CounterModel> model;

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_userDir;
};

// A test whose every function starts in a sandbox of its own.
class SandboxTest : public QObject
{
    Q_OBJECT
protected:
    CounterModel &m() { return *m_sandbox->model; }
    // What a test's every function starts with beyond its sandbox, and
    // ends with before the sandbox goes.
    virtual void setUp() {}
    virtual void tearDown() {}
    std::unique_ptr<Sandbox> m_sandbox;

private slots:
    void init()
    {
        m_sandbox = std::make_unique<Sandbox>();
        setUp();
    }
    void cleanup()
    {
        tearDown();
        m_sandbox.reset();
    }
};

// Runs `body` in a child process and returns its exit status (-1: it did
// not exit normally). A save that dies or hits a limit there cannot take the
// test with it.
template <typename Body> int inChild(Body body)
{
    const pid_t child = ::fork();
    if (child == 0) {
        body();
        ::_exit(0);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// Whatever a test starts (a display server, a window manager, a bus and
// what the bus starts in turn, a database server) ends with the test: held
// by a test object's first member, it makes the test the reaper of every
// process its children leave, and ends them all as it goes.
class ProcessReaper
{
public:
    ProcessReaper();
    ~ProcessReaper();
    ProcessReaper(const ProcessReaper &) = delete;
    ProcessReaper &operator=(const ProcessReaper &) = delete;
};

// The bytes of a hex string with blanks, as records are written down.
QByteArray hex(const char *spaced);

// Of mono signed 16-bit samples, the RMS of the loudest window of `window`
// samples.
double peakRms(const QByteArray &s16le, int window);

} // namespace zentova::test
