#include "history/historywindow.h"

#include "platform/clock.h"
#include "platform/errortrap.h"
#include "platform/files/atomicfile.h"
#include "platform/msgbox.h"
#include "state/counterstate.h"
#include "state/countlog.h"
#include "widgets/controls.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

namespace zentova
{

namespace
{

constexpr int kColumns = 2 + 2 * CounterCount;

QString cell(const HistoryDay &day, int column)
{
    if (column == 0)
        return day.date.toString(Qt::ISODate);
    if (column == kColumns - 1)
        return QString::number(day.total());
    const size_t i = size_t((column - 1) / 2);
    return column % 2 == 1 ? day.titles[i] : QString::number(day.counts[i]);
}

} // namespace

void HistoryModel::setDays(QList<HistoryDay> days)
{
    beginResetModel();
    m_days = std::move(days);
    endResetModel();
}

int HistoryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_days.size());
}

int HistoryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QVariant HistoryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_days.size())
        return {};
    if (role == Qt::DisplayRole)
        return cell(m_days[index.row()], index.column());
    const bool number =
        index.column() > 0 && (index.column() % 2 == 0 || index.column() == kColumns - 1);
    if (role == Qt::TextAlignmentRole && number)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    return QString::fromUtf8(historyHeader().split(',').value(section));
}

HistoryWindow::HistoryWindow(QWidget *owner) : QWidget(owner, Qt::Window | Qt::WindowStaysOnTopHint)
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

    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("table"));
    m_table->setModel(&m_model);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
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
    m_rangeBox->setCurrentIndex(int(HistoryRange::ThisMonth));
    reload();
}

void HistoryWindow::reload()
{
    HistoryDay today;
    today.date = Today();
    // Today's line as it stands: the strip's counts, less what a strip that
    // crossed the turn carried in.
    const QList<LogEntry> lines = countLogOfDay(today.date);
    const CounterSums worked = workedCounts(lines);
    for (int i = 0; i < CounterCount; ++i) {
        today.titles[size_t(i)] = gTitle(i);
        today.counts[size_t(i)] = lines.isEmpty() ? gCount(i) : worked[size_t(i)];
    }
    QList<HistoryDay> stored;
    trap([&] { stored = historyDays(readHistoryText()); });
    std::stable_sort(stored.begin(), stored.end(),
                     [](const HistoryDay &a, const HistoryDay &b) { return a.date > b.date; });
    m_allDays = QList<HistoryDay>{today} + stored;
    showRange();
}

void HistoryWindow::showRange()
{
    m_model.setDays(daysInRange(m_allDays, HistoryRange(m_rangeBox->currentIndex()), Today()));
    std::array<qint64, CounterCount> sums{};
    qint64 all = 0;
    for (const HistoryDay &day : shownDays()) {
        for (int i = 0; i < CounterCount; ++i)
            sums[size_t(i)] += day.counts[size_t(i)];
        all += day.total();
    }
    QString text = QStringLiteral("期間の合計（%1 日）").arg(shownDays().size());
    for (int i = 0; i < CounterCount; ++i)
        text += QStringLiteral("　件数%1: %2").arg(i + 1).arg(sums[size_t(i)]);
    m_totalsLabel->setText(text + QStringLiteral("　合計: %1").arg(all));
    m_table->resizeColumnsToContents();
}

QString HistoryWindow::clipboardText() const
{
    const auto clean = [](QString s) {
        return s.replace(u'\t', u' ').replace(u'\r', u' ').replace(u'\n', u' ');
    };
    QString text = QString::fromUtf8(historyHeader()).replace(u',', u'\t') + u'\n';
    for (const HistoryDay &day : shownDays()) {
        QStringList cells;
        for (int c = 0; c < kColumns; ++c)
            cells << clean(cell(day, c));
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
    trap([&] { writeFileAtomically(path, historyFileText(days), DirectWrite::Allowed); });
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
