#include "history/historywindow.h"

#include "platform/clock.h"
#include "platform/errortrap.h"
#include "platform/files/atomicfile.h"
#include "platform/msgbox.h"
#include "state/countdata.h"
#include "state/counterstate.h"
#include "widgets/controls.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QStandardPaths>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

namespace zentova
{

namespace
{

// The exported rows keep the history's own columns (a title beside each
// count); the table shows the counters as columns under their titles.
constexpr int kExportColumns = 2 + 2 * CounterCount;
constexpr int kTableColumns = 2 + CounterCount;

QString exportCell(const HistoryDay &day, int column)
{
    if (column == 0)
        return day.date.toString(Qt::ISODate);
    if (column == kExportColumns - 1)
        return QString::number(day.total());
    const size_t i = size_t((column - 1) / 2);
    return column % 2 == 1 ? defusedTitle(day.titles[i]) : QString::number(day.counts[i]);
}

QString dateWithWeekday(const QDate &date)
{
    static const QString days[] = {QStringLiteral("月"), QStringLiteral("火"), QStringLiteral("水"),
                                   QStringLiteral("木"), QStringLiteral("金"), QStringLiteral("土"),
                                   QStringLiteral("日")};
    return date.toString(Qt::ISODate) + QStringLiteral(" (") + days[date.dayOfWeek() - 1] + u')';
}

} // namespace

QString counterHeading(const QString &title, int index)
{
    return title.isEmpty() ? QStringLiteral("項目%1").arg(index + 1) : title;
}

void HistoryModel::setDays(QList<HistoryDay> days, const std::array<QString, CounterCount> &titles)
{
    beginResetModel();
    m_days = std::move(days);
    m_titles = titles;
    endResetModel();
}

void HistoryModel::setDay(int row, const HistoryDay &day)
{
    m_days[row] = day;
    emit dataChanged(index(row, 0), index(row, kTableColumns - 1));
}

int HistoryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_days.size());
}

int HistoryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kTableColumns;
}

QVariant HistoryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_days.size())
        return {};
    const HistoryDay &day = m_days[index.row()];
    const int column = index.column();
    const bool counter = column > 0 && column <= CounterCount;
    if (role == Qt::DisplayRole) {
        if (column == 0)
            return dateWithWeekday(day.date);
        return QString::number(counter ? day.counts[size_t(column - 1)] : day.total());
    }
    if (role == Qt::TextAlignmentRole && column > 0)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    // A day counted under another title says so.
    if (role == Qt::ToolTipRole && counter &&
        day.titles[size_t(column - 1)] != m_titles[size_t(column - 1)])
        return day.titles[size_t(column - 1)];
    return {};
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section == 0)
        return QStringLiteral("日付");
    if (section > CounterCount)
        return QStringLiteral("合計");
    return counterHeading(m_titles[size_t(section - 1)], section - 1);
}

// An ordinary window: a spreadsheet may go in front of it.
HistoryWindow::HistoryWindow(QWidget *owner) : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("HistoryWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(applicationTitle() + QStringLiteral("：履歴"));
    setFont(uiFont());
    resize(760, 420);

    m_rangeBox = new QComboBox(this);
    m_rangeBox->setObjectName(QStringLiteral("rangeBox"));
    m_rangeBox->addItems({QStringLiteral("今週"), QStringLiteral("今月"), QStringLiteral("先月"),
                          QStringLiteral("すべて")});
    m_rangeBox->setAccessibleName(QStringLiteral("期間"));
    m_copyButton = new QPushButton(QStringLiteral("コピー(&C)"), this);
    m_copyButton->setObjectName(QStringLiteral("copyButton"));
    m_copyButton->setAccessibleDescription(
        QStringLiteral("表示中の行を表計算に貼り付けられる形でコピーします"));
    m_saveButton = new QPushButton(QStringLiteral("CSV で保存(&S)..."), this);
    m_saveButton->setObjectName(QStringLiteral("saveButton"));
    m_copyButton->setToolTip(m_copyButton->accessibleDescription());
    m_saveButton->setToolTip(QStringLiteral("表示中の行を CSV ファイルに保存します"));

    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("table"));
    m_table->setModel(&m_model);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setTabKeyNavigation(false); // one stop in the Tab order; arrows move inside
    m_table->setAccessibleName(QStringLiteral("日ごとの件数"));
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    // Ten years of days open at once: widths come from the first rows only.
    m_table->horizontalHeader()->setResizeContentsPrecision(40);
    m_totalsLabel = new QLabel(this);
    m_totalsLabel->setObjectName(QStringLiteral("totals"));
    m_totalsLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("期間:"), this));
    top->addWidget(m_rangeBox);
    top->addStretch();
    top->addWidget(m_copyButton);
    top->addWidget(m_saveButton);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_table);
    layout->addWidget(m_totalsLabel);

    connect(m_rangeBox, &QComboBox::currentIndexChanged, this, [this] { showRange(); });
    connect(m_copyButton, &QPushButton::clicked, this, [this] { copyToClipboard(); });
    connect(m_saveButton, &QPushButton::clicked, this, [this] { askAndSave(); });
    for (const QKeySequence &keys :
         {QKeySequence(Qt::Key_Escape), QKeySequence(QKeySequence::Close)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, &QWidget::close);
    // The strip's counts reach today's row a moment after they change.
    m_follow.setSingleShot(true);
    m_follow.setInterval(100);
    connect(&m_follow, &QTimer::timeout, this, [this] { refreshToday(); });
    m_rangeBox->setCurrentIndex(int(HistoryRange::ThisMonth));
    reload();
}

