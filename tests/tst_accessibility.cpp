// What assistive technology hears: every control a user can reach has a
// name that says which counter it belongs to and what it holds; the strip
// and the dialog work from the keyboard.
#include "main_window/frmmain.h"
#include "settings/frmset.h"
#include "state/counterstate.h"
#include "testsupport.h"

#include <QAccessible>
#include <QApplication>
#include <QTest>

using namespace zentova;

namespace
{

QString accessibleName(QWidget *w)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(QAccessible::Name) : QString();
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_sandbox = std::make_unique<test::Sandbox>(); }
    void cleanup() { m_sandbox.reset(); }

    void counterControlsSayTheirCounterAndValue();
    void dialogWorksWithoutMouse();

private:
    std::unique_ptr<test::Sandbox> m_sandbox;
};

void TestAccessibility::counterControlsSayTheirCounterAndValue()
{
    frmMain w;
    w.load();
    gTitle(0) = QStringLiteral("受付");
    gTitle(2) = QStringLiteral("電話");
    ShowCounterFrames();
    w.show();
    QTest::mouseClick(w.cmdC(0), Qt::LeftButton);
    QTest::mouseClick(w.cmdC(0), Qt::LeftButton);
    QCOMPARE(accessibleName(w.cmdC(0)), QStringLiteral("受付 を 1 増やす"));
    QCOMPARE(accessibleName(w.lblC(0)), QStringLiteral("受付 の件数 2"));
    QCOMPARE(accessibleName(w.cmdC(2)), QStringLiteral("電話 を 1 増やす"));
    QCOMPARE(accessibleName(w.lblC(2)), QStringLiteral("電話 の件数 0"));
    for (int i : {1, 3, 4}) {
        QCOMPARE(accessibleName(w.cmdC(i)), QStringLiteral("カウンター %1 を 1 増やす").arg(i + 1));
        QCOMPARE(accessibleName(w.lblC(i)), QStringLiteral("カウンター %1 の件数 0").arg(i + 1));
    }
}

void TestAccessibility::dialogWorksWithoutMouse()
{
    gTitle(0) = QStringLiteral("A");
    frmMain w;
    frmSet d(&w);
    d.prepareToShow();
    d.show();
    QApplication::setActiveWindow(&d);
    QTRY_VERIFY(d.txtC(0)->hasFocus());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("12"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); // to the alarm option
    QVERIFY(d.optTimer(1)->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left); // arrows choose ON
    QVERIFY(d.optTimer(0)->isChecked());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QVERIFY(d.txtTimer(0)->hasFocus()); // ON was a single stop
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("8"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("45"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(gCount(0), int16_t(12));
    QCOMPARE(gTimerOn, int16_t(-1));
    QCOMPARE(gAlarmHour, int16_t(8));
    QCOMPARE(gAlarmMinute, int16_t(45));
    QVERIFY(!d.isVisible());
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
