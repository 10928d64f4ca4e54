// Where the program reads and writes: the data folder and the chime's, the
// folders it refuses, and the file really written behind links.
#include "core/files/atomicfile.h"
#include "core/files/folders.h"
#include "core/state/countdata.h"
#include "core/state/counterstate.h"
#include "gui/sound/chimeplayer.h"
#include "gui/sound/mdlsound.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace zentova;

class TestFolders : public test::SandboxTest
{
    Q_OBJECT
private slots:
    void chimeIsReadFrom_data()
    {
        // A program folder below a plain file can be written by nobody, root
        // included.
        QTest::addColumn<bool>("readOnlyProgram");
        QTest::addColumn<QString>("copies");  // which chimes exist: beside, user, installed
        QTest::addColumn<QByteArray>("read"); // with the zero byte the player expects
        QTest::addColumn<bool>("beside");     // a chime beside the program afterwards
        QTest::addRow("beside the program")
            << false << "beside" << QByteArray("beside\0", 7) << true;
        QTest::addRow("beside, read-only file")
            << false << "beside,readonly" << QByteArray("beside\0", 7) << true;
        QTest::addRow("missing: created empty") << false << "" << QByteArray(1, '\0') << true;
        QTest::addRow("read-only program folder: the user's")
            << true << "user" << QByteArray("user\0", 5) << false;
        QTest::addRow("installed copy: the package's, nothing beside")
            << false << "installed" << QByteArray("installed\0", 10) << false;
    }

    void chimeIsReadFrom()
    {
        QFETCH(bool, readOnlyProgram);
        QFETCH(QString, copies);
        QFETCH(bool, beside);
        const auto put = [](const QString &path, const QByteArray &bytes) {
            QDir().mkpath(QFileInfo(path).path());
            QFile f(path);
            return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
        };
        m_sandbox->writeFile("plain", "x");
        const QString bin = m_sandbox->path(readOnlyProgram ? "plain/bin" : "usr/bin");
        QDir().mkpath(bin);
        setAppFolder(bin);
        QTemporaryDir user;
        setUserDataFolder(user.path());
        if (copies.contains("beside"))
            QVERIFY(put(bin + "/Chimes.wav", "beside"));
        if (copies.contains("readonly"))
            QFile::setPermissions(bin + "/Chimes.wav", QFileDevice::ReadOwner);
        if (copies.contains("user"))
            QVERIFY(put(user.filePath("Chimes.wav"), "user"));
        if (copies.contains("installed")) // bin/ with share/zentova/ beside it
            QVERIFY(put(bin + "/../share/zentova/Chimes.wav", "installed"));
        LoadChime("Chimes.wav");
        QTEST(gChimeData, "read");
        QCOMPARE(QFileInfo::exists(bin + "/Chimes.wav"), beside);
    }

