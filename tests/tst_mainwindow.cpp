// The strip: its layout, counting with both buttons, the value colours, and
// which presses reach the window's own handlers.
#include "main_window/frmmain.h"
#include "platform/runtime.h"
#include "state/counterstate.h"
#include "testsupport.h"

#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace zentova;

namespace
{

QColor textColour(const QWidget *w)
{
    return w->palette().color(QPalette::WindowText);
}

const QColor kRed(255, 0, 0);

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void windowIsBorderlessStripAtDesignPlace();
    void controlGeometry_data();
    void controlGeometry();
    void tabOrderRunsThroughCounterButtonsThenSet();

    void leftClickCountsUp();
    void clickAt32767ShowsOverflowAndChangesNothing();
    void rightPressCountsDownNeverBelowZero_data();
    void rightPressCountsDownNeverBelowZero();
    void middleAndLeftPressDoNotCountDown();
    void spaceOrEnterOnFocusedButtonCounts();
    void labelColourRule_data();
    void labelColourRule();

    void showCounterFramesFollowsTitles();
    void pressesOnFramesLabelsAndClockStopThere();
    void uncoveredAreaReachesWindowHandlers();
    void rightPressOnCounterButtonOpensNoMenu();
    void menuEndClosesTheWindow();
    void doubleClickOnMarginUnloads();

private:
    std::unique_ptr<test::Sandbox> m_sandbox;
    std::unique_ptr<frmMain> m_form;
};

void TestMainWindow::init()
{
    m_sandbox = std::make_unique<test::Sandbox>();
    m_form = std::make_unique<frmMain>();
}

void TestMainWindow::cleanup()
{
    m_form.reset();
    m_sandbox.reset();
}

void TestMainWindow::windowIsBorderlessStripAtDesignPlace()
{
    frmMain &w = *m_form;
    QCOMPARE(w.size(), QSize(599, 38));
    QCOMPARE(w.pos(), QPoint(426, 1));
    QVERIFY(w.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(w.windowFlags() & Qt::Tool); // no taskbar button
    w.load();
    QVERIFY(w.windowFlags() & Qt::WindowStaysOnTopHint);
    const QImage shot = w.grab().toImage();
    for (int y : {0, 20, 37}) {
        QCOMPARE(shot.pixelColor(0, y), QColor(0, 128, 255));
        QCOMPARE(shot.pixelColor(13, y), QColor(0, 128, 255));
        QCOMPARE(shot.pixelColor(14, y), QColor(192, 192, 255));
    }
}

void TestMainWindow::controlGeometry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    QTest::addRow("Frame1") << "Frame1" << QRect(7440, 0, 1455, 495);
    QTest::addRow("cmdSet") << "cmdSet" << QRect(810, 150, 555, 300);
    QTest::addRow("lblTime") << "lblTime" << QRect(180, 180, 615, 255);
    for (int i = 0; i < CounterCount; ++i) {
        QTest::addRow("fraC(%d)", i)
            << QStringLiteral("fraC%1").arg(i) << QRect(240 + 1440 * i, 0, 1455, 495);
        QTest::addRow("cmdC(%d)", i)
            << QStringLiteral("cmdC%1").arg(i) << QRect(780, 150, 605, 300);
        QTest::addRow("lblC(%d)", i) << QStringLiteral("lblC%1").arg(i) << QRect(90, 180, 615, 255);
    }
}

void TestMainWindow::controlGeometry()
{
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    auto *w = m_form->findChild<QWidget *>(name);
    QVERIFY(w);
    const QRect expected(twipsToPixels(twips.x()), twipsToPixels(twips.y()),
                         twipsToPixels(twips.width()), twipsToPixels(twips.height()));
    QCOMPARE(w->geometry(), expected);
}

void TestMainWindow::tabOrderRunsThroughCounterButtonsThenSet()
{
    frmMain &w = *m_form;
    QList<QWidget *> chain;
    QWidget *at = w.cmdC(0);
    for (int k = 0; k < 6; ++k) {
        chain << at;
        at = at->nextInFocusChain();
        while (at->focusPolicy() == Qt::NoFocus || !at->isEnabled())
            at = at->nextInFocusChain();
    }
    QCOMPARE(chain,
             (QList<QWidget *>{w.cmdC(0), w.cmdC(1), w.cmdC(2), w.cmdC(3), w.cmdC(4), w.cmdSet}));
}

void TestMainWindow::leftClickCountsUp()
{
    frmMain &w = *m_form;
    w.show();
    gCount(2) = 99;
    QTest::mouseClick(w.cmdC(2), Qt::LeftButton);
    QCOMPARE(gCount(2), int16_t(100));
    QCOMPARE(w.lblC(2)->caption(), QStringLiteral("100"));
    QCOMPARE(textColour(w.lblC(2)), kRed);
    QTest::mouseClick(w.cmdC(2), Qt::LeftButton);
    QCOMPARE(w.lblC(2)->caption(), QStringLiteral("101"));
    QCOMPARE(textColour(w.lblC(2)), colorFromValue(colorvalue::ButtonText));
    QCOMPARE(gCount(1), int16_t(0));
    QVERIFY(m_sandbox->boxes.calls.isEmpty());
}

