// The strip: counting with both buttons and the keys, the value colours,
// which presses reach the window's own handlers, the start and the end of a
// day, where the strip opens, and the error trap every handler runs under.
#include "core/base/runtime.h"
#include "core/files/folders.h"
#include "core/state/countdata.h"
#include "core/state/counterstate.h"
#include "core/state/countlog.h"
#include "core/team/team.h"
#include "formcontrols.h"
#include "gui/desktop/x11/keyboardguard.h"
#include "gui/strip/frmmain.h"
#include "gui/strip/placement.h"
#include "testsupport.h"

#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace zentova;

namespace
{

const QString kPrompt = QStringLiteral("先ほどの件数を再表示させますか？");

QString farewell(const QString &total)
{
    return QStringLiteral("お疲れ様でした。今日の処理件数は ") + total +
           QStringLiteral("件でした。");
}

CountRecord storedDay(double day)
{
    CountRecord r;
    r.Count = {12, 30, 0, 7, -2};
    r.Title = {QStringLiteral("受付"), QString(), QStringLiteral("電話"), QString(), QString()};
    r.AlarmHourText = QStringLiteral("7");
    r.AlarmMinuteText = QStringLiteral("30");
    r.LapOn = 1;
    r.TimerOn = -1;
    r.SavedDate = day;
    return r;
}

} // namespace

class TestMainWindow : public test::SandboxTest
{
    Q_OBJECT
    void setUp() override { m_form = std::make_unique<frmMain>(m()); }
    void tearDown() override { m_form.reset(); }

private slots:

    // The window manager's offer of the keyboard, told apart from a click
    // on the strip by the server's times.
    void keyboardOfferByClickOrOnPurpose_data()
    {
        QTest::addColumn<uint>("offer");
        QTest::addColumn<uint>("lastPress");
        QTest::addColumn<bool>("pressedSince");
        QTest::addColumn<bool>("byClick");
        QTest::addRow("openbox: the offer at the press") << 5000u << 5000u << false << true;
        QTest::addRow("the press comes after the offer") << 5000u << 1000u << true << true;
        QTest::addRow("GNOME's XWayland: a millisecond early") << 4999u << 5000u << false << true;
        QTest::addRow("Alt+Tab long after the press") << 9000u << 5000u << false << false;
        QTest::addRow("Alt+Tab long before a later press") << 1000u << 5000u << false << false;
        QTest::addRow("no press yet, at start") << 30u << 0u << false << false;
        QTest::addRow("across the clock's wrap") << 10u << 0xFFFFFFF0u << false << true;
    }

    void keyboardOfferByClickOrOnPurpose()
    {
        QFETCH(uint, offer);
        QFETCH(uint, lastPress);
        QFETCH(bool, pressedSince);
        QTEST(offerMadeByClick(offer, lastPress, pressedSince), "byClick");
    }

