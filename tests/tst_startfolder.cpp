// The real program started from folders another account can or cannot
// write, with a plugin planted beside it before or while it starts.
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <csignal>
#include <cstdio>
#include <sys/stat.h>

namespace
{

class StartFolder
{
public:
    explicit StartFolder(mode_t mode)
    {
        QDir(m_dir.path()).mkpath("bin");
        QDir(m_dir.path()).mkpath("staging/platformthemes");
        QFile::copy(QStringLiteral(ZENTOVA_BINARY), bin("zentova"));
        QFile::copy(QStringLiteral(ZENTOVA_STRIP_MODULE), bin("zentova_strip.so"));
        QFile::copy(QStringLiteral(PLANTED_PLUGIN),
                    m_dir.filePath("staging/platformthemes/libplanted.so"));
        ::chmod(QFile::encodeName(bin()).constData(), mode);
    }
    QString bin(const QString &name = {}) const
    {
        return m_dir.filePath(name.isEmpty() ? QStringLiteral("bin") : "bin/" + name);
    }
    QString mark() const { return m_dir.filePath("mark"); }
    bool plant() const
    {
        return ::rename(QFile::encodeName(m_dir.filePath("staging/platformthemes")).constData(),
                        QFile::encodeName(bin("platformthemes")).constData()) == 0;
    }
    void start(QProcess &p, const QStringList &arguments = {}) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("ZENTOVA_PLANTED_MARK", mark());
        env.insert("HOME", m_dir.filePath("home"));
        env.insert("XDG_DATA_HOME", m_dir.filePath("home/data"));
        env.insert("XDG_RUNTIME_DIR", m_dir.filePath("home/run"));
        QDir().mkpath(m_dir.filePath("home/run"));
        QFile::setPermissions(m_dir.filePath("home/run"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        p.setProcessEnvironment(env);
        p.start(bin("zentova"), arguments);
    }

private:
    QTemporaryDir m_dir;
};

// Ends a run that is still going, however it went.
void stop(QProcess &p)
{
    if (p.state() != QProcess::NotRunning && !p.waitForFinished(3000)) {
        p.kill();
        p.waitForFinished(3000);
    }
}

} // namespace

class TestStartFolder : public QObject
{
    Q_OBJECT
    // First, so that it ends what the others leave.
    zentova::test::ProcessReaper m_reaper;

private slots:
    // The plugin as planted: a private folder that holds it loads it, which
    // is what makes the refusals below mean something.
    void aPlantedPluginRunsWhereQtLooks()
    {
        StartFolder folder(0755);
        QVERIFY(folder.plant());
        QProcess p;
        folder.start(p);
        QVERIFY(p.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(folder.mark()), 10000);
        p.kill();
        stop(p);
    }

    // Renamed into a folder open to others at any moment of the first
    // 100 ms of a start, the plugin never runs: such a folder is refused
    // before Qt looks into it, whatever it holds then.
    void pluginPlantedWhileStartingNeverRuns()
    {
        int refused = 0;
        for (int start = 0; start < 50; ++start) {
            StartFolder folder(01777);
            QProcess p;
            folder.start(p);
            QVERIFY(p.waitForStarted());
            QThread::usleep(ulong(start) * 2000);
            QVERIFY(folder.plant());
            stop(p);
            QVERIFY2(!QFile::exists(folder.mark()), qPrintable(QString::number(start * 2)));
            refused +=
                p.exitStatus() == QProcess::NormalExit && p.exitCode() == 1 &&
                p.readAllStandardError().contains(QFile::encodeName(folder.bin()).constData());
        }
        QCOMPARE(refused, 50);
    }

    // A folder closed to others starts with a qt.conf of its own, which Qt
    // reads: one that sent the plugins nowhere would leave no platform.
    void privateFolderStartsWithItsOwnQtConf()
    {
        StartFolder folder(0700);
        QFile conf(folder.bin("qt.conf"));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write("[Paths]\nPlugins=" +
                   QFile::encodeName(QLibraryInfo::path(QLibraryInfo::PluginsPath)) + "\n");
        conf.close();
        QProcess strip;
        folder.start(strip);
        QVERIFY(strip.waitForStarted());
        bool answered = false;
        for (int tries = 0; tries < 100 && !answered && strip.state() == QProcess::Running;
             ++tries) {
            QProcess count;
            folder.start(count, {"--count", "1"});
            // Answered: the new folder's counter has no title to count.
            answered = count.waitForFinished(5000) && count.exitCode() == 4;
            if (!answered)
                QThread::msleep(50); // the strip has not opened its socket yet
        }
        QVERIFY2(answered, strip.readAllStandardError().constData());
        strip.terminate();
        stop(strip);
    }
};

QTEST_GUILESS_MAIN(TestStartFolder)
#include "tst_startfolder.moc"