void TestMainWindow::clickAt32767ShowsOverflowAndChangesNothing()
{
    frmMain &w = *m_form;
    w.show();
    gCount(4) = 32767;
    w.lblC(4)->setCaption(QStringLiteral("32767"));
    QTest::mouseClick(w.cmdC(4), Qt::LeftButton);
    QCOMPARE(gCount(4), int16_t(32767));
    QCOMPARE(w.lblC(4)->caption(), QStringLiteral("32767"));
    QCOMPARE(m_sandbox->boxes.calls.size(), 1);
    QCOMPARE(m_sandbox->boxes.calls[0].prompt, QStringLiteral("オーバーフローしました。"));
    QCOMPARE(m_sandbox->boxes.calls[0].style, 0);
    QTest::mousePress(w.cmdC(4), Qt::RightButton);
    QCOMPARE(gCount(4), int16_t(32766));
}

void TestMainWindow::rightPressCountsDownNeverBelowZero_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    QTest::addColumn<bool>("red");
    QTest::addRow("1 to 0") << 1 << 0 << true;
    QTest::addRow("0 stays") << 0 << 0 << true;
    QTest::addRow("negative raised to 0") << -5 << 0 << true;
    QTest::addRow("100 to 99") << 100 << 99 << false;
    QTest::addRow("101 to 100") << 101 << 100 << true;
    QTest::addRow("32767 to 32766") << 32767 << 32766 << false;
}

void TestMainWindow::rightPressCountsDownNeverBelowZero()
{
    QFETCH(int, before);
    QFETCH(int, after);
    QFETCH(bool, red);
    frmMain &w = *m_form;
    w.show();
    gCount(1) = int16_t(before);
    QTest::mousePress(w.cmdC(1), Qt::RightButton);
    QTest::mouseRelease(w.cmdC(1), Qt::RightButton);
    QCOMPARE(int(gCount(1)), after);
    QCOMPARE(w.lblC(1)->caption(), QString::number(after));
    QCOMPARE(textColour(w.lblC(1)) == kRed, red);
    // With Shift held it counts down just the same.
    gCount(1) = int16_t(before);
    QTest::mousePress(w.cmdC(1), Qt::RightButton, Qt::ShiftModifier);
    QCOMPARE(int(gCount(1)), after);
}

void TestMainWindow::middleAndLeftPressDoNotCountDown()
{
    frmMain &w = *m_form;
    w.show();
    gCount(0) = 5;
    QTest::mousePress(w.cmdC(0), Qt::MiddleButton);
    QTest::mouseRelease(w.cmdC(0), Qt::MiddleButton);
    QCOMPARE(gCount(0), int16_t(5));
    QTest::mousePress(w.cmdC(0), Qt::LeftButton);
    QCOMPARE(gCount(0), int16_t(5)); // the click comes with the release
    QTest::mouseRelease(w.cmdC(0), Qt::LeftButton);
    QCOMPARE(gCount(0), int16_t(6));
}

void TestMainWindow::spaceOrEnterOnFocusedButtonCounts()
{
    frmMain &w = *m_form;
    w.show();
    w.activateWindow();
    w.cmdC(3)->setFocus();
    QTest::keyClick(w.cmdC(3), Qt::Key_Space);
    QCOMPARE(gCount(3), int16_t(1));
    QTest::keyClick(w.cmdC(3), Qt::Key_Return);
    QCOMPARE(gCount(3), int16_t(2));
}

void TestMainWindow::labelColourRule_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("red");
    for (const char *text : {"0", "100", "200", "32700", "-100", "-300"})
        QTest::addRow("%s", text) << QString::fromLatin1(text) << true;
    for (const char *text : {"1", "99", "101", "-1", "32767", "-32768"})
        QTest::addRow("%s", text) << QString::fromLatin1(text) << false;
}

void TestMainWindow::labelColourRule()
{
    QFETCH(QString, caption);
    QFETCH(bool, red);
    frmMain &w = *m_form;
    w.lblC(3)->setCaption(QStringLiteral("7")); // make the next caption a change
    w.lblC(3)->setCaption(caption);
    QCOMPARE(textColour(w.lblC(3)) == kRed, red);
}