    // A slip taken back with Ctrl+Z, the menu's item saying what it takes.
    void ctrlZTakesBackTheLastCount()
    {
        frmMain &w = *m_form;
        w.load();
        m().setTitle(1, QStringLiteral("電話"));
        ShowCounterFrames(m().titles(), w);
        w.show();
        QApplication::setActiveWindow(&w);
        auto *undo = w.findChild<QAction *>("undoAction");
        QVERIFY(!undo->isEnabled());
        QTest::mouseClick(test::cmdC(w, 1), Qt::LeftButton);
        QTest::mouseClick(test::cmdC(w, 1), Qt::LeftButton);
        emit test::menu(w)->aboutToShow();
        QCOMPARE(undo->text(), QStringLiteral("元に戻す(&U): 電話 +1 (09:00)"));
        QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m().gCount(1), int16_t(1));
        QCOMPARE(test::lblC(w, 1)->caption(), QStringLiteral("1"));
        QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m().gCount(1), int16_t(0));
        QVERIFY(!undo->isEnabled());
        // 0 に戻す lists the counters on the strip, then all of them.
        QTest::mouseClick(test::cmdC(w, 1), Qt::LeftButton);
        emit test::menu(w)->aboutToShow();
        const QList<QAction *> resets = w.findChild<QMenu *>("resetMenu")->actions();
        QStringList texts;
        for (const QAction *a : resets)
            texts << a->text();
        QCOMPARE(texts, (QStringList{"電話(&2)", "", "すべて(&A)"}));
        resets.first()->trigger();
        QCOMPARE(test::lblC(w, 1)->caption(), QStringLiteral("0"));
        QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m().gCount(1), int16_t(1));
    }

    void pressOnCounterButton_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::addColumn<bool>("overflow");
        const Qt::KeyboardModifiers none;
        QTest::addRow("left: up") << Qt::LeftButton << none << 99 << 100 << false;
        QTest::addRow("left at 32767") << Qt::LeftButton << none << 32767 << 32767 << true;
        QTest::addRow("right: down") << Qt::RightButton << none << 101 << 100 << false;
        QTest::addRow("right with Shift")
            << Qt::RightButton << Qt::KeyboardModifiers(Qt::ShiftModifier) << 1 << 0 << false;
        QTest::addRow("right at zero") << Qt::RightButton << none << 0 << 0 << false;
        QTest::addRow("right raises a negative to zero")
            << Qt::RightButton << none << -5 << 0 << false;
        QTest::addRow("middle: nothing") << Qt::MiddleButton << none << 5 << 5 << false;
    }

    void pressOnCounterButton()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(int, before);
        QFETCH(int, after);
        QFETCH(bool, overflow);
        frmMain &w = *m_form;
        w.show();
        m().setCount(1, int16_t(before));
        test::lblC(w, 1)->setCaption(QString::number(before));
        // The press stays on the button: no menu.
        QSignalSpy menuShown(test::menu(w), &QMenu::aboutToShow);
        QTest::mouseClick(test::cmdC(w, 1), button, modifiers);
        QCOMPARE(int(m().gCount(1)), after);
        QCOMPARE(test::lblC(w, 1)->caption(), QString::number(after));
        QCOMPARE(m_sandbox->boxes.calls.size(), overflow ? 1 : 0);
        if (overflow)
            QCOMPARE(m_sandbox->boxes.calls[0].prompt, QStringLiteral("オーバーフローしました。"));
        QCOMPARE(menuShown.count(), 0);
    }

    void labelColourRule_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("red");
        for (int count : {0, 100, 200, 32700, -100, -300})
            QTest::addRow("%d", count) << count << true;
        for (int count : {1, 10, 99, 101, 250, -1, 32767, -32768})
            QTest::addRow("%d", count) << count << false;
    }

    void labelColourRule()
    {
        QFETCH(int, count);
        m().setCount(3, 7); // make the next count a change
        m().setCount(3, int16_t(count));
        QTEST(test::lblC(*m_form, 3)->palette().color(QPalette::WindowText) == QColor(255, 0, 0), "red");
    }

    // A first start says in the strip what to do, until the first title.
    void emptyStripSaysWhatToDoFirst()
    {
        m_form->load();
        m_form->show();
        auto *hint = m_form->findChild<QLabel *>("titleHint");
        QVERIFY(hint->isVisible());
        m().setTitle(2, QStringLiteral("電話"));
        QVERIFY(!hint->isVisible());
    }

    // A log that cannot be written is told once the store is done: a box
    // inside it would hold the record back until it is answered.
    void unwritableLogIsToldAfterTheStore()
    {
        m_form->load();
        m().setTitle(0, QStringLiteral("電話"));
        QDir().mkpath(countLogPath(Now().date())); // a folder where the log goes
        m().count(0, 1);
        m().store();
        QVERIFY(m_sandbox->boxes.calls.isEmpty());
        QCOMPARE(readRecordFile(countDataPath()).Count[0], 1);
        QTRY_COMPARE(m_sandbox->boxes.calls.size(), 1);
    }

    // A team not reached for a minute shows a mark beside the clock, its
    // cause its description; a strip without a team shows none.
    void teamTroubleShowsBesideTheClock()
    {
        Team team(m_sandbox->folder());
        m_form->setTeam(&team);
        m_form->load();
        m_form->show();
        auto *mark = m_form->findChild<QLabel *>("teamMark");
        team.setOptions({"host=nowhere.invalid dbname=team connect_timeout=1", "佐藤", "F"});
        QVERIFY(!mark->isVisible());
        m_sandbox->clock.set(Now().addSecs(61));
        QTRY_VERIFY(mark->isVisible());
        QCOMPARE(mark->accessibleDescription(), QStringLiteral("チームのサーバーに 09:00 から未接続です"));
        QCOMPARE(mark->focusPolicy(), Qt::NoFocus);
        team.setOptions({});
        QVERIFY(!mark->isVisible());
        m_form->setTeam(nullptr);
    }

    void showCounterFramesFollowsTitles()
    {
        frmMain &w = *m_form;
        w.show();
        const int placeOfThird = test::fraC(w, 2)->x();
        test::fraC(w, 1)->setCaption(QStringLiteral("old"));
        m().setTitle(0, QStringLiteral("受付"));
        m().setTitle(2, QStringLiteral("  "));
        ShowCounterFrames(m().titles(), *m_form);
        QVERIFY(test::fraC(w, 0)->isVisible());
        QCOMPARE(test::fraC(w, 0)->caption(), QStringLiteral("受付"));
        QVERIFY(!test::fraC(w, 1)->isVisible());
        QCOMPARE(test::fraC(w, 1)->caption(), QStringLiteral("old")); // hiding leaves it
        QVERIFY(test::fraC(w, 2)->isVisible());
        QCOMPARE(test::fraC(w, 2)->caption(), QStringLiteral("  ")); // blanks are a title
        QVERIFY(!test::fraC(w, 3)->isVisible());
        QVERIFY(!test::fraC(w, 4)->isVisible());
        QCOMPARE(test::fraC(w, 2)->x(), placeOfThird); // no closing up
    }

    void onlyTheStripsUncoveredAreaReachesItsHandlers()
    {
        frmMain &w = *m_form;
        for (int i : {0, 2, 3, 4}) // frame 1 hidden: its place is the window's
            m().setTitle(i, QStringLiteral("T%1").arg(i));
        ShowCounterFrames(m().titles(), w);
        w.show();
        QSignalSpy menuShown(closingMenu(w), &QMenu::aboutToShow);
        QSignalSpy unloaded(&w, &frmMain::unloaded);
        // Presses, drags and double clicks on frames, labels and the clock stop there.
        const QList<QWidget *> stoppers{test::fraC(w, 0), test::fraC(w, 4), test::lblC(w, 2),
                                        test::lblTime(w), test::Frame1(w)};
        for (QWidget *target : stoppers) {
            const QPoint inside(3, target->height() - 4);
            QTest::mousePress(target, Qt::LeftButton, {}, inside);
            QTest::mouseMove(target, inside + QPoint(1, 0));
            QTest::mouseRelease(target, Qt::LeftButton, {}, inside);
            QTest::mousePress(target, Qt::RightButton, {}, inside);
            QTest::mouseDClick(target, Qt::LeftButton, {}, inside);
        }
        QCOMPARE(menuShown.count(), 0);
        QCOMPARE(unloaded.count(), 0);
        // The blue bar, the bottom band, the right margin, a hidden frame's place.
        for (QPoint at : {QPoint(5, 20), QPoint(300, 36), QPoint(596, 10),
                          test::fraC(w, 1)->geometry().center()})
            QTest::mousePress(&w, Qt::RightButton, {}, at);
        QCOMPARE(menuShown.count(), 4);
    }

    void menuOpensAndEndCloses_data()
    {
        QTest::addColumn<int>("key"); // 0: a right press on the strip's margin
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addRow("right press") << 0 << Qt::KeyboardModifiers();
        QTest::addRow("Menu key") << int(Qt::Key_Menu) << Qt::KeyboardModifiers();
        QTest::addRow("Shift+F10") << int(Qt::Key_F10) << Qt::KeyboardModifiers(Qt::ShiftModifier);
    }

    void menuOpensAndEndCloses()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        frmMain &w = *m_form;
        w.load();
        m().setTitle(0, QStringLiteral("A"));
        ShowCounterFrames(m().titles(), *m_form);
        w.show();
        QApplication::setActiveWindow(&w);
        QSignalSpy unloaded(&w, &frmMain::unloaded);
        QStringList items;
        QTimer::singleShot(50, this, [&] {
            auto *popup = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!popup)
                return;
            for (const QAction *action : popup->actions())
                if (action->isVisible()) // チーム only with a team
                    items << action->text();
            if (popup == test::menu(w))
                popup->actions().last()->trigger();
            popup->close();
        });
        if (key)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
        else
            QTest::mousePress(&w, Qt::RightButton, {}, QPoint(5, 20));
        QCOMPARE(items, QStringList({"履歴(&H)...", "オプション(&O)...", "0 に戻す(&R)", "元に戻す(&U)", "終了"}));
        QCOMPARE(unloaded.count(), 1);
        QCOMPARE(m().gCount(0), int16_t(0)); // the key counted nothing
        QCOMPARE(m_sandbox->boxes.calls.size(), 1);
        QCOMPARE(m_sandbox->boxes.calls[0].prompt, farewell("0"));
    }

    void restorePromptAndWhatIsTakenOver_data()
    {
        QTest::addColumn<double>("day"); // the sandbox's today is 45292
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("timerOn");
        QTest::addRow("same day, Yes") << 45292.0 << 6 << true << 12 << -1;
        QTest::addRow("same day, No") << 45292.0 << 7 << true << 0 << -1;
        QTest::addRow("earlier day") << 45291.0 << 0 << false << 0 << -1;
        // A closed day never opens again: the later day is still the open one.
        QTest::addRow("later day: the clock set back") << 45293.0 << 6 << true << 12 << -1;
        QTest::addRow("alarm flag off") << 45291.0 << 0 << false << 0 << 0;
    }

    void restorePromptAndWhatIsTakenOver()
    {
        QFETCH(double, day);
        QFETCH(int, answer);
        QFETCH(bool, asked);
        QFETCH(int, count);
        QFETCH(int, timerOn);
        CountRecord stored = storedDay(day);
        stored.TimerOn = int16_t(timerOn);
        writeRecordFile(m_sandbox->path("Countdata.dat"), stored);
        if (answer)
            m_sandbox->boxes.setNextAnswer(answer);
        m_form->load();

        QCOMPARE(m_sandbox->boxes.calls.size(), asked ? 1 : 0);
        if (asked) {
            QCOMPARE(m_sandbox->boxes.calls[0].prompt, kPrompt);
            QCOMPARE(m_sandbox->boxes.calls[0].style, 36);
            QCOMPARE(m_sandbox->boxes.calls[0].caption, QStringLiteral("Zentova"));
        }
        QCOMPARE(int(m().gCount(0)), count);
        QCOMPARE(test::lblC(*m_form, 0)->caption(), QString::number(count));
        // Titles, the lap flag and the alarm always come back.
        QCOMPARE(test::fraC(*m_form, 0)->caption(), QStringLiteral("受付"));
        QVERIFY(test::fraC(*m_form, 1)->isHidden());
        QCOMPARE(m().gLapOn(), int16_t(1));
        QCOMPARE(int(m().gTimerOn()), timerOn);
        QCOMPARE(int(m().gAlarmMinute()), timerOn ? 30 : 0);
        QVERIFY(!m_form->isVisible()); // all before the window shows
    }

    void targetLineOnlyInTheFramesWithATarget_data()
    {
        QTest::addColumn<QByteArray>("options");
        QTest::addColumn<QList<QColor>>("lines"); // the track's first pixel, per frame
        const QColor none, going(48, 80, 224), met(0, 160, 64),
            track = QColor(192, 192, 255).darker(150);
        QTest::addRow("no option file") << QByteArray() << QList<QColor>(5, none);
        QTest::addRow("targets of 0")
            << QByteArray("[Targets]\nCounter1=0\nCounter3=0\n") << QList<QColor>(5, none);
        QTest::addRow("damaged values are none")
            << QByteArray("[Targets]\nCounter1=-5\nCounter2=40000\nCounter3=x\n")
            << QList<QColor>(5, none);
        // Stored counts 12, 30, 0, 7, -2: met at 12, not at 31; nothing done below 1.
        QTest::addRow("met, going, nothing yet")
            << QByteArray("[Targets]\nCounter1=12\nCounter2=31\nCounter3=5\nCounter5=1\n")
            << QList<QColor>{met, going, track, none, track};
    }

    // A frame with a target draws a line along its bottom; every other
    // pixel of the strip is what it is without the option.
    void targetLineOnlyInTheFramesWithATarget()
    {
        QFETCH(QByteArray, options);
        QFETCH(QList<QColor>, lines);
        CountRecord stored = storedDay(45292.0);
        stored.Title = {"a", "b", "c", "d", "e"};
        writeRecordFile(m_sandbox->path("Countdata.dat"), stored);
        const auto render = [this] {
            frmMain strip(m());
            strip.load();
            return strip.grab().toImage();
        };
        const QImage plain = render();
        if (!options.isEmpty())
            m_sandbox->writeFile("Options.ini", options);
        const QImage drawn = render();
        if (lines == QList<QColor>(5, QColor()))
            QCOMPARE(drawn, plain);
        for (int i = 0; i < CounterCount; ++i) {
            const QRect frame = test::fraC(*m_form, i)->geometry();
            // A target met is marked after the caption, in its row.
            const int captionRow = test::fraC(*m_form, i)->fontMetrics().height();
            const bool met = lines[i] == QColor(0, 160, 64);
            QCOMPARE(drawn.copy(frame.adjusted(0, captionRow, 0, -4)),
                     plain.copy(frame.adjusted(0, captionRow, 0, -4)));
            const QRect caption = frame.adjusted(0, 0, 0, captionRow - frame.height());
            QCOMPARE(drawn.copy(caption) != plain.copy(caption), met);
            QCOMPARE(drawn.copy(frame) == plain.copy(frame), !lines[i].isValid());
            if (lines[i].isValid())
                QCOMPARE(drawn.pixelColor(frame.left() + 3, frame.bottom() - 1), lines[i]);
        }
    }

    // A step other than one is said on its frame.
    void stepShowsOnTheFrame()
    {
        m_sandbox->writeFile("Options.ini", "[Step]\nCounter2=5\n");
        m_form->load();
        QCOMPARE(test::fraC(*m_form, 1)->stepMark(), QStringLiteral("5 ずつ"));
        QCOMPARE(test::fraC(*m_form, 0)->stepMark(), QString());
    }

    // A screen reader meets the counters left to right, then the clock's frame.
    void accessibleChildrenInScreenOrder()
    {
        QCOMPARE(test::accessibleChildren(m_form.get()),
                 (QStringList{"fraC0", "fraC1", "fraC2", "fraC3", "fraC4", "Frame1"}));
    }

    // The counts taken back at the prompt stay, whatever fails after it.
    void alarmTextThatIsNoNumberStopsLoadButKeepsTheCounts()
    {
        CountRecord r = storedDay(45292.0);
        r.AlarmMinuteText = QStringLiteral("半");
        writeRecordFile(m_sandbox->path("Countdata.dat"), r);
        m_form->load();
        QCOMPARE(m_sandbox->boxes.calls.size(), 2); // the prompt, then the error
        QCOMPARE(m_sandbox->boxes.calls[1].prompt, QStringLiteral("型が一致しません。"));
        QCOMPARE(m().gCount(0), int16_t(12));
        m_form->unload();
        QCOMPARE(readRecordFile(m_sandbox->path("Countdata.dat")).Count[0], int16_t(12));
        QCOMPARE(m().gAlarmHour(), int16_t(7)); // set before the minute failed
        QCOMPARE(m().gAlarmMinute(), int16_t(0));
        QCOMPARE(test::lblC(*m_form, 0)->caption(), QStringLiteral("12"));
    }

    void farewellTotal_data()
    {
        QTest::addColumn<QList<int>>("counts");
        QTest::addColumn<QString>("total");
        QTest::addColumn<int>("closedOn"); // day of the month, in January 2024
        QTest::addRow("negative counts") << QList<int>{5, 0, 0, -12, 0} << "-7" << 1;
        QTest::addRow("past 16 bits") << QList<int>{20000, 20000, 32767, 0, 0} << "72767" << 1;
        QTest::addRow("closed past midnight: the new day") << QList<int>{1, 0, 0, 0, 0} << "1" << 2;
    }

    void farewellTotal()
    {
        QFETCH(QList<int>, counts);
        QFETCH(QString, total);
        QFETCH(int, closedOn);
        m_form->load();
        for (int i = 0; i < CounterCount; ++i)
            m().setCount(i, int16_t(counts[i]));
        m_sandbox->clock.set(QDateTime(QDate(2024, 1, closedOn), QTime(0, 5)));
        m_form->unload();
        QCOMPARE(m_sandbox->boxes.calls.size(), 1);
        QCOMPARE(m_sandbox->boxes.calls[0].prompt, farewell(total));
        const CountRecord stored = readRecordFile(m_sandbox->path("Countdata.dat"));
        for (int i = 0; i < CounterCount; ++i)
            QCOMPARE(int(stored.Count[size_t(i)]), counts[i]);
        QCOMPARE(stored.SavedDate, 45291.0 + closedOn);
    }

    void unreadableDataFileShowsErrorAndWindowStaysBare()
    {
        m_sandbox->writeFile("plain", "x");
        setAppFolder(m_sandbox->path("plain/bin"));
        setUserDataFolder(m_sandbox->path("plain/user"));
        m_form->load();
        QCOMPARE(m_sandbox->boxes.calls.size(), 1);
        QVERIFY(m_sandbox->boxes.calls[0].prompt != kPrompt);
        QVERIFY(!test::fraC(*m_form, 1)->isHidden());
        // The close still says goodbye, then reports the failed save.
        m_form->unload();
        QCOMPARE(m_sandbox->boxes.calls.size(), 3);
        QCOMPARE(m_sandbox->boxes.calls[1].prompt, farewell("0"));
    }

    void fitOnScreens_data()
    {
        QTest::addColumn<QRect>("wanted");
        QTest::addColumn<QList<QRect>>("areas");
        QTest::addColumn<QPoint>("expected");
        const QRect strip(426, 1, 599, 38);
        const QList<QRect> two{{0, 0, 1280, 1024}, {1280, 0, 1024, 768}};
        QTest::addRow("fits") << strip << QList<QRect>{{0, 0, 1280, 1024}} << QPoint(426, 1);
        QTest::addRow("one pixel over")
            << strip << QList<QRect>{{0, 0, 1024, 768}} << QPoint(425, 1);
        QTest::addRow("scale 2 on 1920x1080")
            << strip << QList<QRect>{{0, 0, 960, 540}} << QPoint(361, 1);
        QTest::addRow("below a top panel")
            << strip << QList<QRect>{{0, 27, 1280, 997}} << QPoint(426, 27);
        QTest::addRow("on no screen: the primary")
            << QRect(3000, 900, 599, 38) << two << QPoint(681, 900);
        QTest::addRow("on the second screen")
            << QRect(2000, 700, 599, 38) << two << QPoint(1705, 700);
        QTest::addRow("wider than the screen")
            << strip << QList<QRect>{{0, 0, 320, 240}} << QPoint(0, 1);
    }

    void fitOnScreens()
    {
        QFETCH(QRect, wanted);
        QFETCH(QList<QRect>, areas);
        QTEST(zentova::fitOnScreens(wanted, areas, areas.first()), "expected");
    }

    void windowsOpenBesideTheStrip_data()
    {
        QTest::addColumn<QRect>("strip");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QRect>("expected"); // the frame of a 776 x 528 window
        const QRect large(0, 0, 1280, 800), small(0, 0, 1024, 600);
        QTest::addRow("top: below") << QRect(426, 1, 599, 38) << large << QRect(249, 47, 776, 528);
        QTest::addRow("bottom: above")
            << QRect(426, 740, 599, 38) << large << QRect(249, 204, 776, 528);
        QTest::addRow("lower middle: above, shortened")
            << QRect(426, 400, 599, 38) << large << QRect(249, 0, 776, 392);
        QTest::addRow("upper middle: below, shortened")
            << QRect(300, 280, 599, 38) << small << QRect(123, 326, 776, 274);
        QTest::addRow("top of a lower screen: below")
            << QRect(426, 430, 599, 38) << QRect(0, 400, 1280, 600) << QRect(249, 476, 776, 524);
        QTest::addRow("at the left edge")
            << QRect(0, 1, 599, 38) << small << QRect(0, 47, 776, 528);
        QTest::addRow("below a panel, second screen")
            << QRect(1400, 28, 599, 38) << QRect(1280, 27, 1024, 741) << QRect(1280, 74, 776, 528);
    }

    void windowsOpenBesideTheStrip()
    {
        QFETCH(QRect, strip);
        QFETCH(QRect, area);
        const QRect placed = besideStrip(strip, QSize(776, 528), area);
        QTEST(placed, "expected");
        QVERIFY(area.contains(placed));
        QVERIFY(!placed.intersects(strip.adjusted(0, -8, 0, 8))); // a gap either side
    }

    void framesAroundWindows_data()
    {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QMargins>("expected");
        const QMargins guess(8, 40, 8, 8);
        QTest::addRow("not framed yet") << QRect(201, 47, 760, 480) << guess;
        QTest::addRow("a title bar and thin borders")
            << QRect(200, 27, 762, 501) << QMargins(1, 20, 1, 1);
        QTest::addRow("measured at 1 x 1 in the corner") << QRect(0, 0, 1, 1) << guess;
        QTest::addRow("measured where the frame was first")
            << QRect(0, 0, 762, 501) << guess;
    }

    void framesAroundWindows()
    {
        QFETCH(QRect, frame);
        QTEST(frameAround(QRect(201, 47, 760, 480), frame, QMargins(8, 40, 8, 8)), "expected");
    }

    void stripOpensWhereItWasLeft_data()
    {
        // The test screen is 800 x 600: the usual place does not fit there.
        QTest::addColumn<QStringList>("remembered"); // x and y as the settings file holds them
        QTest::addColumn<QPoint>("expected");
        QTest::addRow("nothing remembered") << QStringList() << QPoint(201, 1);
        QTest::addRow("remembered") << QStringList{"100", "50"} << QPoint(100, 50);
        QTest::addRow("not numbers") << QStringList{"abc", "50"} << QPoint(201, 1);
        QTest::addRow("huge") << QStringList{"99999999999", "50"} << QPoint(201, 1);
    }

    void stripOpensWhereItWasLeft()
    {
        QFETCH(QStringList, remembered);
        if (!remembered.isEmpty()) {
            QSettings settings(QSettings::IniFormat, QSettings::UserScope, "zentova", "zentova");
            settings.setValue("strip/x", remembered[0]);
            settings.setValue("strip/y", remembered[1]);
        }
        m_form->placeAtStart();
        QTEST(m_form->pos(), "expected");
    }

    void eachDataFolderKeepsItsOwnPlace()
    {
        rememberStripPlace({100, 50});
        QTemporaryDir other;
        setAppFolder(other.path());
        QVERIFY(!rememberedStripPlace()); // not the other folder's place
        rememberStripPlace({300, 60});
        setAppFolder(m_sandbox->folder());
        QCOMPARE(rememberedStripPlace(), std::optional<QPoint>(QPoint(100, 50)));
    }

    void dragByHandEndsAtReleaseAndIsRemembered()
    {
        frmMain &w = *m_form;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // No window manager here: the strip follows the pointer by hand.
        QTest::mousePress(&w, Qt::LeftButton, {}, QPoint(5, 20));
        QTest::mouseMove(&w, QPoint(25, 30));
        QTest::mouseRelease(&w, Qt::LeftButton, {}, QPoint(25, 30));
        const QPoint released = w.pos();
        QCOMPARE(released, QPoint(446, 11));
        QTest::mouseMove(&w, QPoint(200, 30));
        QCOMPARE(w.pos(), released);
        QTRY_COMPARE(rememberedStripPlace().value_or(QPoint()), released);
    }

    void firstCounterInUseHasTheFocus_data()
    {
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QString>("focused");
        QTest::addRow("first in use") << QStringList{"A", "B", "", "", ""} << "cmdC0";
        QTest::addRow("first unused") << QStringList{"", "", "C", "D", ""} << "cmdC2";
        QTest::addRow("none in use: Set") << QStringList{"", "", "", "", ""} << "cmdSet";
    }

    void firstCounterInUseHasTheFocus()
    {
        QFETCH(QStringList, titles);
        for (int i = 0; i < CounterCount; ++i)
            m().setTitle(i, titles[i]);
        ShowCounterFrames(m().titles(), *m_form);
        m_form->show();
        QApplication::setActiveWindow(m_form.get());
        QTEST(QApplication::focusWidget()->objectName(), "focused");
    }

    void digitKeysCount_data()
    {
        QTest::addColumn<int>("keys");     // a key with its modifiers
        QTest::addColumn<int>("scanCode"); // as X sends it; 0: none
        QTest::addColumn<int>("counter");  // the one that changes, if any
        QTest::addColumn<int>("after");    // counts start at 5, 5, 0, 5, 5
        const auto row = [](const char *name, QKeyCombination keys, int scanCode, int counter,
                            int after) {
            QTest::addRow("%s", name) << keys.toCombined() << scanCode << counter << after;
        };
        row("1", Qt::Key_1 | Qt::NoModifier, 10, 0, 6);
        row("5", Qt::Key_5 | Qt::NoModifier, 14, 4, 6);
        row("keypad 2", Qt::Key_2 | Qt::KeypadModifier, 88, 1, 6);
        row("Shift+4, a layout keeping digits", Qt::Key_4 | Qt::ShiftModifier, 13, 3, 4);
        row("Shift+3 at zero", Qt::Key_3 | Qt::ShiftModifier, 12, 2, 0);
        // What a real keyboard sends: Shift makes the digit a sign.
        row("Shift+1 on a US keyboard: !", Qt::Key_Exclam | Qt::ShiftModifier, 10, 0, 4);
        row("Shift+2 on a Japanese keyboard: \"", Qt::Key_QuoteDbl | Qt::ShiftModifier, 11, 1, 4);
        row("Shift+5: %", Qt::Key_Percent | Qt::ShiftModifier, 14, 4, 4);
        row("Shift+6: &, no counter six", Qt::Key_Ampersand | Qt::ShiftModifier, 15, -1, 0);
        row("Shift+Q beside the row", Qt::Key_Q | Qt::ShiftModifier, 24, -1, 0);
        row("Ctrl+1", Qt::Key_1 | Qt::ControlModifier, 10, -1, 0);
        row("6", Qt::Key_6 | Qt::NoModifier, 15, -1, 0);
    }

    void digitKeysCount()
    {
        QFETCH(int, keys);
        QFETCH(int, scanCode);
        QFETCH(int, counter);
        QFETCH(int, after);
        const int start[CounterCount] = {5, 5, 0, 5, 5};
        for (int i = 0; i < CounterCount; ++i)
            m().setCount(i, int16_t(start[i]));
        m().setTitle(0, QStringLiteral("A")); // the others are counted though hidden
        ShowCounterFrames(m().titles(), *m_form);
        m_form->show();
        QApplication::setActiveWindow(m_form.get());
        const QKeyCombination key = QKeyCombination::fromCombined(keys);
        QKeyEvent press(QEvent::KeyPress, key.key(), key.keyboardModifiers(), quint32(scanCode), 0,
                        0);
        QApplication::sendEvent(QApplication::focusWidget(), &press);
        for (int i = 0; i < CounterCount; ++i)
            QCOMPARE(int(m().gCount(i)), i == counter ? after : start[i]);
    }

private:
    // The strip's menu, made to close as soon as it opens.
    static QMenu *closingMenu(frmMain &w)
    {
        QMenu *menu = test::menu(w);
        connect(menu, &QMenu::aboutToShow, menu,
                [menu] { QTimer::singleShot(0, menu, &QMenu::close); });
        return menu;
    }

    std::unique_ptr<frmMain> m_form;
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
