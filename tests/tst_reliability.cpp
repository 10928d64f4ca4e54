// What keeps a day's counts safe when the program does not close normally:
// the autosave, the end signals and the one-copy lock.
#include "main_window/frmmain.h"
#include "platform/endsignals.h"
#include "platform/folders.h"
#include "platform/instancelock.h"
#include "settings/frmset.h"
#include "state/autosave.h"
#include "state/countdata.h"
#include "state/counterstate.h"
#include "testsupport.h"

#include <QSignalSpy>
#include <QTest>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace zentova;

namespace
{

int g_writes = 0;
void countWrite()
{
    ++g_writes;
}

} // namespace

class TestReliability : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void clicksAreStoredWithinASecondAsOneWrite();
    void settingsOkIsStoredToo();
    void nothingIsWrittenBeforeArmingOrAfterDisarming();
    void failingAutosaveIsReportedOnceUntilItRecovers();

    void terminationSignalsArriveAsEndRequested_data();
    void terminationSignalsArriveAsEndRequested();

    void secondLockOnSameFolderFails();
    void lockOfDeadCopyIsTakenOver();
    void folderThatCannotHoldLockRunsUnlocked();

private:
    std::unique_ptr<test::Sandbox> m_sandbox;
};

void TestReliability::init()
{
    m_sandbox = std::make_unique<test::Sandbox>();
    g_writes = 0;
    setBeforeCommitHook(&countWrite);
}

void TestReliability::cleanup()
{
    setBeforeCommitHook(nullptr);
    m_sandbox.reset();
}

void TestReliability::clicksAreStoredWithinASecondAsOneWrite()
{
    frmMain w;
    w.load();
    Autosave autosave;
    autosave.arm();
    w.show();
    for (int k = 0; k < 5; ++k)
        QTest::mouseClick(w.cmdC(1), Qt::LeftButton);
    QTest::mousePress(w.cmdC(1), Qt::RightButton);
    QVERIFY(autosave.isPending());
    QTRY_COMPARE_WITH_TIMEOUT(g_writes, 1, 1000);
    QTest::qWait(Autosave::DelayMs + 100);
    QCOMPARE(g_writes, 1);
    const CountRecord stored = readRecordFile(m_sandbox->path("Countdata.dat"));
    QCOMPARE(stored.Count[1], int16_t(4));
    QCOMPARE(stored.SavedDate, 45292.0);
    QCOMPARE(gSaved.Count[1], int16_t(0)); // the live state and gSaved stay apart
}

void TestReliability::settingsOkIsStoredToo()
{
    frmMain w;
    w.load();
    Autosave autosave;
    autosave.arm();
    frmSet dialog(&w);
    dialog.prepareToShow();
    dialog.txtTitle(0)->setText(QStringLiteral("A"));
    QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(g_writes, 1, 1000);
    QCOMPARE(readRecordFile(m_sandbox->path("Countdata.dat")).Title[0], QStringLiteral("A"));
}

void TestReliability::nothingIsWrittenBeforeArmingOrAfterDisarming()
{
    Autosave autosave;
    counterStateChanged();
    QVERIFY(!autosave.isPending());
    autosave.arm();
    counterStateChanged();
    autosave.disarm();
    QTest::qWait(Autosave::DelayMs + 200);
    QCOMPARE(g_writes, 0);
}

void TestReliability::failingAutosaveIsReportedOnceUntilItRecovers()
{
    Autosave autosave;
    autosave.arm();
    QVERIFY(QDir(m_sandbox->folder()).mkdir("Countdata.dat")); // nothing can be written there
    for (int k = 0; k < 3; ++k)
        QVERIFY(!autosave.saveNow());
    QCOMPARE(m_sandbox->boxes.calls.size(), 1);
    QCOMPARE(m_sandbox->boxes.calls[0].style, 0);

    QVERIFY(QDir(m_sandbox->folder()).rmdir("Countdata.dat"));
    QVERIFY(autosave.saveNow());
    QFile::remove(m_sandbox->path("Countdata.dat"));
    QVERIFY(QDir(m_sandbox->folder()).mkdir("Countdata.dat"));
    QVERIFY(!autosave.saveNow());
    QCOMPARE(m_sandbox->boxes.calls.size(), 2); // reported again after a success
}

void TestReliability::terminationSignalsArriveAsEndRequested_data()
{
    QTest::addColumn<int>("number");
    QTest::addRow("SIGTERM") << SIGTERM;
    QTest::addRow("SIGINT") << SIGINT;
    QTest::addRow("SIGHUP") << SIGHUP;
}

void TestReliability::terminationSignalsArriveAsEndRequested()
{
    QFETCH(int, number);
    EndSignals ends;
    QSignalSpy spy(&ends, &EndSignals::endRequested);
    ::raise(number);
    QTRY_COMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), number);
}

void TestReliability::secondLockOnSameFolderFails()
{
    InstanceLock first;
    QCOMPARE(first.acquire(m_sandbox->folder()), InstanceLock::Result::Acquired);
    // A second copy is another process; QLockFile refuses a second lock
    // within one process as well, which stands in for it here.
    InstanceLock second;
    QCOMPARE(second.acquire(m_sandbox->folder()), InstanceLock::Result::HeldByAnotherCopy);
    QTemporaryDir elsewhere;
    InstanceLock third;
    QCOMPARE(third.acquire(elsewhere.path()), InstanceLock::Result::Acquired);
}

void TestReliability::lockOfDeadCopyIsTakenOver()
{
    // A lock as a killed copy leaves it: its process id no longer runs.
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    m_sandbox->writeFile("Zentova.lock", QByteArray::number(child) + "\nzentova\n" +
                                             QSysInfo::machineHostName().toUtf8() + "\n");
    InstanceLock lock;
    QCOMPARE(lock.acquire(m_sandbox->folder()), InstanceLock::Result::Acquired);
}

void TestReliability::folderThatCannotHoldLockRunsUnlocked()
{
    m_sandbox->writeFile("plain", "x");
    InstanceLock lock;
    QCOMPARE(lock.acquire(m_sandbox->path("plain/bin")), InstanceLock::Result::Unavailable);
}

QTEST_MAIN(TestReliability)
#include "tst_reliability.moc"