void TestMainWindow::showCounterFramesFollowsTitles()
{
    frmMain &w = *m_form;
    w.show();
    w.fraC(1)->setCaption(QStringLiteral("old"));
    gTitle(0) = QStringLiteral("受付");
    gTitle(2) = QStringLiteral("  ");
    ShowCounterFrames();
    QVERIFY(w.fraC(0)->isVisible());
    QCOMPARE(w.fraC(0)->caption(), QStringLiteral("受付"));
    QVERIFY(!w.fraC(1)->isVisible());
    QCOMPARE(w.fraC(1)->caption(), QStringLiteral("old")); // hiding leaves it
    QVERIFY(w.fraC(2)->isVisible());
    QCOMPARE(w.fraC(2)->caption(), QStringLiteral("  ")); // blanks are a title
    QVERIFY(!w.fraC(3)->isVisible());
    QVERIFY(!w.fraC(4)->isVisible());
    QCOMPARE(w.fraC(2)->x(), twipsToPixels(240 + 1440 * 2)); // no closing up
}

void TestMainWindow::pressesOnFramesLabelsAndClockStopThere()
{
    frmMain &w = *m_form;
    for (int i = 0; i < CounterCount; ++i)
        gTitle(i) = QStringLiteral("T%1").arg(i);
    ShowCounterFrames();
    w.show();
    QSignalSpy spy(&w, &frmMain::windowHandlerEntered);
    const QList<QWidget *> targets = {w.fraC(0), w.fraC(4), w.lblC(2), w.lblTime, w.Frame1};
    for (QWidget *target : targets) {
        const QPoint inside(3, target->height() - 4);
        QTest::mousePress(target, Qt::LeftButton, {}, inside);
        QTest::mouseMove(target, inside + QPoint(1, 0));
        QTest::mouseRelease(target, Qt::LeftButton, {}, inside);
        QTest::mousePress(target, Qt::RightButton, {}, inside);
        QTest::mouseRelease(target, Qt::RightButton, {}, inside);
        QTest::mouseDClick(target, Qt::LeftButton, {}, inside);
    }
    QCOMPARE(spy.count(), 0);
    QVERIFY(!w.isUnloaded());
    QVERIFY(m_sandbox->boxes.calls.isEmpty());
}

void TestMainWindow::uncoveredAreaReachesWindowHandlers()
{
    frmMain &w = *m_form;
    gTitle(0) = QStringLiteral("A"); // frame 1 hidden: its place is the window's
    ShowCounterFrames();
    w.show();
    QSignalSpy spy(&w, &frmMain::windowHandlerEntered);
    const QPoint blueBar(5, 20), bottomBand(300, 36), rightMargin(596, 10),
        hiddenFrame(twipsToPixels(240 + 1440) + 30, 15);
    for (QPoint at : {blueBar, bottomBand, rightMargin, hiddenFrame}) {
        spy.clear();
        QTest::mousePress(&w, Qt::MiddleButton, {}, at);
        QTest::mouseRelease(&w, Qt::MiddleButton, {}, at);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("Form_MouseDown"));
    }
}

void TestMainWindow::rightPressOnCounterButtonOpensNoMenu()
{
    frmMain &w = *m_form;
    gTitle(0) = QStringLiteral("A");
    ShowCounterFrames();
    w.show();
    gCount(0) = 3;
    QSignalSpy spy(&w, &frmMain::windowHandlerEntered);
    QSignalSpy menuShown(w.menu, &QMenu::aboutToShow);
    QTest::mousePress(w.cmdC(0), Qt::RightButton);
    QTest::mouseRelease(w.cmdC(0), Qt::RightButton);
    QCOMPARE(gCount(0), int16_t(2));
    QCOMPARE(spy.count(), 0);
    QCOMPARE(menuShown.count(), 0);
}

void TestMainWindow::menuEndClosesTheWindow()
{
    frmMain &w = *m_form;
    w.load();
    w.show();
    QSignalSpy unloaded(&w, &frmMain::unloaded);
    bool sawMenu = false;
    QTimer::singleShot(50, this, [&] {
        auto *popup = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        sawMenu = popup == w.menu && popup->actions().size() == 1 &&
                  popup->actions().at(0)->text() == QStringLiteral("終了");
        if (popup)
            popup->actions().at(0)->trigger();
        if (popup)
            popup->close();
    });
    QTest::mousePress(&w, Qt::RightButton, {}, QPoint(5, 20));
    QVERIFY(sawMenu);
    QCOMPARE(unloaded.count(), 1);
    QCOMPARE(m_sandbox->boxes.calls.size(), 1);
    QCOMPARE(m_sandbox->boxes.calls[0].prompt,
             QStringLiteral("お疲れ様でした。今日の処理件数は 0件でした。"));
}

void TestMainWindow::doubleClickOnMarginUnloads()
{
    frmMain &w = *m_form;
    w.load();
    w.show();
    QSignalSpy unloaded(&w, &frmMain::unloaded);
    QTest::mouseDClick(&w, Qt::LeftButton, {}, QPoint(596, 20));
    QCOMPARE(unloaded.count(), 1);
    QVERIFY(!w.isVisible());
    // A second close does not unload twice.
    w.close();
    QCOMPARE(unloaded.count(), 1);
    QCOMPARE(m_sandbox->boxes.calls.size(), 1);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
