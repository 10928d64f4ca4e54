// Under an English session no text the user sees or hears from a screen
// reader is Japanese: the strip with its menu and tooltips, the boxes, the
// settings dialog, and the options and history windows.
#include "core/base/language.h"
#include "core/history/history.h"
#include "core/model/alarm.h"
#include "core/state/countdata.h"
#include "formcontrols.h"
#include "gui/history/historywindow.h"
#include "gui/settings/frmset.h"
#include "gui/settings/optionswindow.h"
#include "gui/strip/frmmain.h"
#include "gui/team/teamwindow.h"
#include "testsupport.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QMetaProperty>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

using namespace zentova;

namespace
{

// Every text a window shows or gives a screen reader: its objects' text
// properties (titles, labels, tooltips, accessible names, actions), the
// items of its lists and the headers and cells of its tables.
QStringList textsOf(const QWidget &window)
{
    QList<QObject *> objects = window.findChildren<QObject *>();
    objects.prepend(const_cast<QWidget *>(&window));
    QStringList texts;
    for (QObject *object : std::as_const(objects)) {
        const QMetaObject *meta = object->metaObject();
        for (int i = 0; i < meta->propertyCount(); ++i) {
            const QMetaProperty property = meta->property(i);
            // A text document's HTML names the fonts, which nobody reads.
            if (property.typeId() == QMetaType::QString && qstrcmp(property.name(), "html") != 0)
                texts << property.read(object).toString();
        }
        if (const auto *box = qobject_cast<QComboBox *>(object)) {
            for (int k = 0; k < box->count(); ++k)
                texts << box->itemText(k);
        }
        if (const auto *frame = qobject_cast<FrameBox *>(object))
            texts << frame->caption();
        if (const auto *view = qobject_cast<QAbstractItemView *>(object)) {
            const QAbstractItemModel *model = view->model();
            for (int c = 0; model && c < model->columnCount(); ++c) {
                texts << model->headerData(c, Qt::Horizontal).toString();
                for (int r = 0; r < model->rowCount(); ++r)
                    texts << model->index(r, c).data().toString()
                          << model->index(r, c).data(Qt::ToolTipRole).toString();
            }
        }
    }
    return texts;
}

void verifyEnglish(const QStringList &texts)
{
    static const QRegularExpression japanese(
        QStringLiteral("[\\x{3000}-\\x{30ff}\\x{4e00}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
    for (const QString &text : texts)
        QVERIFY2(!text.contains(japanese), qPrintable(text.right(400)));
    QVERIFY(texts.size() > 10);
}

} // namespace

class TestEnglish : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { setUiLanguage(Language::English); }

    void everyWindowAndBoxInEnglish()
    {
        test::Sandbox sandbox;
        CountRecord stored;
        stored.Count = {3, 1, 0, 0, 0};
        stored.Title = {QStringLiteral("Calls"), QStringLiteral("Mails"), {}, {}, {}};
        stored.TimerOn = -1;
        stored.AlarmHourText = QStringLiteral("7");
        stored.AlarmMinuteText = QStringLiteral("5");
        stored.SavedDate = dayNumber(QDate(2024, 1, 1)); // today: the counts are offered
        writeRecordFile(sandbox.path("Countdata.dat"), stored);
        HistoryDay yesterday = dayOfRecord(stored);
        yesterday.date = QDate(2023, 12, 31);
        sandbox.writeFile("history.csv", historyFileText({yesterday}));
        sandbox.boxes.setNextAnswer(6); // yes, show them again

        frmMain strip(*sandbox.model);
        strip.load();
        sandbox.model->count(0, 1);
        emit test::menu(strip)->aboutToShow(); // the undo item says what it takes back
        QStringList texts = textsOf(strip) + textsOf(*test::menu(strip));
        QVERIFY(strip.findChild<QAction *>("undoAction")->text().startsWith("&Undo: Calls +1"));

        frmSet settings(*sandbox.model, &strip, &strip);
        texts += textsOf(settings);
        OptionsWindow options(sandbox.model->titles());
        texts += textsOf(options);
        QVERIFY2(texts.contains("&1 Calls:"), qPrintable(texts.join(u'|'))); // the key first

        HistoryWindow history(*sandbox.model);
        history.findChild<QComboBox *>("rangeBox")->setCurrentIndex(3); // everything
        texts += textsOf(history);
        QCOMPARE(history.shownDays().size(), size_t(2));
        QVERIFY(history.clipboardText().contains("Range total (2 days)"));
        history.findChild<QComboBox *>("rangeBox")->setCurrentIndex(0); // this week: today
        QVERIFY(history.findChild<QLabel *>("totals")->text().startsWith("Range total (1 day)"));
        // A copy for a spreadsheet is headed in English; history.csv stays as it is.
        QVERIFY(history.clipboardText().startsWith("Date\tCalls\tMails\tTotal\n"));
        QVERIFY(sandbox.readFile("history.csv").contains("日付,項目1,件数1,"));
        // The team's window, its server out of reach.
        TeamWindow team({"host=nowhere.invalid dbname=office", "Sato", "F"}, QDate(2024, 1, 1));
        QSignalSpy read(&team, &TeamWindow::refreshed);
        team.show();
        QVERIFY(read.wait(15000));
        // The cause after it is libpq's own, in the session's language.
        const QString status = team.findChild<QLabel *>("status")->text();
        QVERIFY(status.startsWith("Cannot reach the team's server: "));
        texts += textsOf(team).filter(QRegularExpression("^(?!Cannot reach the team)"));

        texts << alarmMessage(7, 5) << alarmTitle() << errorDescription(ErrorCode::TypeMismatch);
        strip.unload(); // the day's total
        QCOMPARE(sandbox.boxes.calls.size(), 2);
        for (const auto &box : sandbox.boxes.calls)
            texts << box.prompt << box.caption;
        QCOMPARE(sandbox.boxes.calls.last().prompt,
                 QStringLiteral("Well done! You handled 5 cases today."));
        verifyEnglish(texts);
    }
};

QTEST_MAIN(TestEnglish)
#include "tst_english.moc"
