#include "gui/team/teamwindow.h"
#include "core/base/csv.h"
#include "core/base/errortrap.h"
#include "core/base/language.h"
#include "core/base/msgbox.h"
#include "core/files/atomicfile.h"
#include "core/history/history.h"
#include "core/team/teamreader.h"
#include "gui/desktop/look.h"
#include "gui/history/historychart.h"
#include "gui/widgets/controls.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace zentova
{

TeamWindow::TeamWindow(const TeamOptions &team, const QDate &today, QWidget *owner)
    : QWidget(owner, Qt::Window), m_today(today)
{
    setObjectName(QStringLiteral("TeamWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(translate("Team", "%1：チーム").arg(applicationTitle()));
    setFont(uiFont());
    followDesktopLook(this);
    resize(640, 420);

    const QString reading = team.windowServer.isEmpty() ? team.server : team.windowServer;
    buildControls(reading);

    m_reader = new TeamReader(reading);
    m_reader->setParent(this);
    connect(m_reader, &TeamReader::read, this,
            [this](const TeamTotals &totals, const QString &problem) { present(totals, problem); });
    m_refresh = new QTimer(this);
    m_refresh->setInterval(RefreshMs);
    connect(m_refresh, &QTimer::timeout, this, &TeamWindow::ask);
    connect(m_rangeBox, &QComboBox::currentIndexChanged, this, &TeamWindow::ask);
    connect(m_copyButton, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(clipboardText()); });
    connect(m_saveButton, &QPushButton::clicked, this, [this] {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        const QString path = QFileDialog::getSaveFileName(
            this, windowTitle(),
            folder + QStringLiteral("/zentova-team-") + m_today.toString(Qt::ISODate) +
                QStringLiteral(".csv"),
            QStringLiteral("CSV (*.csv)"));
        if (!path.isEmpty())
            saveTable(path);
    });
    closeWithEscape(this);
}

void TeamWindow::buildControls(const QString &server)
{
    m_rangeBox = new QComboBox(this);
    m_rangeBox->setObjectName(QStringLiteral("rangeBox"));
    m_rangeBox->setAccessibleName(translate("Team", "期間"));
    m_rangeBox->addItems({translate("Team", "今日"), translate("Team", "今週"),
                          translate("Team", "今月")});
    auto *rangeLabel = new QLabel(translate("Team", "期間(&P):"), this);
    rangeLabel->setBuddy(m_rangeBox);
    m_copyButton = new QPushButton(translate("Team", "コピー(&C)"), this);
    m_copyButton->setObjectName(QStringLiteral("copyButton"));
    m_saveButton = new QPushButton(translate("Team", "CSV で保存(&S)..."), this);
    m_saveButton->setObjectName(QStringLiteral("saveButton"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setWordWrap(true);
    m_status->setText(translate("Team", "%1 に接続しています...").arg(server));
    m_chart = new BarChart(this);
    m_chart->setObjectName(QStringLiteral("chart"));
    m_chart->setAccessibleName(translate("Team", "人ごとの件数のグラフ"));
    m_searchBox = new QLineEdit(this);
    m_searchBox->setObjectName(QStringLiteral("searchBox"));
    m_searchBox->setPlaceholderText(translate("Team", "名前で絞り込み"));
    m_searchBox->setAccessibleName(translate("Team", "名前で絞り込み"));
    m_searchBox->setClearButtonEnabled(true);
    auto *searchLabel = new QLabel(translate("Team", "検索(&F):"), this);
    searchLabel->setBuddy(m_searchBox);
    connect(m_searchBox, &QLineEdit::textChanged, this, [this] { showTable(); });
    m_tableView = new QTableWidget(this);
    m_tableView->setObjectName(QStringLiteral("table"));
    // Sorted by a click on a heading; by name at first.
    m_tableView->setSortingEnabled(true);
    m_tableView->sortByColumn(0, Qt::AscendingOrder);
    m_tableView->setAccessibleName(translate("Team", "人ごとの件数"));
    m_tableView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tableView->verticalHeader()->hide();

    auto *top = new QHBoxLayout;
    top->addWidget(rangeLabel);
    top->addWidget(m_rangeBox);
    top->addStretch();
    top->addWidget(m_copyButton);
    top->addWidget(m_saveButton);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_status);
    layout->addWidget(m_chart, 1);
    auto *search = new QHBoxLayout;
    search->addWidget(searchLabel);
    search->addWidget(m_searchBox, 1);
    layout->addLayout(search);
    layout->addWidget(m_tableView, 1);
}

TeamWindow::~TeamWindow() = default;

void TeamWindow::setToday(const QDate &today)
{
    m_today = today;
}

std::pair<QDate, QDate> TeamWindow::range() const
{
    switch (m_rangeBox->currentIndex()) {
    case 1:
        return {m_today.addDays(1 - m_today.dayOfWeek()), m_today};
    case 2:
        return {QDate(m_today.year(), m_today.month(), 1), m_today};
    default:
        return {m_today, m_today};
    }
}

void TeamWindow::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    ask();
    m_refresh->start();
}

void TeamWindow::hideEvent(QHideEvent *e)
{
    m_refresh->stop();
    QWidget::hideEvent(e);
}

void TeamWindow::ask()
{
    const auto [first, last] = range();
    m_reader->ask(first, last);
}

QStringList TeamWindow::headings() const
{
    QStringList h{translate("Team", "名前")};
    h += m_table.titles;
    h << translate("Team", "合計") << translate("Team", "最後の変更") << translate("Team", "接続");
    return h;
}

void TeamWindow::present(const TeamTotals &totals, const QString &problem)
{
    if (!problem.isEmpty()) {
        // What was read last stays, greyed as old; the cause's first line
        // says why (libpq's hints follow on the terminal's).
        m_status->setText(translate("Team", "チームのサーバーに接続できません: %1")
                              .arg(problem.section(u'\n', 0, 0).trimmed()));
        m_chart->setEnabled(false);
        m_tableView->setEnabled(false);
        emit refreshed();
        return;
    }
    m_chart->setEnabled(true);
    m_tableView->setEnabled(true);
    m_table = teamTable(totals);
    const QDateTime read = totals.serverNow.isValid() ? totals.serverNow.toLocalTime()
                                                      : QDateTime::currentDateTime();
    // A standby that has fallen behind says how far: the last change it has
    // was made that long ago (on a quiet team, that is only the quiet).
    m_status->setText(
        totals.behindSecs > StandbyBehindSecs
            ? translate("Team", "%1 人（%2 に読み込み。スタンバイから読んでいます: 最後の変更は %3 秒前）")
                  .arg(m_table.people.size())
                  .arg(read.toString(QStringLiteral("HH:mm:ss")))
                  .arg(totals.behindSecs)
            : translate("Team", "%1 人（%2 に読み込み）")
                  .arg(m_table.people.size())
                  .arg(read.toString(QStringLiteral("HH:mm:ss"))));

    showTable();
    showChart();
    emit refreshed();
}

void TeamWindow::showTable()
{
    const QStringList h = headings();
    // Filled unsorted, then sorted again as the user last chose.
    m_tableView->setSortingEnabled(false);
    m_tableView->setColumnCount(int(h.size()));
    m_tableView->setHorizontalHeaderLabels(h);
    const QString wanted = m_searchBox->text().trimmed();
    QList<const TeamTable::Person *> shown;
    for (const TeamTable::Person &p : std::as_const(m_table.people)) {
        if (p.name.contains(wanted, Qt::CaseInsensitive))
            shown.append(&p);
    }
    m_tableView->setRowCount(int(shown.size()));
    const auto cell = [&](int r, int c, const QVariant &value) {
        auto *item = m_tableView->item(r, c);
        if (!item) {
            item = new QTableWidgetItem;
            m_tableView->setItem(r, c, item);
        }
        // Numbers as numbers, so that they sort as such.
        item->setData(Qt::DisplayRole, value);
        const bool number = value.typeId() == QMetaType::LongLong;
        item->setTextAlignment(number ? Qt::AlignRight | Qt::AlignVCenter
                                      : Qt::AlignLeft | Qt::AlignVCenter);
    };
    for (int r = 0; r < shown.size(); ++r) {
        const TeamTable::Person &p = *shown[r];
        int c = 0;
        cell(r, c++, p.name);
        for (qint64 n : p.counts)
            cell(r, c++, n);
        cell(r, c++, p.total);
        cell(r, c++,
             p.lastChange.isValid()
                 ? p.lastChange.toLocalTime().toString(QStringLiteral("MM-dd HH:mm:ss"))
                 : QString());
        cell(r, c++,
             p.reaching ? translate("Team", "接続中")
             : p.seen.isValid()
                 ? translate("Team", "未接続（最後 %1）")
                       .arg(p.seen.toLocalTime().toString(QStringLiteral("MM-dd HH:mm")))
                 : translate("Team", "未接続"));
    }
    m_tableView->setSortingEnabled(true);
    m_tableView->resizeColumnsToContents();
}

void TeamWindow::showChart()
{
    const TeamChartGroups groups = teamChartGroups(m_table, translate("Team", "その他"));
    std::array<QString, CounterCount> names;
    for (qsizetype g = 0; g < groups.names.size(); ++g)
        names[size_t(g)] = groups.names[g].isEmpty() ? QStringLiteral(" ") : groups.names[g];
    QList<BarChart::Bar> bars;
    for (const TeamChartBar &shown :
         teamChartBars(m_table, groups, ChartPeople, translate("Team", "ほか %1 人"))) {
        BarChart::Bar bar;
        bar.label = shown.label;
        QStringList tip{shown.label};
        for (qsizetype g = 0; g < groups.names.size(); ++g) {
            bar.values[size_t(g)] = shown.counts[g];
            tip << QStringLiteral("%1: %2").arg(groups.names[g]).arg(shown.counts[g]);
        }
        bar.tip = tip.join(u'\n');
        bars.append(bar);
    }
    m_chart->setBars(bars, names);
    m_chart->setMessage(bars.isEmpty() ? translate("Team", "この期間の記録はありません")
                                       : QString());
}

QString TeamWindow::clipboardText() const
{
    const auto clean = [](const QString &s) {
        return defusedTitle(s).replace(u'\t', u' ').replace(u'\r', u' ').replace(u'\n', u' ');
    };
    QStringList cells;
    for (const QString &h : headings())
        cells << clean(h);
    QString text = cells.join(u'\t') + u'\n';
    for (int r = 0; r < m_tableView->rowCount(); ++r) {
        cells.clear();
        for (int c = 0; c < m_tableView->columnCount(); ++c)
            cells << clean(m_tableView->item(r, c) ? m_tableView->item(r, c)->text() : QString());
        text += cells.join(u'\t') + u'\n';
    }
    QList<qint64> sums(m_table.titles.size() + 1);
    for (const TeamTable::Person &p : m_table.people) {
        for (qsizetype c = 0; c < p.counts.size(); ++c)
            sums[c] += p.counts[c];
        sums.last() += p.total;
    }
    cells = QStringList{translate("Team", "合計")};
    for (qint64 n : sums)
        cells << QString::number(n);
    return text + cells.join(u'\t') + u'\n';
}

void TeamWindow::saveTable(const QString &path)
{
    // As a spreadsheet opens it: UTF-8 with its mark, CR LF, a row a person.
    const auto [first, last] = range();
    QByteArray out = "\xEF\xBB\xBF";
    QList<QByteArray> fields{csvField(translate("Team", "期間")), csvField(translate("Team", "名前"))};
    for (const QString &title : m_table.titles)
        fields << csvField(defusedTitle(title));
    fields << csvField(translate("Team", "合計"));
    out += fields.join(',') + "\r\n";
    const QString span = first.toString(Qt::ISODate) + u'/' + last.toString(Qt::ISODate);
    for (const TeamTable::Person &p : m_table.people) {
        fields = {csvField(span), csvField(defusedTitle(p.name))};
        for (qint64 n : p.counts)
            fields << QByteArray::number(n);
        fields << QByteArray::number(p.total);
        out += fields.join(',') + "\r\n";
    }
    trap([&] { writeFileAtomically(path, out, DirectWrite::Allowed); });
}

} // namespace zentova
