// Start-up and shut-down through the message-box and clock seams: the
// restore prompt, what is taken over from the file, and what the close stores.
#include "main_window/frmmain.h"
#include "platform/folders.h"
#include "state/countdata.h"
#include "state/counterstate.h"
#include "testsupport.h"

#include <QFileInfo>
#include <QTest>

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

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void sameDayYesRestoresCounts();
    void sameDayNoLeavesCountsAtZero();
    void laterDayAsksNothing();
    void firstStartCreatesEmptyFile();
    void alarmFlagOffIgnoresAlarmTexts();
    void alarmTextThatIsNoNumberStopsLoad();
    void unloadStoresTheDay();
    void unloadTotalsNegativeCounts();
    void unloadTotalPast16BitsIsStillShownAndStored();
    void unreadableDataFileShowsErrorAndWindowStaysBare();
    void runPastMidnightStoresTheNewDay();

private:
    std::unique_ptr<test::Sandbox> m_sandbox;
    std::unique_ptr<frmMain> m_form;
};

void TestStartup::init()
{
    m_sandbox = std::make_unique<test::Sandbox>();
    m_form = std::make_unique<frmMain>();
}

void TestStartup::cleanup()
{
    m_form.reset();
    m_sandbox.reset();
}

void TestStartup::sameDayYesRestoresCounts()
{
    writeRecordFile(m_sandbox->path("Countdata.dat"), storedDay(45292.0));
    m_sandbox->boxes.setNextAnswer(6);
    m_form->load();

    QCOMPARE(m_sandbox->boxes.calls.size(), 1);
    QCOMPARE(m_sandbox->boxes.calls[0].prompt, kPrompt);
    QCOMPARE(m_sandbox->boxes.calls[0].style, 36);
    QCOMPARE(m_sandbox->boxes.calls[0].caption, QStringLiteral("Zentova"));
    QCOMPARE(gCount(0), int16_t(12));
    QCOMPARE(gCount(4), int16_t(-2));
    QCOMPARE(m_form->lblC(1)->caption(), QStringLiteral("30"));
    QCOMPARE(m_form->lblC(4)->caption(), QStringLiteral("-2"));
    QCOMPARE(gTitle(0), QStringLiteral("受付"));
    QCOMPARE(gLapOn, int16_t(1));
    QCOMPARE(gTimerOn, int16_t(-1));
    QCOMPARE(gAlarmHour, int16_t(7));
    QCOMPARE(gAlarmMinute, int16_t(30));
    QVERIFY(!m_form->fraC(0)->isHidden());
    QCOMPARE(m_form->fraC(0)->caption(), QStringLiteral("受付"));
    QVERIFY(m_form->fraC(1)->isHidden());
    QVERIFY(!m_form->fraC(2)->isHidden());
    QVERIFY(!m_form->isVisible()); // the prompt came before the window showed
}

void TestStartup::sameDayNoLeavesCountsAtZero()
{
    writeRecordFile(m_sandbox->path("Countdata.dat"), storedDay(45292.0));
    m_sandbox->boxes.setNextAnswer(7);
    m_form->load();
    for (int i = 0; i < CounterCount; ++i) {
        QCOMPARE(gCount(i), int16_t(0));
        QCOMPARE(m_form->lblC(i)->caption(), QStringLiteral("0"));
    }
    QCOMPARE(gTitle(2), QStringLiteral("電話")); // titles and alarm come back anyway
    QCOMPARE(gAlarmMinute, int16_t(30));
}

void TestStartup::laterDayAsksNothing()
{
    writeRecordFile(m_sandbox->path("Countdata.dat"), storedDay(45291.0));
    m_form->load();
    QVERIFY(m_sandbox->boxes.calls.isEmpty());
    QCOMPARE(gCount(0), int16_t(0));
    QCOMPARE(gTitle(0), QStringLiteral("受付"));
    QCOMPARE(gTimerOn, int16_t(-1));
}

void TestStartup::firstStartCreatesEmptyFile()
{
    m_form->load();
    QVERIFY(m_sandbox->boxes.calls.isEmpty());
    QCOMPARE(QFileInfo(m_sandbox->path("Countdata.dat")).size(), 0);
    for (int i = 0; i < CounterCount; ++i) {
        QVERIFY(m_form->fraC(i)->isHidden());
        QCOMPARE(m_form->lblC(i)->caption(), QStringLiteral("0"));
    }
    QCOMPARE(gTimerOn, int16_t(0));
    QCOMPARE(gLapOn, int16_t(0));
}

void TestStartup::alarmFlagOffIgnoresAlarmTexts()
{
    CountRecord r = storedDay(45000.0);
    r.TimerOn = 0;
    writeRecordFile(m_sandbox->path("Countdata.dat"), r);
    m_form->load();
    QCOMPARE(gTimerOn, int16_t(0));
    QCOMPARE(gAlarmHour, int16_t(0));
    QCOMPARE(gAlarmMinute, int16_t(0));
}

