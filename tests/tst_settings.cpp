// The settings dialog driven as a user would, with the mouse or the keyboard
// alone: the title chain, what the dialog shows when it opens, select-all on
// entry, the numbers its boxes accept, and what OK applies, including every
// way it can stop half-way.
#include "core/base/runtime.h"
#include "core/settings/applysettings.h"
#include "core/state/counterstate.h"
#include "core/state/keys.h"
#include "core/state/options.h"
#include "core/team/team.h"
#include "formcontrols.h"
#include "gui/history/historychart.h"
#include "gui/settings/frmset.h"
#include "gui/strip/frmmain.h"
#include "testsupport.h"

#include <QAction>
#include <QApplication>
#include <QInputMethodEvent>
#include <QKeySequenceEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

using namespace zentova;

namespace
{

const QString kMismatch = QStringLiteral("型が一致しません。");
const QString kOverflow = QStringLiteral("オーバーフローしました。");

// The error's description, then which box to mend and how.
QString mismatchIn(const QString &box)
{
    return kMismatch + QStringLiteral("\n%1を数で入れてください。").arg(box);
}

QColor background(const QLineEdit *box)
{
    return box->palette().color(QPalette::Base);
}

// Types text as an input method commits it, one character at a time, so
// Japanese and full-width text arrive the way a user's typing does.
void type(QLineEdit *box, const QString &text)
{
    for (QChar c : text) {
        QInputMethodEvent commit;
        commit.setCommitString(QString(c));
        QApplication::sendEvent(box, &commit);
    }
}

void retype(QLineEdit *box, const QString &text)
{
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Backspace);
    type(box, text);
}

} // namespace

class TestSettings : public test::SandboxTest
{
    Q_OBJECT
    void setUp() override
    {
        m_main = std::make_unique<frmMain>(m());
        m_main->load(); // every counter 0, no titles: each test sets what it needs
    }
    void tearDown() override
    {
        m_dialog.reset();
        m_main.reset();
    }

private slots:

    void titleChainOnOpening_data()
    {
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QList<bool>>("enabled");
        QTest::addRow("all empty")
            << QStringList{"", "", "", "", ""} << QList<bool>{true, false, false, false, false};
        QTest::addRow("A, -, C, -, -")
            << QStringList{"A", "", "C", "", ""} << QList<bool>{true, true, true, true, false};
        QTest::addRow("all set") << QStringList{"a", "b", "c", "d", "e"}
                                 << QList<bool>{true, true, true, true, true};
        QTest::addRow("only last")
            << QStringList{"", "", "", "", "E"} << QList<bool>{true, false, false, false, true};
    }

    void titleChainOnOpening()
    {
        QFETCH(QStringList, titles);
        QFETCH(QList<bool>, enabled);
        for (int i = 0; i < CounterCount; ++i)
            m().setTitle(i, titles[i]);
        frmSet &d = open();
        for (int i = 0; i < CounterCount; ++i) {
            QCOMPARE(test::txtTitle(d, i)->isEnabled(), enabled[i]);
            QCOMPARE(
                background(test::txtTitle(d, i)),
                colorFromValue(enabled[i] ? colorvalue::WindowBackground : colorvalue::PaleBlue));
        }
    }

    void titleChainFollowsTyping()
    {
        m().setTitle(2, QStringLiteral("C")); // box 2 open by its own text, box 3 after it
        frmSet &d = open();
        QCOMPARE(test::txtTitle(d, 1)->isEnabled(), false);
        test::txtTitle(d, 0)->setFocus();
        type(test::txtTitle(d, 0), QStringLiteral("受")); // the first character opens the next box
        QVERIFY(test::txtTitle(d, 1)->isEnabled());
        test::txtTitle(d, 2)->setFocus();
        test::txtTitle(d, 2)->end(false);
        QTest::keyClick(test::txtTitle(d, 2), Qt::Key_Backspace); // deleting the last closes it
        QVERIFY(!test::txtTitle(d, 2)->isEnabled());
        QVERIFY(!test::txtTitle(d, 3)->isEnabled());
        retype(test::txtTitle(d, 0), QString());
        QVERIFY(test::txtTitle(d, 0)->isEnabled()); // box 0 is never closed
    }