    void linksPlantedInASharedProgramFolderAreNotFollowed_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("othersGroup");
        QTest::addColumn<bool>("dataBeside");
        QTest::addRow("sticky, world-writable") << 01777 << false << false;
        QTest::addRow("writable by another group") << 0775 << true << false;
        QTest::addRow("writable by our group") << 0775 << false << false;
        QTest::addRow("ours alone") << 0755 << false << true;
    }

    void linksPlantedInASharedProgramFolderAreNotFollowed()
    {
        QFETCH(int, mode);
        QFETCH(bool, othersGroup);
        QFETCH(bool, dataBeside);
        const QString app = m_sandbox->path("app");
        QVERIFY(QDir().mkpath(app));
        QCOMPARE(::chmod(QFile::encodeName(app).constData(), mode_t(mode)), 0);
        if (othersGroup)
            QCOMPARE(::chown(QFile::encodeName(app).constData(), uid_t(-1), getegid() + 4242), 0);
        // What another user would plant: links to files of ours.
        const QString victim = m_sandbox->path("victim");
        QVERIFY(QFile::link(victim + ".wav", app + "/Chimes.wav"));
        QVERIFY(QFile::link(victim + ".dat", app + "/Countdata.dat"));
        QTemporaryDir user;
        setUserDataFolder(user.path());
        setAppFolder(app);

        QCOMPARE(dataFolder() == app, dataBeside);
        LoadChime(QStringLiteral("Chimes.wav")); // as the alarm reads it
        writeRecordFile(countDataPath(), CountRecord());
        // Beside a private program the links are the user's own, written through.
        QCOMPARE(QFileInfo::exists(victim + ".wav"), dataBeside);
        QCOMPARE(QFileInfo::exists(victim + ".dat"), dataBeside);
    }

    void soundPluginOnlyFromWhereNobodyElseWrites_data()
    {
        QTest::addColumn<int>("mode"); // of the program's folder, under a shared /tmp
        QTest::addColumn<bool>("beside");
        QTest::addRow("a private copy: beside it") << 0700 << true;
        QTest::addRow("sticky, world-writable: nowhere") << 01777 << false;
        QTest::addRow("writable by its group: nowhere") << 0775 << false;
    }

    void soundPluginOnlyFromWhereNobodyElseWrites()
    {
        QFETCH(int, mode);
        QFETCH(bool, beside);
        const QString bin = m_sandbox->path("bin");
        QVERIFY(QDir().mkpath(bin));
        QCOMPARE(::chmod(QFile::encodeName(bin).constData(), mode_t(mode)), 0);
        QCOMPARE(soundPluginCandidates(bin),
                 beside ? QStringList{bin + "/zentova_sound.so"} : QStringList());
    }

    // What Qt would load from a program's folder at start: a shared folder
    // that holds any of it is not started from.
    void whatQtWouldLoadFromAProgramFolder_data()
    {
        QTest::addColumn<QStringList>("made"); // a trailing / makes a folder, @ a dangling link
        QTest::addColumn<QStringList>("found");
        QTest::addRow("the program alone") << QStringList{"zentova", "Chimes.wav"} << QStringList{};
        QTest::addRow("a qt.conf") << QStringList{"qt.conf"} << QStringList{"qt.conf"};
        QTest::addRow("plugin folders") << QStringList{"platformthemes/", "platforms/", "docs/"}
                                        << QStringList{"platforms", "platformthemes"};
        QTest::addRow("a dangling link")
            << QStringList{"@imageformats"} << QStringList{"imageformats"};
    }

    void whatQtWouldLoadFromAProgramFolder()
    {
        QFETCH(QStringList, made);
        for (const QString &name : made) {
            if (name.endsWith(u'/'))
                QVERIFY(QDir(m_sandbox->folder()).mkdir(name));
            else if (name.startsWith(u'@'))
                QVERIFY(QFile::link(m_sandbox->path("gone"), m_sandbox->path(name.mid(1))));
            else
                m_sandbox->writeFile(name, "x");
        }
        QTEST(qtFilesIn(m_sandbox->folder()), "found");
    }

    // A program folder another account can write is refused whatever it
    // holds (what they rename in while Qt starts would run); a private one
    // starts, its own qt.conf included.
    void startsOnlyFromAFolderNobodyElseWrites_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("made");
        QTest::addColumn<QString>("named"); // "" where it starts
        QTest::addRow("private") << 0755 << QStringList{} << "";
        QTest::addRow("private with its qt.conf") << 0700 << QStringList{"qt.conf"} << "";
        QTest::addRow("open to all, empty") << 0777 << QStringList{} << "bin";
        QTest::addRow("open to all, sticky") << 01777 << QStringList{} << "bin";
        QTest::addRow("open to its group") << 0775 << QStringList{} << "bin";
        QTest::addRow("open, a qt.conf planted") << 0777 << QStringList{"qt.conf"} << "qt.conf";
    }

    void startsOnlyFromAFolderNobodyElseWrites()
    {
        QFETCH(int, mode);
        QFETCH(QStringList, made);
        QFETCH(QString, named);
        const QString bin = m_sandbox->path("bin");
        QVERIFY(QDir().mkpath(bin));
        for (const QString &name : made)
            m_sandbox->writeFile("bin/" + name, "[Paths]\n");
        QCOMPARE(::chmod(QFile::encodeName(bin).constData(), mode_t(mode)), 0);
        const QString why = refusalToStartFrom(bin);
        QCOMPARE(why.isEmpty(), named.isEmpty());
        QVERIFY(why.contains(named));
        QCOMPARE(why.contains(bin), !named.isEmpty());
    }

    void readOnlyProgramFolderFallsBackToUserFolder()
    {
        test::Sandbox &sandbox = *m_sandbox;
        // A folder below a plain file can be written by nobody, root included.
        sandbox.writeFile("plain", QByteArray("x"));
        setAppFolder(sandbox.path("plain/bin"));
        QTemporaryDir user;
        setUserDataFolder(user.filePath("zentova"));

        m().LoadCountData();
        QVERIFY(QFileInfo(user.filePath("zentova/Countdata.dat")).isFile());
        {
            CountRecord saved = m().gSaved();
            saved.Count[0] = 3;
            m().setSaved(saved);
        }
        m().SaveCountData();
        QCOMPARE(readRecordFile(user.filePath("zentova/Countdata.dat")).Count[0], int16_t(3));
    }
    void recordIsWrittenBehindItsLinksWithItsMode_data()
    {
        // Countdata.dat in the data folder "data", and what it leads to.
        // Each link, then what it points at: a path in the sandbox, or where it
        // starts with a dot or has no folder, the link's own relative text.
        QTest::addColumn<QStringList>("links");
        QTest::addColumn<QString>("written"); // the file that holds the record
        QTest::addColumn<int>("mode");        // of the file written before; 0: none
        QTest::addRow("a plain file keeps its mode")
            << QStringList() << "data/Countdata.dat" << 0640;
        QTest::addRow("a link, written through")
            << QStringList{"data/Countdata.dat", "sync/counts.dat"} << "sync/counts.dat" << 0600;
        QTest::addRow("a chain of links")
            << QStringList{"data/Countdata.dat", "sync/a.dat", "sync/a.dat", "sync/b.dat"}
            << "sync/b.dat" << 0604;
        QTest::addRow("a dangling link: its target made")
            << QStringList{"data/Countdata.dat", "sync/new.dat"} << "sync/new.dat" << 0;
        QTest::addRow("a relative dangling link, from the link's folder")
            << QStringList{"data/Countdata.dat", "../sync/rel.dat"} << "sync/rel.dat" << 0;
        QTest::addRow("a chain ending in nothing")
            << QStringList{"data/Countdata.dat", "sync/a.dat", "sync/a.dat", "b.dat"}
            << "sync/b.dat" << 0;
    }

    void recordIsWrittenBehindItsLinksWithItsMode()
    {
        QFETCH(QStringList, links);
        QFETCH(QString, written);
        QFETCH(int, mode);
        QVERIFY(QDir(m_sandbox->folder()).mkpath("data") &&
                QDir(m_sandbox->folder()).mkpath("sync"));
        setAppFolder(m_sandbox->path("data"));
        for (qsizetype i = 0; i + 1 < links.size(); i += 2) {
            const QString to = links[i + 1];
            const bool relative = to.startsWith(u'.') || !to.contains(u'/');
            QCOMPARE(::symlink(QFile::encodeName(relative ? to : m_sandbox->path(to)).constData(),
                               QFile::encodeName(m_sandbox->path(links[i])).constData()),
                     0);
        }
        if (mode) {
            m_sandbox->writeFile(written, "old");
            QCOMPARE(::chmod(QFile::encodeName(m_sandbox->path(written)).constData(), mode_t(mode)),
                     0);
        }
        {
            CountRecord saved = m().gSaved();
            saved.Count[2] = 7;
            m().setSaved(saved);
        }
        m().SaveCountData();
        QCOMPARE(readRecordFile(m_sandbox->path(written)).Count[2], int16_t(7));
        for (qsizetype i = 0; i + 1 < links.size(); i += 2)
            QVERIFY(QFileInfo(m_sandbox->path(links[i])).isSymLink()); // every link stays
        struct stat st = {};
        QCOMPARE(::stat(QFile::encodeName(m_sandbox->path(written)).constData(), &st), 0);
        if (mode)
            QCOMPARE(int(st.st_mode & 07777), mode);
        QCOMPARE(QDir(m_sandbox->path("sync")).entryList(QDir::Files | QDir::Hidden).size(),
                 written.startsWith("sync/") ? links.size() / 2 : 0); // nothing left aside
    }

    void leftoversOfKilledSavesAreRemoved()
    {
        for (const char *name : {"Countdata.dat.a1B2c3", "Countdata.dat.keep",
                                 "Countdata.dat.a1B2c3d", "notes.txt.a1B2c3", "Countdata.dat"})
            m_sandbox->writeFile(name, "x");
        removeWriteLeftovers(m_sandbox->path("Countdata.dat"));
        QCOMPARE(QDir(m_sandbox->folder()).entryList(QDir::Files, QDir::Name),
                 QStringList({"Countdata.dat", "Countdata.dat.a1B2c3d", "Countdata.dat.keep",
                              "notes.txt.a1B2c3"}));
    }

};

QTEST_GUILESS_MAIN(TestFolders)
#include "tst_folders.moc"
