// Options.ini: the options window writes what the user changed in it, and a
// value edited in the file by hand meanwhile keeps its edit.
#include "core/state/options.h"
#include "testsupport.h"

#include <QTest>

using namespace zentova;

class TestOptions : public test::SandboxTest
{
    Q_OBJECT

private slots:
    void onlyWhatTheWindowChangedIsWritten_data()
    {
        QTest::addColumn<QByteArray>("byHand"); // the file as edited while the window was open
        QTest::addColumn<int>("windowTarget2"); // what the window chose for counter 2 (shown 0)
        QTest::addColumn<int>("windowHour");    // and for the turn hour (shown 6)
        QTest::addColumn<QList<int>>("targets");
        QTest::addColumn<int>("hour");
        QTest::addColumn<bool>("reset");
        const QByteArray edited = "[Day]\nStartHour=6\nResetCounts=true\n"
                                  "[Targets]\nCounter1=40\nCounter3=7\nChime=true\n";
        QTest::addRow("nothing changed in the window")
            << edited << 0 << 6 << QList<int>{40, 0, 7, 0, 0} << 6 << true;
        QTest::addRow("another key changed")
            << edited << 15 << 6 << QList<int>{40, 15, 7, 0, 0} << 6 << true;
        QTest::addRow("both changed the hour: the window wins")
            << QByteArray("[Day]\nStartHour=3\n") << 0 << 22 << QList<int>{0, 0, 0, 0, 0} << 22
            << false;
        QTest::addRow("hand edit of the same key, window left it")
            << QByteArray("[Day]\nStartHour=3\n") << 0 << 6 << QList<int>{0, 0, 0, 0, 0} << 3
            << false;
        QTest::addRow("no file yet") << QByteArray() << 9 << 0 << QList<int>{0, 9, 0, 0, 0} << 0
                                     << false;
    }

    void onlyWhatTheWindowChangedIsWritten()
    {
        QFETCH(QByteArray, byHand);
        QFETCH(int, windowTarget2);
        QFETCH(int, windowHour);
        QFETCH(QList<int>, targets);
        DayOptions shown;
        shown.startHour = 6;
        if (!byHand.isEmpty())
            m_sandbox->writeFile("Options.ini", byHand);
        DayOptions chosen = shown;
        chosen.targets[1] = windowTarget2;
        chosen.startHour = windowHour;
        const DayOptions inForce = writeDayOptions(shown, chosen);
        QCOMPARE(inForce, readDayOptions());
        QCOMPARE(QList<int>(inForce.targets.begin(), inForce.targets.end()), targets);
        QTEST(inForce.startHour, "hour");
        QTEST(inForce.resetCounts, "reset");
        QCOMPARE(inForce.chimeAtTarget, inForce.resetCounts); // both edited by hand or neither
    }

    // [Team] as written by hand: a libpq host list, a name with a comma, a
    // semicolon and quotes, all read as they stand, and written back so.
    void teamValuesReadAsWritten()
    {
        const TeamOptions byHand{"host=a.example,b.example port=5432,5433 dbname=team",
                                 R"(Sales, 2nd floor; "east" wing)", "f-1"};
        m_sandbox->writeFile("Options.ini", "[Day]\nStartHour=6\n[Team]\nServer=" +
                                                byHand.server.toUtf8() +
                                                "\nName = " + byHand.name.toUtf8() +
                                                "\nFolder=f-1\n");
        QCOMPARE(readTeamOptions(), byHand);
        TeamOptions chosen = byHand;
        chosen.name = QStringLiteral("営業, 2 階");
        QCOMPARE(writeTeamOptions(byHand, chosen), chosen);
        QCOMPARE(readDayOptions().startHour, 6);
        // As QSettings' own format wrote a value with a comma.
        m_sandbox->writeFile("Options.ini", "[Team]\nServer=\"host=a,b\"\n");
        QCOMPARE(readTeamOptions().server, QStringLiteral("host=a,b"));
    }
    // The folder's id stays with the folder where it was made; a copy of it
    // elsewhere (its Options.ini along) makes one of its own, once.
    void folderIdStaysWhereItWasMade()
    {
        m_sandbox->writeFile("Options.ini", "[Team]\nFolder=older\n"); // its place not kept yet
        bool renewed = true;
        QCOMPARE(teamFolderId(&renewed), QStringLiteral("older"));
        QVERIFY(!renewed);
        QCOMPARE(readTeamOptions().folder, QStringLiteral("older"));
        QByteArray copied = m_sandbox->readFile("Options.ini");
        copied.replace("FolderPlace=", "FolderPlace=/elsewhere");
        m_sandbox->writeFile("Options.ini", copied);
        QCOMPARE(readTeamOptions().folder, QString());
        const QString own = teamFolderId(&renewed);
        QVERIFY(renewed && own != QStringLiteral("older"));
        QCOMPARE(teamFolderId(&renewed), own);
        QVERIFY(!renewed);
    }
};

QTEST_GUILESS_MAIN(TestOptions)
#include "tst_options.moc"
