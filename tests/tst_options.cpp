// Options.ini: the options window writes what the user changed in it, and a
// value edited in the file by hand meanwhile keeps its edit.
#include "core/state/keys.h"
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

    // Qt's portable key text in the X server's terms (0: no key a desktop
    // can hold).
    void keyTextInTheServersTerms_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<uint>("keysym");
        using namespace xmod;
        QTest::newRow("digit") << "Ctrl+Alt+1" << (Control | Alt) << 0x31u;
        QTest::newRow("any case, any order") << "meta+shift+F5" << (Super | Shift) << 0xffc2u;
        QTest::newRow("F35, the last") << "F35" << 0 << 0xffe0u;
        QTest::newRow("no F36") << "F36" << 0 << 0u;
        QTest::newRow("a letter is the small one") << "Alt+A" << int(Alt) << 0x61u;
        QTest::newRow("plus") << "Ctrl++" << int(Control) << 0x2bu;
        QTest::newRow("comma") << "Ctrl+Alt+," << (Control | Alt) << 0x2cu;
        QTest::newRow("named") << "Ctrl+Alt+Del" << (Control | Alt) << 0xffffu;
        QTest::newRow("keypad") << "Num+7" << 0 << 0xffb7u;
        QTest::newRow("a modifier alone") << "Ctrl+" << 0 << 0u;
        QTest::newRow("two keys in a row") << "Ctrl+A, Ctrl+B" << 0 << 0u;
        QTest::newRow("empty") << "" << 0 << 0u;
    }
    void keyTextInTheServersTerms()
    {
        QFETCH(QString, text);
        QFETCH(int, modifiers);
        QFETCH(uint, keysym);
        const std::optional<DesktopKey> key = parseKeyText(text);
        QCOMPARE(key.has_value(), keysym != 0);
        if (key)
            QCOMPARE(*key, (DesktopKey{uint16_t(modifiers), keysym}));
    }

    // A key is held for every state of Caps Lock and Num Lock, and a press
    // is the key whatever they say; another modifier or a missing one is not.
    void locksAreIgnored()
    {
        using namespace xmod;
        const uint16_t ctrlAlt = Control | Alt, numLock = 0x10;
        QCOMPARE(withLocks(ctrlAlt, numLock), (std::array<uint16_t, 4>{0x0c, 0x0e, 0x1c, 0x1e}));
        QVERIFY(sameModifiers(0x1e, ctrlAlt, numLock));
        QVERIFY(sameModifiers(0x10c, ctrlAlt, numLock)); // a mouse button down
        QVERIFY(!sameModifiers(ctrlAlt | Shift, ctrlAlt, numLock));
        QVERIFY(!sameModifiers(Control | Lock, ctrlAlt, numLock));
    }

    // Without an uncount key of its own, a count key with Shift takes one
    // away, unless Shift is in it or another key is that one.
    void keysInForce()
    {
        KeyOptions keys;
        keys.count = {"Ctrl+Alt+1", "Ctrl+Alt+2", "Shift+F3", "Alt+4", ""};
        keys.uncount[1] = "Ctrl+Alt+Q";
        keys.undo = "Alt+Shift+4";
        keys.focus = "nonsense";
        using A = KeyBinding::Action;
        const QList<KeyBinding> expected{
            {A::Count, 0, "Ctrl+Alt+1"},        {A::Count, 1, "Ctrl+Alt+2"},
            {A::Uncount, 1, "Ctrl+Alt+Q"},      {A::Count, 2, "Shift+F3"},
            {A::Count, 3, "Alt+4"},             {A::Undo, 0, "Alt+Shift+4"},
            {A::Uncount, 0, "Ctrl+Alt+Shift+1"},
        };
        QCOMPARE(keyBindings(keys), expected);
        QCOMPARE(twiceGiven(keys), QString());
        keys.focus = "ctrl+alt+q";
        QCOMPARE(twiceGiven(keys), QStringLiteral("ctrl+alt+q"));

        // Stored in [Keys] beside a hand's edit, and read back.
        m_sandbox->writeFile("Options.ini", "[Keys]\nFocus=Meta+Z\n");
        KeyOptions shown;
        shown.focus = "Meta+Z";
        KeyOptions chosen = shown;
        chosen.count[0] = "Ctrl+Alt+1";
        m_sandbox->writeFile("Options.ini", "[Keys]\nFocus=Meta+X\n");
        chosen.focus = "Meta+X";
        QCOMPARE(writeKeyOptions(shown, chosen), chosen);

        // Colours as "#rrggbb"; anything else is the default.
        m_sandbox->writeFile("Options.ini", "[Colours]\nCounter2=#00FF00\nCounter3=red\n");
        DayOptions day = readDayOptions();
        std::array<uint32_t, CounterCount> colours = kCounterColours;
        colours[1] = 0x00ff00;
        QCOMPARE(day.colours, colours);
        DayOptions recoloured = day;
        recoloured.colours[0] = 0x0a0b0c;
        QCOMPARE(writeDayOptions(day, recoloured).colours[0], 0x0a0b0cu);
        QVERIFY(m_sandbox->readFile("Options.ini").contains("Counter1=#0a0b0c"));
    }
};

QTEST_GUILESS_MAIN(TestOptions)
#include "tst_options.moc"