void HistoryWindow::followStrip()
{
    if (!m_follow.isActive())
        m_follow.start();
}

HistoryDay HistoryWindow::todayAsItStands() const
{
    // The strip's counts, less what a strip that crossed the turn carried in:
    // today's line as it would be kept now.
    return finishedDayOf(recordFromLiveState());
}

void HistoryWindow::reload()
{
    QList<HistoryDay> stored;
    trap([&] { stored = historyDays(readHistoryText()); });
    std::stable_sort(stored.begin(), stored.end(),
                     [](const HistoryDay &a, const HistoryDay &b) { return a.date > b.date; });
    // A line dated today (made by hand) is not today's: the live row is.
    const HistoryDay today = todayAsItStands();
    stored.removeIf([&](const HistoryDay &day) { return day.date == today.date; });
    m_allDays = QList<HistoryDay>{today} + stored;
    showRange();
}

void HistoryWindow::refreshToday()
{
    const HistoryDay today = todayAsItStands();
    if (m_allDays.isEmpty() || m_allDays.first().date != today.date ||
        today.titles != m_allDays.first().titles) {
        reload(); // a new day, or new titles for the columns
        return;
    }
    m_allDays.first() = today;
    if (!shownDays().isEmpty() && shownDays().first().date == today.date)
        m_model.setDay(0, today);
    showTotals();
}

void HistoryWindow::showRange()
{
    std::array<QString, CounterCount> titles;
    for (int i = 0; i < CounterCount; ++i)
        titles[size_t(i)] = gTitle(i);
    m_model.setDays(daysInRange(m_allDays, HistoryRange(m_rangeBox->currentIndex()), Today()),
                    titles);
    showTotals();
    // A counter out of use with nothing counted in the range takes no room.
    for (int i = 0; i < CounterCount; ++i) {
        bool counted = false;
        for (const HistoryDay &day : shownDays())
            counted = counted || day.counts[size_t(i)] != 0;
        m_table->setColumnHidden(i + 1, gTitle(i).isEmpty() && !counted);
    }
    m_table->resizeColumnsToContents();
}

void HistoryWindow::showTotals()
{
    std::array<qint64, CounterCount> sums{};
    qint64 all = 0;
    for (const HistoryDay &day : shownDays()) {
        for (int i = 0; i < CounterCount; ++i)
            sums[size_t(i)] += day.counts[size_t(i)];
        all += day.total();
    }
    QString text = QStringLiteral("期間の合計（%1 日）").arg(shownDays().size());
    for (int i = 0; i < CounterCount; ++i) {
        if (!m_table->isColumnHidden(i + 1) || sums[size_t(i)] != 0)
            text +=
                QStringLiteral("　%1: %2").arg(counterHeading(gTitle(i), i)).arg(sums[size_t(i)]);
    }
    m_totalsLabel->setText(text + QStringLiteral("　合計: %1").arg(all));
}

QString HistoryWindow::clipboardText() const
{
    const auto clean = [](QString s) {
        return s.replace(u'\t', u' ').replace(u'\r', u' ').replace(u'\n', u' ');
    };
    QString text = QString::fromUtf8(historyHeader()).replace(u',', u'\t') + u'\n';
    for (const HistoryDay &day : shownDays()) {
        QStringList cells;
        for (int c = 0; c < kExportColumns; ++c)
            cells << clean(exportCell(day, c));
        text += cells.join(u'\t') + u'\n';
    }
    return text;
}

void HistoryWindow::copyToClipboard()
{
    QApplication::clipboard()->setText(clipboardText());
}

void HistoryWindow::saveShownRows(const QString &path)
{
    QList<HistoryDay> days = shownDays();
    std::reverse(days.begin(), days.end());
    trap([&] {
        writeFileAtomically(path, historyFileText(days, Titles::Defused), DirectWrite::Allowed);
    });
}

void HistoryWindow::askAndSave()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString path =
        QFileDialog::getSaveFileName(this, windowTitle(),
                                     folder + QStringLiteral("/zentova-") +
                                         Today().toString(Qt::ISODate) + QStringLiteral(".csv"),
                                     QStringLiteral("CSV (*.csv)"));
    if (!path.isEmpty())
        saveShownRows(path);
}

} // namespace zentova
