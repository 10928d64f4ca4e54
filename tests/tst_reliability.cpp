// What keeps a day's counts safe when the program does not close normally:
// the autosave, the end signals and the one-copy lock.
#include "app/endsignals.h"
#include "app/session.h"
#include "core/base/runtime.h"
#include "core/files/atomicfile.h"
#include "core/files/folders.h"
#include "core/files/instancelock.h"
#include "core/remote/countchannel.h"
#include "core/remote/countserver.h"
#include "core/state/autosave.h"
#include "core/state/countdata.h"
#include "core/state/counterstate.h"
#include "formcontrols.h"
#include "gui/settings/frmset.h"
#include "gui/strip/frmmain.h"
#include "testsupport.h"

#include <QDialog>
#include <QSignalSpy>
#include <QTest>
#include <cerrno>
#include <csignal>
#include <future>
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

class TestReliability : public test::SandboxTest
{
    Q_OBJECT
    void setUp() override
    {
        g_writes = 0;
        setBeforeCommitHook(&countWrite);
    }
    void tearDown() override { setBeforeCommitHook(nullptr); }

private slots:
    void clicksAndSettingsAreStoredWithinASecondAsOneWrite()
    {
        frmMain w(m());
        w.load();
        Autosave autosave([this] { m().store(); });
        connect(&w, &frmMain::stateChanged, &autosave, &Autosave::schedule);
        autosave.schedule(); // before the day is loaded and offered back
        QVERIFY(!autosave.isPending());
        autosave.arm();
        w.show();
        for (int k = 0; k < 5; ++k)
            QTest::mouseClick(test::cmdC(w, 1), Qt::LeftButton);
        QVERIFY(autosave.isPending());
        QTest::mousePress(test::cmdC(w, 1), Qt::RightButton);
        // One store: Countday.ini, then the record.
        QTRY_COMPARE_WITH_TIMEOUT(g_writes, 2, 1000);
        QVERIFY(!autosave.isPending()); // nothing more to write
        const CountRecord stored = readRecordFile(m_sandbox->path("Countdata.dat"));
        QCOMPARE(stored.Count[1], int16_t(4));
        QCOMPARE(stored.SavedDate, 45292.0);
        QCOMPARE(m().gSaved().Count[1], int16_t(0)); // the live state and m().gSaved() stay apart
        // What the dialog's OK applies is stored the same way.
        frmSet dialog(m(), &w, &w);
        connect(&dialog, &frmSet::stateChanged, &autosave, &Autosave::schedule);
        dialog.prepareToShow();
        test::txtTitle(dialog, 0)->setText(QStringLiteral("A"));
        QTest::mouseClick(test::cmdOK(dialog), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(g_writes, 4, 1000);
        QCOMPARE(readRecordFile(m_sandbox->path("Countdata.dat")).Title[0], QStringLiteral("A"));
        // Once disarmed at the end, nothing more is written.
        autosave.disarm();
        test::cmdC(w, 1)->click();
        QVERIFY(!autosave.isPending());
        QCOMPARE(g_writes, 4);
    }

    void failingAutosaveIsReportedOnceAndTriedAgain()
    {
        frmMain w(m());
        w.load();
        Autosave autosave([this] { m().store(); });
        autosave.arm();
        QVERIFY(QFile::remove(m_sandbox->path("Countdata.dat")));
        QVERIFY(QDir(m_sandbox->folder()).mkdir("Countdata.dat")); // nothing can be written there
        test::cmdC(w, 0)->click();
        for (int k = 0; k < 3; ++k)
            QVERIFY(!autosave.saveNow());
        QCOMPARE(m_sandbox->boxes.calls.size(), 1);
        QCOMPARE(m_sandbox->boxes.calls[0].style, 0);
        // The folder mends without any further change of the counts: the retry
        // stores them, with no second box.
        QVERIFY(QDir(m_sandbox->folder()).rmdir("Countdata.dat"));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(m_sandbox->path("Countdata.dat")).isFile(),
                                 Autosave::RetryMs + 1000);
        QCOMPARE(readRecordFile(m_sandbox->path("Countdata.dat")).Count[0], int16_t(1));
        QCOMPARE(m_sandbox->boxes.calls.size(), 1);
        // After a success a new failure is reported again.
        QFile::remove(m_sandbox->path("Countdata.dat"));
        QVERIFY(QDir(m_sandbox->folder()).mkdir("Countdata.dat"));
        QVERIFY(!autosave.saveNow());
        QCOMPARE(m_sandbox->boxes.calls.size(), 2);
    }

    void terminationSignalsArriveAsEndRequested_data()
    {
        QTest::addColumn<int>("number");
        QTest::addRow("SIGTERM") << SIGTERM;
        QTest::addRow("SIGINT") << SIGINT;
        QTest::addRow("SIGHUP") << SIGHUP;
    }