void TestStartup::alarmTextThatIsNoNumberStopsLoad()
{
    CountRecord r = storedDay(45000.0);
    r.AlarmMinuteText = QStringLiteral("半");
    writeRecordFile(m_sandbox->path("Countdata.dat"), r);
    m_form->load();
    QCOMPARE(m_sandbox->boxes.calls.size(), 1);
    QCOMPARE(m_sandbox->boxes.calls[0].prompt, QStringLiteral("型が一致しません。"));
    QCOMPARE(m_sandbox->boxes.calls[0].style, 0);
    QCOMPARE(gTimerOn, int16_t(-1));
    QCOMPARE(gAlarmHour, int16_t(7)); // set before the minute failed
    QCOMPARE(gAlarmMinute, int16_t(0));
    // Labels and frames were not reached.
    QCOMPARE(m_form->lblC(0)->caption(), QString());
    QVERIFY(!m_form->fraC(1)->isHidden());
}

void TestStartup::unloadStoresTheDay()
{
    m_form->load();
    gCount(0) = 12;
    gCount(1) = 30;
    gTitle(0) = QStringLiteral("A");
    gTimerOn = -1;
    gAlarmHour = 7;
    gAlarmMinute = 30;
    gLapOn = -1;
    m_form->unload();
    QCOMPARE(m_sandbox->boxes.calls.size(), 1);
    QCOMPARE(m_sandbox->boxes.calls[0].prompt, farewell("42"));
    QCOMPARE(m_sandbox->boxes.calls[0].style, 0);
    QCOMPARE(m_sandbox->boxes.calls[0].caption, QStringLiteral("Zentova"));
    QCOMPARE(m_sandbox->readFile("Countdata.dat"),
             test::hex("0C 00 1E 00 00 00 00 00 00 00 01 00 41 00 00 00 00 00 00 00 00 01 00 37 "
                       "02 00 33 30 FF FF FF FF 00 00 00 00 80 1D E6 40"));
}

void TestStartup::unloadTotalsNegativeCounts()
{
    m_form->load();
    gCount(0) = 5;
    gCount(3) = -12;
    m_form->unload();
    QCOMPARE(m_sandbox->boxes.calls[0].prompt, farewell("-7"));
    const CountRecord stored = readRecordFile(m_sandbox->path("Countdata.dat"));
    QCOMPARE(stored.Count[3], int16_t(-12));
    QCOMPARE(stored.AlarmHourText, QStringLiteral("0"));
    QCOMPARE(stored.AlarmMinuteText, QStringLiteral("0"));
}

void TestStartup::unloadTotalPast16BitsIsStillShownAndStored()
{
    m_form->load();
    gCount(0) = 20000;
    gCount(1) = 20000;
    gCount(2) = 32767;
    m_form->unload();
    QCOMPARE(m_sandbox->boxes.calls.size(), 1);
    QCOMPARE(m_sandbox->boxes.calls[0].prompt, farewell("72767"));
    const CountRecord stored = readRecordFile(m_sandbox->path("Countdata.dat"));
    QCOMPARE(stored.Count[0], int16_t(20000));
    QCOMPARE(stored.Count[2], int16_t(32767));
}

void TestStartup::unreadableDataFileShowsErrorAndWindowStaysBare()
{
    m_sandbox->writeFile("plain", "x");
    setAppFolder(m_sandbox->path("plain/bin"));
    setUserDataFolder(m_sandbox->path("plain/user"));
    m_form->load();
    QCOMPARE(m_sandbox->boxes.calls.size(), 1);
    QCOMPARE(m_sandbox->boxes.calls[0].style, 0);
    QVERIFY(m_sandbox->boxes.calls[0].prompt != kPrompt);
    for (int i = 0; i < CounterCount; ++i) {
        QVERIFY(!m_form->fraC(i)->isHidden());
        QCOMPARE(m_form->lblC(i)->caption(), QString());
    }
    // The close still says goodbye, then reports the failed save.
    m_form->unload();
    QCOMPARE(m_sandbox->boxes.calls.size(), 3);
    QCOMPARE(m_sandbox->boxes.calls[1].prompt, farewell("0"));
    QCOMPARE(m_sandbox->boxes.calls[2].style, 0);
}

void TestStartup::runPastMidnightStoresTheNewDay()
{
    m_form->load();
    gCount(0) = 3;
    m_sandbox->clock.set(QDateTime(QDate(2024, 1, 2), QTime(0, 5)));
    m_form->unload();
    QCOMPARE(readRecordFile(m_sandbox->path("Countdata.dat")).SavedDate, 45293.0);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
