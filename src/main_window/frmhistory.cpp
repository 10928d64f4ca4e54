#include "main_window/frmhistory.h"

#include "platform/atomicfile.h"
#include "platform/clock.h"
#include "platform/controls.h"
#include "platform/errortrap.h"
#include "platform/msgbox.h"
#include "state/counterstate.h"

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

QList<HistoryDay> daysInRange(const QList<HistoryDay> &days, frmHistory::Range range,
                              const QDate &today)
{
    QDate from;
    QDate to = today;
    switch (range) {
    case frmHistory::ThisWeek:
        from = today.addDays(1 - today.dayOfWeek()); // weeks start on Monday
        break;
    case frmHistory::ThisMonth:
        from = QDate(today.year(), today.month(), 1);
        break;
    case frmHistory::LastMonth:
        from = QDate(today.year(), today.month(), 1).addMonths(-1);
        to = QDate(today.year(), today.month(), 1).addDays(-1);
        break;
    case frmHistory::Everything:
        return days;
    }
    QList<HistoryDay> shown;
    for (const HistoryDay &day : days) {
        if (day.date >= from && day.date <= to)
            shown.append(day);
    }
    return shown;
}

frmHistory::frmHistory(QWidget *owner) : QWidget(owner, Qt::Window | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmHistory"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(applicationTitle() + QStringLiteral("：履歴"));
    setFont(uiFont());
    resize(760, 420);

    cboRange = new QComboBox(this);
    cboRange->setObjectName(QStringLiteral("cboRange"));
    cboRange->addItems({QStringLiteral("今週"), QStringLiteral("今月"), QStringLiteral("先月"),
                        QStringLiteral("すべて")});
    cboRange->setAccessibleName(QStringLiteral("期間"));
    cmdCopy = new QPushButton(QStringLiteral("コピー(&C)"), this);
    cmdCopy->setObjectName(QStringLiteral("cmdCopy"));
    cmdCopy->setAccessibleDescription(
        QStringLiteral("表示中の行を表計算に貼り付けられる形でコピーします"));
    cmdSave = new QPushButton(QStringLiteral("CSV で保存(&S)..."), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));

    grdDays = new QTableView(this);
    grdDays->setObjectName(QStringLiteral("grdDays"));
    grdDays->setModel(&m_model);
    grdDays->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdDays->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdDays->verticalHeader()->hide();
    grdDays->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    // Ten years of days open at once: widths come from the first rows only.
    grdDays->horizontalHeader()->setResizeContentsPrecision(40);
    lblTotals = new QLabel(this);
    lblTotals->setObjectName(QStringLiteral("lblTotals"));
    lblTotals->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("期間:"), this));
    top->addWidget(cboRange);
    top->addStretch();
    top->addWidget(cmdCopy);
    top->addWidget(cmdSave);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(grdDays);
    layout->addWidget(lblTotals);

    connect(cboRange, &QComboBox::currentIndexChanged, this, [this] { showRange(); });
    connect(cmdCopy, &QPushButton::clicked, this, [this] { copyToClipboard(); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { askAndSave(); });
    cboRange->setCurrentIndex(ThisMonth);
    reload();
}

void frmHistory::reload()
{
    HistoryDay today;
    today.date = Today();
    for (int i = 0; i < CounterCount; ++i) {
        today.titles[size_t(i)] = gTitle(i);
        today.counts[size_t(i)] = gCount(i);
    }
    QList<HistoryDay> stored;
    trap([&] { stored = historyDays(readHistoryText()); });
    std::stable_sort(stored.begin(), stored.end(),
                     [](const HistoryDay &a, const HistoryDay &b) { return a.date > b.date; });
    m_allDays = QList<HistoryDay>{today} + stored;
    showRange();
}

void frmHistory::setRange(Range range)
{
    cboRange->setCurrentIndex(range); // shows it
}

void frmHistory::showRange()
{
    m_model.setDays(daysInRange(m_allDays, Range(cboRange->currentIndex()), Today()));
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
    lblTotals->setText(text + QStringLiteral("　合計: %1").arg(all));
    grdDays->resizeColumnsToContents();
}

QString frmHistory::clipboardText() const
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

void frmHistory::copyToClipboard()
{
    QApplication::clipboard()->setText(clipboardText());
}

void frmHistory::saveShownRows(const QString &path)
{
    QList<HistoryDay> days = shownDays();
    std::reverse(days.begin(), days.end());
    trap([&] { writeFileAtomically(path, historyFileText(days)); });
}

void frmHistory::askAndSave()
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