    void terminationSignalsArriveAsEndRequested()
    {
        QFETCH(int, number);
        EndSignals ends;
        QSignalSpy spy(&ends, &EndSignals::endRequested);
        ::raise(number);
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), number);
    }

    void whateverIsLeftInTheLockPlaceNeverStopsAStart_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addRow("a dead copy's file") << "file" << QByteArray();
        QTest::addRow("read-only file") << "read-only" << QByteArray("1\n");
        QTest::addRow("directory") << "directory" << QByteArray();
        QTest::addRow("dangling link") << "dangling" << QByteArray();
        QTest::addRow("link to a file") << "link" << QByteArray("keep");
    }

    void whateverIsLeftInTheLockPlaceNeverStopsAStart()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, bytes);
        const QString lockPath = m_sandbox->path("Zentova.lock");
        if (kind == "directory")
            QVERIFY(QDir(m_sandbox->folder()).mkdir("Zentova.lock"));
        else if (kind == "dangling" || kind == "link")
            QVERIFY(QFile::link(m_sandbox->path(kind == "link" ? "precious" : "gone/x"), lockPath));
        if (kind != "directory" && kind != "dangling")
            m_sandbox->writeFile(kind == "link" ? "precious" : "Zentova.lock", bytes);
        if (kind == "read-only")
            QFile::setPermissions(lockPath, QFileDevice::ReadOwner);

        InstanceLock lock;
        QCOMPARE(lock.acquire(m_sandbox->folder()), InstanceLock::Result::Acquired);
        // Held for real: a second holder (another open file, as another copy
        // would have) is refused.
        InstanceLock second;
        QCOMPARE(second.acquire(m_sandbox->folder()), InstanceLock::Result::HeldByAnotherCopy);
        if (kind == "link")
            QCOMPARE(m_sandbox->readFile("precious"), QByteArray("keep"));
    }

    void secondSessionOnTheSameFolderIsRefused()
    {
        Session first;
        QCOMPARE(first.start(), Session::Start::Running);
        Session second;
        QCOMPARE(second.start(), Session::Start::AlreadyRunning);
        QCOMPARE(m_sandbox->boxes.calls.size(), 1);
        QCOMPARE(m_sandbox->boxes.calls[0].prompt, alreadyRunningMessage());
    }

    void aLiveCopyIsNotRobbedWhereTheLockCannotBeTaken()
    {
        // Countdata.dat linked into a folder that does not exist: that folder
        // cannot hold the lock, as a file system without locks cannot.
        QVERIFY(QFile::link(m_sandbox->path("gone/counts.dat"), m_sandbox->path("Countdata.dat")));
        // A copy that runs there.
        CountServer live([](const CountRequest &) { return CountOutcome::Done; }, [] { return false; });
        QVERIFY(live.listen(m_sandbox->folder()));
        Session second;
        QCOMPARE(second.start(), Session::Start::AlreadyRunning);
        QCOMPARE(m_sandbox->boxes.calls.value(0).prompt, alreadyRunningMessage());
    }

    void countsAcceptedWhileABoxWaitsAreStoredWhenTheRunEnds()
    {
        CountRecord titled;
        titled.Title[2] = QStringLiteral("C");
        writeRecordFile(countDataPath(), titled);
        Session session;
        QCOMPARE(session.start(), Session::Start::Running);
        QSignalSpy finished(&session, &Session::finished);
        QDialog box;
        box.setModal(true);
        box.show(); // the counts wait for it
        auto reply = std::async(std::launch::async, [folder = m_sandbox->folder()] {
            QString error;
            return sendCountRequest(folder, CountRequest{2, 1}, &error);
        });
        while (reply.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
            QCoreApplication::processEvents();
        QCOMPARE(reply.get(), 0);
        ::raise(SIGTERM); // the desktop going away
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(readRecordFile(countDataPath()).Count[2], int16_t(1));
    }

    void foldersLinkedToOneDataFileShareTheLock()
    {
        QTemporaryDir other;
        QVERIFY(QFile::link(m_sandbox->path("Countdata.dat"), other.filePath("Countdata.dat")));
        InstanceLock first;
        QCOMPARE(first.acquire(countDataLockFolders()), InstanceLock::Result::Acquired);
        setAppFolder(other.path());
        QCOMPARE(countDataLockFolders(), QStringList({other.path(), m_sandbox->folder()}));
        InstanceLock second;
        QCOMPARE(second.acquire(countDataLockFolders()), InstanceLock::Result::HeldByAnotherCopy);
    }

    void folderThatCannotHoldLockRunsUnlocked()
    {
        m_sandbox->writeFile("plain", "x");
        InstanceLock lock;
        QCOMPARE(lock.acquire(m_sandbox->path("plain/bin")), InstanceLock::Result::Unavailable);
    }

private:
};

QTEST_MAIN(TestReliability)
#include "tst_reliability.moc"