    void titleLimitIsForTypingOnly_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("backspaces");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("applied");
        QTest::addRow("typing stops at five") << "" << 0 << "来客対応中です" << "来客対応中";
        QTest::addRow("a longer title kept by an untouched OK") << "ABCDEFG" << 0 << "" << "ABCDEFG";
        QTest::addRow("shortened, it never grows again") << "ABCDEFG" << 1 << "XY" << "ABCDEF";
        QTest::addRow("shortened to five, typing goes on") << "ABCDEFG" << 3 << "XY" << "ABCDX";
    }

    void titleLimitIsForTypingOnly()
    {
        QFETCH(QString, stored);
        QFETCH(int, backspaces);
        QFETCH(QString, typed);
        m().setTitle(0, stored);
        frmSet &d = open();
        test::txtTitle(d, 0)->setFocus();
        test::txtTitle(d, 0)->end(false);
        for (int k = 0; k < backspaces; ++k)
            QTest::keyClick(test::txtTitle(d, 0), Qt::Key_Backspace);
        type(test::txtTitle(d, 0), typed);
        QTest::mouseClick(test::cmdOK(d), Qt::LeftButton);
        QTEST(m().gTitle(0), "applied");
    }

    void openingShowsRowsLapAndAlarm()
    {
        m().setTitle(0, QStringLiteral("受付"));
        m().setTitle(3, QStringLiteral("電話"));
        m().setCount(0, 12);
        m().setCount(1, 99); // no title: no row
        m().setCount(3, -4);
        m().setLapOn(-1);
        m().setTimerOn(-1);
        m().setAlarmHour(7);
        m().setAlarmMinute(5);
        frmSet &d = open();
        QCOMPARE(test::TitleC(d, 0)->text(), QStringLiteral("受付"));
        QCOMPARE(test::txtC(d, 0)->text(), QStringLiteral("12"));
        QCOMPARE(test::txtC(d, 3)->text(), QStringLiteral("-4"));
        QVERIFY(!test::txtC(d, 1)->isVisible());
        QVERIFY(!test::TitleC(d, 1)->isVisible());
        QVERIFY(!test::Labelcolon(d, 1)->isVisible());
        QCOMPARE(test::txtC(d, 1)->text(), QString());
        QVERIFY(test::txtTitle(d, 1)->isVisible()); // the title box stays
        QVERIFY(test::optLap(d, 0)->isChecked());
        QVERIFY(test::optTimer(d, 0)->isChecked());
        QCOMPARE(test::txtTimer(d, 0)->text(), QStringLiteral("7"));
        QCOMPARE(test::txtTimer(d, 1)->text(), QStringLiteral("5"));
        QVERIFY(test::txtTimer(d, 0)->isEnabled());

        // A screen reader reads the shown fields top to bottom, left to right;
        // the hidden lap group and the rows without a title are not there.
        QCOMPARE(test::accessibleChildren(&d),
                 (QStringList{"fraCount", "Frame3", "Frame1", "cmdOK"}));
        QCOMPARE(
            test::accessibleChildren(d.findChild<QWidget *>("fraCount")),
            (QStringList{"TitleC0", "Labelcolon0", "txtC0", "TitleC3", "Labelcolon3", "txtC3"}));
        QCOMPARE(test::accessibleChildren(d.findChild<QWidget *>("Frame3")).first(), "txtTitle0");
    }

    void optionsShowAppliedValuesAndOffStoresZeros()
    {
        m().setLapOn(1); // only -1 is ON
        m().setTimerOn(-1);
        m().setAlarmHour(7);
        m().setAlarmMinute(30);
        frmSet &d = open();
        QVERIFY(test::optLap(d, 1)->isChecked());
        retype(test::txtTimer(d, 0), QStringLiteral("9"));
        QTest::mouseClick(test::optTimer(d, 0), Qt::LeftButton); // ON, already chosen
        QCOMPARE(test::txtTimer(d, 0)->text(), QStringLiteral("7"));
        retype(test::txtTimer(d, 0), QStringLiteral("9"));
        QTest::mouseClick(test::optTimer(d, 1), Qt::LeftButton);
        QCOMPARE(test::txtTimer(d, 0)->text(), QString());
        QVERIFY(!test::txtTimer(d, 0)->isEnabled());
        QCOMPARE(background(test::txtTimer(d, 1)), colorFromValue(colorvalue::PaleBlue));
        QTest::mouseClick(test::optTimer(d, 0), Qt::LeftButton);
        QCOMPARE(test::txtTimer(d, 0)->text(), QStringLiteral("7"));
        QCOMPARE(test::txtTimer(d, 1)->text(), QStringLiteral("30"));
        QVERIFY(test::txtTimer(d, 1)->isEnabled());
        // OFF applied stores zeros, which ON shows the next time.
        QTest::mouseClick(test::optTimer(d, 1), Qt::LeftButton);
        QTest::mouseClick(test::cmdOK(d), Qt::LeftButton);
        QCOMPARE(m().gLapOn(), int16_t(0));
        QCOMPARE(m().gTimerOn(), int16_t(0));
        QCOMPARE(m().gAlarmHour(), int16_t(0));
        QCOMPARE(m().gAlarmMinute(), int16_t(0));
        frmSet &again = open();
        QVERIFY(test::optTimer(again, 1)->isChecked());
        QTest::mouseClick(test::optTimer(again, 0), Qt::LeftButton);
        QCOMPARE(test::txtTimer(again, 0)->text(), QStringLiteral("0"));
    }

    void textIsSelectedOnEntry_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<bool>("click"); // else the focus the dialog opens with
        QTest::addRow("first count box, on opening") << "txtC0" << false;
        QTest::addRow("first count box in use, on opening") << "txtC2" << false;
        QTest::addRow("hour box, by mouse") << "txtTimer0" << true;
        QTest::addRow("title box, by mouse") << "txtTitle2" << true;
    }

    // With no counter in use, what is typed first goes to the first title.
    void firstStartOpensOnTheFirstTitle()
    {
        frmSet &d = open();
        QTRY_VERIFY(test::txtTitle(d, 0)->hasFocus());
    }

    // Every glyph of a title shows whole: the voiced marks of 来客対応で too.
    void titleBoxesHoldTheirText()
    {
        frmSet &d = open();
        for (int i = 0; i < CounterCount; ++i) {
            QLineEdit *box = test::txtTitle(d, i);
            QVERIFY2(box->height() >= box->minimumSizeHint().height(),
                     qPrintable(QStringLiteral("%1 < %2").arg(box->height()).arg(
                         box->minimumSizeHint().height())));
        }
    }

    void textIsSelectedOnEntry()
    {
        QFETCH(QString, box);
        QFETCH(bool, click);
        m().setTitle(0, box == "txtC2" ? QString() : QStringLiteral("A"));
        m().setTitle(2, QStringLiteral("C"));
        m().setCount(0, 100);
        m().setCount(2, 102);
        m().setTimerOn(-1);
        m().setAlarmHour(123);
        frmSet &d = open();
        auto *target = d.findChild<QLineEdit *>(box);
        if (click)
            QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(5, target->height() / 2));
        QTRY_VERIFY(target->hasFocus());
        QVERIFY(!target->text().isEmpty());
        QTRY_COMPARE(target->selectedText(), target->text());
    }

    void okAppliesEverythingFromTheKeyboard()
    {
        m().setTitle(0, QStringLiteral("受付"));
        m().setCount(0, 5);
        frmSet &d = open();
        QTRY_VERIFY(test::txtC(d, 0)->hasFocus()); // its text selected: typing replaces it
        type(test::txtC(d, 0), QStringLiteral("１５０"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); // to the alarm option
        QVERIFY(test::optTimer(d, 1)->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left); // arrows choose ON
        QVERIFY(test::optTimer(d, 0)->isChecked());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY(test::txtTimer(d, 0)->hasFocus()); // ON was a single stop
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("24"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("0"));
        test::txtTitle(d, 1)->setFocus();
        type(test::txtTitle(d, 1), QStringLiteral("電話"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); // OK, from any box

        QVERIFY(m_sandbox->boxes.calls.isEmpty());
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QVERIFY(!d.isVisible());
        QCOMPARE(m().gCount(0), int16_t(150));
        QCOMPARE(test::lblC(*m_main, 0)->caption(), QStringLiteral("150"));
        QCOMPARE(m().gTitle(1), QStringLiteral("電話"));
        QCOMPARE(m().gCount(1), int16_t(0)); // a new counter keeps its count
        QVERIFY(!test::fraC(*m_main, 1)->isHidden());
        QCOMPARE(test::fraC(*m_main, 1)->caption(), QStringLiteral("電話"));
        QCOMPARE(m().gTimerOn(), int16_t(-1));
        QCOMPARE(m().gAlarmHour(), int16_t(24)); // stored as typed; it never rings
        QCOMPARE(m().gAlarmMinute(), int16_t(0));
    }

    void applyStopsAtTheFirstTextThatIsNoNumber_data()
    {
        // Before: titles T0 to T3, counts 10 to 14, the alarm off at 6:45 (left
        // from an earlier run), the strip showing all that. The alarm is set ON.
        QTest::addColumn<QStringList>("counts");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QStringList>("time"); // hour, minute
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("after"); // counts | titles | alarm | labels | frames shown
        const QStringList four{"T0", "T1", "T2", "T3", "New"}, removed{"T0", "", "T2", "T3", "New"};
        QTest::addRow("all taken; a newly titled counter's count is not")
            << QStringList{"1", "2", "3", "4", "99"} << four << QStringList{"8", "15"} << ""
            << "1,2,3,4,14 | T0,T1,T2,T3,New | -1 8:15 | 1,2,3,4,14 | 11111";
        QTest::addRow("counter 0 empty")
            << QStringList{"", "-3", "-3", "-3", "-3"} << four << QStringList{"8", "15"}
            << mismatchIn("「T0」の件数")
            << "10,11,12,13,14 | T0,T1,T2,T3, | 0 6:45 | 10,11,12,13,14 | 11110";
        QTest::addRow("counter 2 letters")
            << QStringList{"-3", "-3", "abc", "-3", "-3"} << four << QStringList{"8", "15"}
            << mismatchIn("「T2」の件数")
            << "-3,-3,12,13,14 | T0,T1,T2,T3, | 0 6:45 | -3,-3,12,13,14 | 11110";
        QTest::addRow("counter 3 past 32767")
            << QStringList{"-3", "-3", "-3", "40000", "-3"} << four << QStringList{"8", "15"}
            << kOverflow + "\n「T3」の件数は -32768 から 32767 までの数にしてください。"
            << "-3,-3,-3,13,14 | T0,T1,T2,T3, | 0 6:45 | -3,-3,-3,13,14 | 11110";
        // A counter taken out of use goes to 0, and its label (hidden with
        // its frame) says so: shown again, it shows its real count.
        QTest::addRow("hour empty: titles in, frames not refreshed")
            << QStringList{"3", "7", "-3", "-3", "-3"} << removed << QStringList{"", "15"}
            << mismatchIn("アラームの時")
            << "3,0,-3,-3,14 | T0,,T2,T3,New | -1 6:45 | 3,0,-3,-3,14 | 10110";
        QTest::addRow("minute no number: the hour in")
            << QStringList{"3", "7", "-3", "-3", "-3"} << removed << QStringList{"8", "x"}
            << mismatchIn("アラームの分")
            << "3,0,-3,-3,14 | T0,,T2,T3,New | -1 8:45 | 3,0,-3,-3,14 | 10110";
    }

    void applyStopsAtTheFirstTextThatIsNoNumber()
    {
        QFETCH(QStringList, counts);
        QFETCH(QStringList, titles);
        QFETCH(QStringList, time);
        QFETCH(QString, after);
        m().setAlarmHour(6);
        m().setAlarmMinute(45);
        for (int i = 0; i < CounterCount; ++i) {
            m().setTitle(i, i < 4 ? QStringLiteral("T%1").arg(i) : QString());
            m().setCount(i, int16_t(10 + i));
            m_main->setCounterValue(i, m().gCount(i));
        }
        ShowCounterFrames(m().titles(), *m_main);
        SettingsInput input;
        std::copy(counts.begin(), counts.end(), input.counts.begin());
        std::copy(titles.begin(), titles.end(), input.titles.begin());
        input.alarmOn = true;
        input.alarmHour = time[0];
        input.alarmMinute = time[1];
        QString raised;
        try {
            applySettings(m(), input, m_main.get());
        } catch (const RuntimeError &e) {
            raised = e.description();
        }
        QTEST(raised, "error");
        QStringList now, names, labels;
        QString frames;
        for (int i = 0; i < CounterCount; ++i) {
            now << QString::number(m().gCount(i));
            names << m().gTitle(i);
            labels << test::lblC(*m_main, i)->caption();
            frames += test::fraC(*m_main, i)->isHidden() ? u'0' : u'1';
        }
        QCOMPARE(QStringList({now.join(u','), names.join(u','),
                              QStringLiteral("%1 %2:%3")
                                  .arg(m().gTimerOn())
                                  .arg(m().gAlarmHour())
                                  .arg(m().gAlarmMinute()),
                              labels.join(u','), frames})
                     .join(QStringLiteral(" | ")),
                 after);
    }

    void secondOkAfterFailureStopsAtNewlyTitledCounter()
    {
        m().setTitle(0, QStringLiteral("A"));
        frmSet &d = open();
        test::txtTitle(d, 1)->setText(QStringLiteral("B"));
        QTest::mouseClick(test::optTimer(d, 0), Qt::LeftButton);
        retype(test::txtTimer(d, 0), QString());
        QTest::mouseClick(test::cmdOK(d), Qt::LeftButton); // fails at the hour
        // The box named is the one to type in next.
        QCOMPARE(QApplication::focusWidget(), test::txtTimer(d, 0));
        QCOMPARE(m().gTitle(1), QStringLiteral("B"));
        retype(test::txtTimer(d, 0), QStringLiteral("7"));
        QTest::mouseClick(test::cmdOK(d), Qt::LeftButton); // now counter 1 has a hidden, empty box
        QCOMPARE(m_sandbox->boxes.calls.size(), 2);
        QCOMPARE(m_sandbox->boxes.calls[1].prompt, mismatchIn("「B」の件数"));
        QVERIFY(d.isVisible());
        d.reject();

        // Opened again, counter 1 has its row and OK goes through.
        frmSet &again = open();
        QVERIFY(test::txtC(again, 1)->isVisible());
        QCOMPARE(test::txtC(again, 1)->text(), QStringLiteral("0"));
        QTest::mouseClick(test::cmdOK(again), Qt::LeftButton);
        QCOMPARE(m_sandbox->boxes.calls.size(), 2);
        QVERIFY(!test::fraC(*m_main, 1)->isHidden());
    }

    void closingAppliesNothing()
    {
        m().setTitle(0, QStringLiteral("A"));
        m().setCount(0, 4);
        frmSet &d = open();
        retype(test::txtC(d, 0), QStringLiteral("9"));
        retype(test::txtTitle(d, 0), QStringLiteral("Z"));
        d.close();
        QCOMPARE(m().gCount(0), int16_t(4));
        QCOMPARE(m().gTitle(0), QStringLiteral("A"));
    }

    // The options window from the strip's menu: a target typed for the
    // second counter is stored and drawn in that frame at once.
    // Joining a team in the options: a server with a password in it is
    // refused (the window stays), then the server and the name are stored,
    // and the strip's menu gains チーム... for as long as a server is set.
    void optionsWindowJoinsATeam_data()
    {
        QTest::addColumn<QStringList>("typed"); // server, name, for each OK in turn
        QTest::addColumn<QString>("stored");    // Options.ini's [Team] after the last OK
        QTest::addColumn<int>("boxes");
        QTest::addRow("a URI")
            << QStringList{"postgresql://zentova@db/office", ""}
            << "Server=postgresql://zentova@db/office" << 0;
        QTest::addRow("a password first refused")
            << QStringList{"postgresql://zentova:secret@db/office", "佐藤",
                           "host=db dbname=office", "佐藤"}
            << "Server=host=db dbname=office Name=佐藤" << 1;
        QTest::addRow("words, refused; then no team")
            << QStringList{"db office", "", "", ""} << "" << 1;
    }

    void optionsWindowJoinsATeam()
    {
        QFETCH(QStringList, typed);
        Team team(m_sandbox->folder());
        m_main->setTeam(&team);
        QTimer::singleShot(0, [&] {
            auto *window = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            QVERIFY(window);
            for (qsizetype i = 0; i + 1 < typed.size(); i += 2) {
                window->findChild<QLineEdit *>("serverBox")->setText(typed[i]);
                window->findChild<QLineEdit *>("nameBox")->setText(typed[i + 1]);
                window->findChild<QPushButton *>("okButton")->click();
            }
        });
        m_main->findChild<QAction *>("optionsAction")->trigger();
        QSettings ini(optionsPath(), QSettings::IniFormat);
        QFETCH(QString, stored);
        QStringList keys;
        for (const char *key : {"Server", "Name"})
            if (ini.contains(QStringLiteral("Team/") + key))
                keys << QStringLiteral("%1=%2").arg(key, ini.value(QStringLiteral("Team/") + key).toString());
        QCOMPARE(keys.join(u' '), stored);
        QTEST(int(m_sandbox->boxes.calls.size()), "boxes");
        QCOMPARE(m_main->findChild<QAction *>("teamAction")->isVisible(), !stored.isEmpty());
        QCOMPARE(team.isJoined(), !stored.isEmpty());
        m_main->setTeam(nullptr);
    }

    void optionsWindowSetsADailyTarget()
    {
        m().setTitle(1, QStringLiteral("電話"));
        ShowCounterFrames(m().titles(), *m_main);
        QTimer::singleShot(0, [] {
            auto *window = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            QVERIFY(window);
            auto *box = window->findChild<QSpinBox *>("targetBox1");
            QCOMPARE(box->accessibleName(), QStringLiteral("電話 の目標"));
            box->selectAll();
            QTest::keyClicks(box, "25");
            window->findChild<QKeySequenceEdit *>("countKey1")
                ->setKeySequence(QKeySequence(QStringLiteral("Ctrl+Alt+2")));
            // A dark desktop's look.
            QVERIFY(window->palette().color(QPalette::Window).lightness() < 100);
            window->findChild<QPushButton *>("okButton")->click();
        });
        m_sandbox->writeFile("Options.ini", "[Colours]\nCounter2=#123456\n");
        m().setOptions(readDayOptions());
        QCOMPARE(m().options().colours[1], 0x123456u);
        qputenv("GTK_THEME", "Adwaita:dark");
        m_main->findChild<QAction *>("optionsAction")->trigger();
        qunsetenv("GTK_THEME");
        QCOMPARE(readDayOptions().targets, (std::array<int, 5>{0, 25, 0, 0, 0}));
        QCOMPARE(readKeyOptions().count[1], QStringLiteral("Ctrl+Alt+2"));
        // The colour set by hand, in the charts and down the frame's edge.
        QCOMPARE(counterColour(1), QColor(0x12, 0x34, 0x56));
        QCOMPARE(test::fraC(*m_main, 1)->grab().toImage().pixelColor(3, 20), counterColour(1));
        // Where the count stands, for the pointer and for a screen reader;
        // meeting the target lights the frame up.
        const auto standing = [&] { return test::fraC(*m_main, 1)->accessibleDescription(); };
        QCOMPARE(standing(), QStringLiteral("目標 25 まで あと %1").arg(25 - m().gCount(1)));
        QVERIFY(test::lblC(*m_main, 1)->toolTip().endsWith(standing()));
        QCOMPARE(test::fraC(*m_main, 0)->accessibleDescription(), QString());
        QVERIFY(!test::fraC(*m_main, 1)->celebrating());
        m().setCount(1, 24);
        QVERIFY(!test::fraC(*m_main, 1)->celebrating());
        m().count(1, 1);
        QCOMPARE(standing(), QStringLiteral("目標 25 達成"));
        QVERIFY(test::fraC(*m_main, 1)->celebrating());
    }

private:
    frmSet &open()
    {
        m_dialog = std::make_unique<frmSet>(m(), m_main.get(), m_main.get());
        m_dialog->prepareToShow();
        m_dialog->show();
        QApplication::setActiveWindow(m_dialog.get());
        return *m_dialog;
    }

    std::unique_ptr<frmMain> m_main;
    std::unique_ptr<frmSet> m_dialog;
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
