#include "gui/history/historywindow.h"
#include "core/base/language.h"

#include "core/base/clock.h"
#include "core/base/errortrap.h"
#include "core/base/msgbox.h"
#include "core/files/atomicfile.h"
#include "core/state/countdata.h"
#include "core/state/counterstate.h"
#include "core/state/countlog.h"
#include "gui/history/historychart.h"
#include "gui/desktop/look.h"
#include "gui/widgets/controls.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTableView>
#include <QThreadPool>
#include <QVBoxLayout>
#include <algorithm>

namespace zentova
{

namespace
{

// The table shows the counters as columns under their titles.
constexpr int kTableColumns = 2 + CounterCount;
// About 60,000 days of lines.
constexpr qint64 kReadAtOnce = 4 * 1024 * 1024;

QString dateWithWeekday(const QDate &date)
{
    static const QString days[] = {
        translate("History", "月", "Monday"),    translate("History", "火", "Tuesday"),
        translate("History", "水", "Wednesday"), translate("History", "木", "Thursday"),
        translate("History", "金", "Friday"),    translate("History", "土", "Saturday"),
        translate("History", "日", "Sunday")};
    return date.toString(Qt::ISODate) + QStringLiteral(" (") + days[date.dayOfWeek() - 1] + u')';
}

QString sumsInWords(const std::array<qint64, CounterCount> &values,
                    const std::array<QString, CounterCount> &names)
{
    QString text;
    qint64 all = 0;
    for (int c = 0; c < CounterCount; ++c) {
        if (names[size_t(c)].isEmpty())
            continue;
        text += QStringLiteral("\n%1: %2").arg(names[size_t(c)]).arg(values[size_t(c)]);
        all += values[size_t(c)];
    }
    return text + translate("History", "\n合計: %1").arg(all);
}

qint64 shownSum(const std::array<qint64, CounterCount> &values,
                const std::array<QString, CounterCount> &names)
{
    qint64 sum = 0;
    for (int c = 0; c < CounterCount; ++c)
        sum += names[size_t(c)].isEmpty() ? 0 : values[size_t(c)];
    return sum;
}

QString barName(const ChartBar &bar, BarSpan span)
{
    switch (span) {
    case BarSpan::Day:
        return dateWithWeekday(bar.first);
    case BarSpan::Week:
        return translate("History", "%1 〜 %2")
            .arg(dateWithWeekday(bar.first), dateWithWeekday(bar.last));
    case BarSpan::Month:
        break;
    }
    return translate("History", "%1年%2月").arg(bar.first.year()).arg(bar.first.month());
}

// Under the bar: the day of the month, with the month at its start; a
// week by its Monday; a month with its year (only some bars have room).
QString barLabel(const ChartBar &bar, BarSpan span, bool first)
{
    const QDate d = bar.first;
    switch (span) {
    case BarSpan::Day:
        return first || d.day() == 1 ? QStringLiteral("%1/%2").arg(d.month()).arg(d.day())
                                     : QString::number(d.day());
    case BarSpan::Week:
        return QStringLiteral("%1/%2").arg(d.month()).arg(d.day());
    case BarSpan::Month:
        break;
    }
    return QStringLiteral("%1/%2").arg(d.year()).arg(d.month());
}

// The day's hours as bars from the turn hour on; `total` is what they
// hold of the charted counters, `best` the fullest hour's place.
QList<BarChart::Bar> hourBars(const HourCounts &hours, int startHour,
                              const std::array<QString, CounterCount> &names, qint64 &total,
                              int &best)
{
    QList<BarChart::Bar> bars;
    for (int h = 0; h < 24; ++h) {
        const int clock = (startHour + h) % 24;
        const auto &counts = hours[size_t(h)];
        total += shownSum(counts, names);
        if (shownSum(counts, names) > shownSum(hours[size_t(best)], names))
            best = h;
        // Round hours under the bars, whichever hour the day turns at.
        bars.append({clock % 3 == 0 ? QString::number(clock) : QString(),
                     translate("History", "%1 時台").arg(clock) + sumsInWords(counts, names),
                     counts});
    }
    return bars;
}

} // namespace

void HistoryModel::setDays(QList<HistoryDay> all)
{
    beginResetModel();
    m_all = std::move(all);
    m_first = 0;
    m_count = 0;
    endResetModel();
}

void HistoryModel::setRange(qsizetype first, qsizetype count,
                            const std::array<QString, CounterCount> &titles)
{
    beginResetModel();
    m_first = std::clamp<qsizetype>(first, 0, m_all.size());
    m_count = std::clamp<qsizetype>(count, 0, m_all.size() - m_first);
    m_titles = titles;
    endResetModel();
}

void HistoryModel::setDay(qsizetype allRow, const HistoryDay &day)
{
    m_all[allRow] = day;
    const int row = int(allRow - m_first);
    if (allRow >= m_first && allRow < m_first + m_count)
        emit dataChanged(index(row, 0), index(row, kTableColumns - 1));
}

std::span<const HistoryDay> HistoryModel::days() const
{
    return std::span(m_all.constData() + m_first, size_t(m_count));
}

int HistoryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_count);
}

int HistoryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kTableColumns;
}

QVariant HistoryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_count)
        return {};
    const HistoryDay &day = days()[size_t(index.row())];
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
        return translate("History", "日付");
    if (section > CounterCount)
        return translate("History", "合計");
    return counterHeading(m_titles[size_t(section - 1)], section - 1);
}

// An ordinary window: a spreadsheet may go in front of it.
namespace
{

// A screen reader lists the window among the desktop's windows, as it does
// a dialog, not as a part of the strip.
QAccessibleInterface *historyAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("zentova::HistoryWindow") && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

HistoryWindow::HistoryWindow(const CounterModel &counters, QWidget *owner)
    : QWidget(owner, Qt::Window), m_counters(counters)
{
    static const bool accessibleAsWindow = (QAccessible::installFactory(historyAccessible), true);
    Q_UNUSED(accessibleAsWindow);
    setObjectName(QStringLiteral("HistoryWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(translate("History", "%1：履歴").arg(applicationTitle()));
    setFont(uiFont());
    followDesktopLook(this);
    // Room for the charts and a week of rows, within a small or scaled screen.
    // Each pixel more costs the open window memory: 880 x 660 took 1 MiB more.
    const QSize room = screen()->availableGeometry().size();
    resize(std::min(760, room.width() * 9 / 10), std::min(480, room.height() * 8 / 10));

    buildTools();
    buildTable();
    buildCharts();
    layOut();
    connectControls();
    m_rangeBox->setCurrentIndex(int(HistoryRange::ThisMonth));
    reload();
}

void HistoryWindow::buildTools()
{
    m_rangeBox = new QComboBox(this);
    m_rangeBox->setObjectName(QStringLiteral("rangeBox"));
    m_rangeBox->addItems({translate("History", "今週"), translate("History", "今月"),
                          translate("History", "先月"), translate("History", "すべて")});
    m_rangeBox->setAccessibleName(translate("History", "期間"));
    m_copyButton = new QPushButton(translate("History", "コピー(&C)"), this);
    m_copyButton->setObjectName(QStringLiteral("copyButton"));
    m_copyButton->setAccessibleDescription(
        translate("History", "表示中の行を表計算に貼り付けられる形でコピーします"));
    m_counterBox = new QComboBox(this);
    m_counterBox->setObjectName(QStringLiteral("counterBox"));
    m_counterBox->setAccessibleName(translate("History", "グラフの項目"));
    m_copyImageButton = new QPushButton(translate("History", "画像をコピー(&I)"), this);
    m_copyImageButton->setObjectName(QStringLiteral("copyImageButton"));
    m_copyImageButton->setToolTip(translate("History", "グラフを画像としてコピーします"));
    m_saveButton = new QPushButton(translate("History", "CSV で保存(&S)..."), this);
    m_saveButton->setObjectName(QStringLiteral("saveButton"));
    m_copyButton->setToolTip(m_copyButton->accessibleDescription());
    m_saveButton->setToolTip(translate("History", "表示中の行を CSV ファイルに保存します"));
    m_correctButton = new QPushButton(translate("History", "修正(&E)..."), this);
    m_correctButton->setObjectName(QStringLiteral("correctButton"));
    m_correctButton->setToolTip(
        translate("History", "選んだ日の件数を直します。今日の件数は Set で直します。"));
    m_correctButton->setEnabled(false);
}

void HistoryWindow::buildTable()
{
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("table"));
    m_table->setModel(&m_model);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setTabKeyNavigation(false); // one stop in the Tab order; arrows move inside
    m_table->setAccessibleName(translate("History", "日ごとの件数"));
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_table->setMinimumHeight(fontMetrics().height() * 4);
    // Ten years of days open at once: widths come from the first rows only.
    m_table->horizontalHeader()->setResizeContentsPrecision(40);
    m_totalsLabel = new QLabel(this);
    m_totalsLabel->setObjectName(QStringLiteral("totals"));
    m_totalsLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_metLabel = new QLabel(this);
    m_metLabel->setObjectName(QStringLiteral("metDays"));
    m_metLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
}

void HistoryWindow::buildCharts()
{
    m_charts = new QWidget(this);
    m_charts->setAutoFillBackground(true);
    m_charts->setBackgroundRole(QPalette::Base);
    m_daysChart = new BarChart(m_charts);
    m_daysChart->setObjectName(QStringLiteral("daysChart"));
    m_daysChart->setAccessibleName(translate("History", "日ごとの件数のグラフ"));
    m_hoursChart = new BarChart(m_charts);
    m_hoursChart->setObjectName(QStringLiteral("hoursChart"));
    m_hoursTitle = new QLabel(m_charts);
    m_hoursTitle->setObjectName(QStringLiteral("hoursTitle"));
    auto *hours = new QVBoxLayout;
    hours->addWidget(m_hoursTitle);
    hours->addWidget(m_hoursChart, 1);
    auto *charts = new QHBoxLayout(m_charts);
    charts->setContentsMargins(4, 4, 4, 4);
    charts->addWidget(m_daysChart, 3);
    charts->addLayout(hours, 2);
}

void HistoryWindow::layOut()
{
    auto *top = new QHBoxLayout;
    // The labels name their lists for a screen reader, which reads a list
    // by its chosen item.
    auto *rangeLabel = new QLabel(translate("History", "期間:"), this);
    rangeLabel->setBuddy(m_rangeBox);
    auto *counterLabel = new QLabel(translate("History", "グラフ:"), this);
    counterLabel->setBuddy(m_counterBox);
    top->addWidget(rangeLabel);
    top->addWidget(m_rangeBox);
    top->addWidget(counterLabel);
    top->addWidget(m_counterBox);
    top->addStretch();
    top->addWidget(m_copyButton);
    top->addWidget(m_copyImageButton);
    top->addWidget(m_saveButton);
    top->addWidget(m_correctButton);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_charts, 1);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_totalsLabel);
    layout->addWidget(m_metLabel);
    const QList<QWidget *> tabOrder{m_rangeBox,      m_counterBox, m_copyButton,
                                    m_copyImageButton, m_saveButton, m_correctButton,
                                    m_daysChart,     m_hoursChart, m_table};
    for (qsizetype i = 0; i + 1 < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i], tabOrder[i + 1]);
}

void HistoryWindow::connectControls()
{
    connect(m_rangeBox, &QComboBox::currentIndexChanged, this, [this] { showRange(); });
    connect(m_copyButton, &QPushButton::clicked, this, [this] { copyToClipboard(); });
    connect(m_saveButton, &QPushButton::clicked, this, [this] { askAndSave(); });
    connect(m_correctButton, &QPushButton::clicked, this, [this] { askCorrection(); });
    connect(m_table, &QTableView::doubleClicked, this, [this] { askCorrection(); });
    // A correction, or one taken back by the strip's 元に戻す.
    connect(&m_counters, &CounterModel::dayCorrected, this, [this] { reload(); });
    connect(m_copyImageButton, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setImage(chartImage()); });
    connect(m_counterBox, &QComboBox::currentIndexChanged, this, [this] { showCharts(); });
    connect(m_daysChart, &BarChart::barChosen, this, [this](int index) { chooseBar(index); });
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &index) { chooseRow(index); });
    closeWithEscape(this);
    // The strip's counts reach today's row a moment after they change.
    m_follow.setSingleShot(true);
    m_follow.setInterval(100);
    connect(&m_follow, &QTimer::timeout, this, [this] { refreshToday(); });
    const auto follow = [this] {
        if (!m_follow.isActive())
            m_follow.start();
    };
    connect(&m_counters, &CounterModel::changed, this, follow);
    // So do its titles, which head the columns.
    connect(&m_counters, &CounterModel::titleChanged, this, follow);
}

HistoryDay HistoryWindow::todayAsItStands() const
{
    return m_counters.openDayLine();
}

HistoryWindow::~HistoryWindow()
{
    m_stopReading->store(true);
}

void HistoryWindow::reload()
{
    const HistoryDay today = todayAsItStands();
    m_keptHours = readKeptHours();
    m_loggedHours.clear();
    if (!m_hoursDay.isValid() || m_hoursDay > today.date)
        m_hoursDay = today.date;
    const int load = ++m_loads;
    // A history of a few centuries of days is read at once; a larger one (a
    // file made by hand or by another program) is read aside, so that the
    // strip goes on counting and answering while the window fills.
    if (QFileInfo(historyPath()).size() <= kReadAtOnce) {
        QList<HistoryDay> days;
        trap([&] { days = storedDays(today.date); });
        showStored(load, std::move(days), {});
        return;
    }
    showStored(load, {}, {});
    m_totalsLabel->setText(translate("History", "履歴を読み込んでいます..."));
    QThreadPool::globalInstance()->start([window = QPointer(this), load, date = today.date] {
        std::optional<RuntimeError> error;
        QList<HistoryDay> days;
        try {
            days = storedDays(date);
        } catch (const RuntimeError &e) {
            error = e;
        } catch (const std::bad_alloc &) {
            error = RuntimeError(ErrorCode::OutOfMemory);
        }
        QMetaObject::invokeMethod(
            qApp,
            [window, load, days = std::move(days), error]() mutable {
                if (window)
                    window->showStored(load, std::move(days), error);
            },
            Qt::QueuedConnection);
    });
}

QList<HistoryDay> HistoryWindow::storedDays(const QDate &today)
{
    QList<HistoryDay> stored = historyDays(readHistoryText());
    std::stable_sort(stored.begin(), stored.end(),
                     [](const HistoryDay &a, const HistoryDay &b) { return a.date > b.date; });
    // A date written twice (by hand) is one day, as its next keeping makes
    // it; a line dated today (made by hand) is not today's: the live row is.
    qsizetype kept = 0;
    for (qsizetype i = 0; i < stored.size(); ++i) {
        if (stored[i].date == today)
            continue;
        if (kept > 0 && stored[i].date == stored[kept - 1].date) {
            for (size_t c = 0; c < stored[i].counts.size(); ++c)
                stored[kept - 1].counts[c] =
                    std::max(stored[kept - 1].counts[c], stored[i].counts[c]);
            continue;
        }
        if (kept != i)
            stored[kept] = std::move(stored[i]);
        ++kept;
    }
    stored.resize(kept);
    return stored;
}

void HistoryWindow::showStored(int load, QList<HistoryDay> stored,
                               const std::optional<RuntimeError> &error)
{
    if (load != m_loads)
        return; // a later reading has begun
    if (error)
        trap([&] { throw *error; });
    // Today among the days by its date: a day dated later (the clock was set
    // back since) stays above it, so that every range is one run of rows.
    const HistoryDay today = todayAsItStands();
    const auto at = std::find_if(stored.begin(), stored.end(),
                                 [&](const HistoryDay &d) { return d.date < today.date; });
    m_todayRow = at - stored.begin();
    stored.insert(m_todayRow, today);
    m_model.setDays(std::move(stored));
    fillCounterBox();
    showRange();
}

void HistoryWindow::fillCounterBox()
{
    // Every counter with a title, or with counts on some day.
    const int chosen =
        m_counterBox->currentData().isValid() ? m_counterBox->currentData().toInt() : -1;
    const QSignalBlocker quiet(m_counterBox);
    m_counterBox->clear();
    m_counterBox->addItem(translate("History", "すべての項目"), -1);
    for (int i = 0; i < CounterCount; ++i) {
        const bool counted =
            std::any_of(m_model.allDays().begin(), m_model.allDays().end(),
                        [i](const HistoryDay &d) { return d.counts[size_t(i)] != 0; });
        if (!m_counters.gTitle(i).isEmpty() || counted)
            m_counterBox->addItem(counterHeading(m_counters.gTitle(i), i), i);
    }
    m_counterBox->setCurrentIndex(std::max(0, m_counterBox->findData(chosen)));
}

std::array<QString, CounterCount> HistoryWindow::chartedCounters() const
{
    const int chosen = m_counterBox->currentData().toInt();
    std::array<QString, CounterCount> names;
    for (int i = 0; i < CounterCount; ++i) {
        if ((chosen < 0 && !m_table->isColumnHidden(i + 1)) || chosen == i)
            names[size_t(i)] = counterHeading(m_counters.gTitle(i), i);
    }
    return names;
}

void HistoryWindow::showCharts()
{
    const HistoryRange range = HistoryRange(m_rangeBox->currentIndex());
    const QDate oldest =
        m_model.allDays().isEmpty() ? m_counters.openDay().day : m_model.allDays().last().date;
    const auto [first, last] = rangeDates(range, m_counters.openDay().day, oldest);
    const BarSpan span = barSpanFor(first, last);
    m_bars = chartBars(m_model.allDays(), first, last);
    const auto names = chartedCounters();
    QList<BarChart::Bar> bars;
    int best = -1;
    qint64 total = 0, bestSum = 0;
    for (const ChartBar &bar : std::as_const(m_bars)) {
        const qint64 sum = shownSum(bar.counts, names);
        total += sum;
        if (best < 0 || sum > bestSum) {
            best = int(bars.size());
            bestSum = sum;
        }
        bars.append({barLabel(bar, span, bars.isEmpty()),
                     barName(bar, span) + sumsInWords(bar.counts, names), bar.counts});
    }
    m_daysChart->setBars(bars, names);
    m_daysChart->setMessage(total == 0 ? translate("History", "この期間の記録はありません")
                                       : QString());
    // The daily target where bars are days: one counter's, or the sum of them all.
    qint64 target = 0;
    for (int i = 0; i < CounterCount; ++i)
        target += names[size_t(i)].isEmpty() ? 0 : m_counters.options().targets[size_t(i)];
    m_daysChart->setTargetLine(span == BarSpan::Day ? target : 0);
    static const QString spanWords[] = {translate("History", "日", "a bar's span"),
                                        translate("History", "週", "a bar's span"),
                                        translate("History", "月", "a bar's span")};
    const QString unit = spanWords[int(span)];
    m_daysChart->setAccessibleDescription(
        total == 0 || best < 0
            ? translate("History", "%1の%2ごとの件数の棒グラフ。件数はありません。")
                  .arg(m_rangeBox->currentText(), unit)
            : translate("History",
                        "%1の%2ごとの件数の棒グラフ。合計 %3 件、最も多い%2は %4 の %5 件。")
                  .arg(m_rangeBox->currentText(), unit)
                  .arg(total)
                  .arg(barName(m_bars[best], span))
                  .arg(bestSum));
    showHours();
}

void HistoryWindow::showHours()
{
    if (!m_hoursDay.isValid())
        return; // the window is still being made: reload() chooses today
    int current = -1;
    for (int i = 0; i < m_bars.size() && current < 0; ++i)
        current = m_bars[i].first <= m_hoursDay && m_hoursDay <= m_bars[i].last ? i : -1;
    m_daysChart->setCurrent(current);

    const QString day = dateWithWeekday(m_hoursDay);
    m_hoursTitle->setText(translate("History", "%1 の時間ごと").arg(day));
    m_hoursChart->setAccessibleName(translate("History", "%1 の時間ごとの件数のグラフ").arg(day));
    const auto names = chartedCounters();
    // Today's hours are the strip's own; a past day's were kept as it
    // closed, or are in its log.
    const bool today = m_hoursDay == m_counters.openDay().day;
    HourCounts hours = m_counters.openDayHours();
    int startHour = m_counters.openDay().hour;
    bool anyLine = true;
    if (const auto kept = m_keptHours.constFind(m_hoursDay); !today && kept != m_keptHours.cend()) {
        hours = kept->hours;
        startHour = kept->startHour;
    } else if (!today) {
        const auto logged = m_loggedHours.constFind(m_hoursDay);
        if (logged == m_loggedHours.cend()) {
            const QString reading = translate("History", "時間ごとの件数を読み込んでいます...");
            m_hoursChart->setBars({}, names);
            m_hoursChart->setMessage(reading);
            m_hoursChart->setAccessibleDescription(reading);
            readLoggedHours();
            return;
        }
        hours = logged->hours;
        anyLine = logged->anyLine;
        startHour = m_counters.options().startHour;
    }
    const auto row = std::find_if(m_model.allDays().begin(), m_model.allDays().end(),
                                  [&](const HistoryDay &d) { return d.date == m_hoursDay; });
    if (!anyLine && row != m_model.allDays().end() && row->total() != 0) {
        const QString why =
            translate("History", "この日は時刻の記録がありません（件数を時刻とともに"
                                 "記録し始める前の日です）。");
        m_hoursChart->setBars({}, names);
        m_hoursChart->setMessage(why);
        m_hoursChart->setAccessibleDescription(why);
        return;
    }
    int best = 0;
    qint64 total = 0;
    const QList<BarChart::Bar> bars = hourBars(hours, startHour, names, total, best);
    // The dialog's corrections and carried counts belong to no hour: where
    // the day's line holds more than its hours, the chart says so.
    const qint64 inLine =
        row != m_model.allDays().end()
            ? shownSum(std::array<qint64, CounterCount>{row->counts[0], row->counts[1],
                                                        row->counts[2], row->counts[3],
                                                        row->counts[4]},
                       names)
            : 0;
    if (inLine > total)
        m_hoursTitle->setText(
            translate("History", "%1 の時間ごと（設定で直した %2 件は含みません）")
                .arg(day)
                .arg(inLine - total));
    m_hoursChart->setMessage(
        total == 0 ? translate("History", "この日の時間ごとの件数はありません。") : QString());
    m_hoursChart->setBars(bars, names);
    m_hoursChart->setAccessibleDescription(
        total == 0
            ? translate("History", "この日の時間ごとの件数はありません。")
            : translate("History",
                        "時間ごとの件数の棒グラフ。合計 %1 件、最も多いのは %2 時台の %3 件。")
                  .arg(total)
                  .arg((startHour + best) % 24)
                  .arg(shownSum(hours[size_t(best)], names)));
}

void HistoryWindow::readLoggedHours()
{
    if (m_reading == m_hoursDay)
        return;
    // Only the day now chosen is wanted.
    m_stopReading->store(true);
    m_stopReading = std::make_shared<std::atomic<bool>>(false);
    m_reading = m_hoursDay;
    QThreadPool::globalInstance()->start(
        [window = QPointer(this), stop = m_stopReading, files = countLogFiles(m_hoursDay),
         day = DayBounds::of(m_hoursDay, m_counters.options().startHour)] {
            const auto tally = loggedDayHours(files, day, *stop);
            if (!tally)
                return;
            QMetaObject::invokeMethod(
                qApp,
                [window, day = day.day, read = LoggedHours{tally->hours(), !tally->isEmpty()}] {
                    if (!window)
                        return;
                    window->m_loggedHours.insert(day, read);
                    if (window->m_reading == day)
                        window->m_reading = QDate();
                    if (window->m_hoursDay == day)
                        window->showHours();
                },
                Qt::QueuedConnection);
        });
}

void HistoryWindow::chooseBar(int index)
{
    const ChartBar &bar = m_bars[index];
    // The newest day with a row in the bar; a day without one has no row.
    const auto &days = shownDays();
    const auto row = std::find_if(days.begin(), days.end(), [&](const HistoryDay &d) {
        return bar.first <= d.date && d.date <= bar.last;
    });
    m_hoursDay = row != days.end() ? row->date : bar.last;
    if (row != days.end())
        m_table->setCurrentIndex(m_model.index(int(row - days.begin()), 0));
    else
        m_table->clearSelection();
    m_table->scrollTo(m_table->currentIndex());
    showHours();
}

void HistoryWindow::chooseRow(const QModelIndex &index)
{
    if (!index.isValid() || size_t(index.row()) >= shownDays().size())
        return;
    m_hoursDay = shownDays()[size_t(index.row())].date;
    m_correctButton->setEnabled(m_hoursDay < m_counters.openDay().day);
    showHours();
}

void HistoryWindow::askCorrection()
{
    const QModelIndex current = m_table->currentIndex();
    if (!current.isValid() || size_t(current.row()) >= shownDays().size())
        return;
    const HistoryDay day = shownDays()[size_t(current.row())];
    if (day.date >= m_counters.openDay().day)
        return; // today's counts are the strip's, put right through Set
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("CorrectionDialog"));
    dialog.setWindowTitle(translate("History", "%1：%2 の修正")
                              .arg(applicationTitle(), day.date.toString(Qt::ISODate)));
    // Wide enough for a window manager to show the whole title.
    dialog.setMinimumWidth(fontMetrics().horizontalAdvance(dialog.windowTitle()) * 3 / 2);
    auto *form = new QFormLayout(&dialog);
    std::array<QSpinBox *, CounterCount> boxes{};
    for (int i = 0; i < CounterCount; ++i) {
        if (day.titles[size_t(i)].isEmpty() && day.counts[size_t(i)] == 0)
            continue;
        auto *box = new QSpinBox(&dialog);
        box->setObjectName(QStringLiteral("correctBox%1").arg(i));
        box->setRange(0, 9999999);
        box->setValue(day.counts[size_t(i)]);
        const QString name = counterHeading(day.titles[size_t(i)], i);
        box->setAccessibleName(name);
        form->addRow(QStringLiteral("%1:").arg(name), box);
        boxes[size_t(i)] = box;
    }
    auto *buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(translate("History", "キャンセル"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return;
    HistoryDay after = day;
    for (int i = 0; i < CounterCount; ++i)
        if (boxes[size_t(i)])
            after.counts[size_t(i)] = boxes[size_t(i)]->value();
    if (after.counts != day.counts)
        emit correctionChosen(day, after);
}

std::pair<QDate, QDate> HistoryWindow::shownRange() const
{
    const HistoryRange range = HistoryRange(m_rangeBox->currentIndex());
    const QDate oldest =
        m_model.allDays().isEmpty() ? m_counters.openDay().day : m_model.allDays().last().date;
    return rangeDates(range, m_counters.openDay().day, oldest);
}

QString HistoryWindow::rangeHeading() const
{
    const auto [first, last] = shownRange();
    return translate("History", "%1（%2 〜 %3）")
        .arg(m_rangeBox->currentText(), first.toString(Qt::ISODate), last.toString(Qt::ISODate));
}

QImage HistoryWindow::chartImage() const
{
    // Headed with the range and its dates: pasted elsewhere, the picture
    // still says what it shows.
    const QImage charts = m_charts->grab().toImage();
    const qreal scale = charts.devicePixelRatio();
    const QFontMetrics fm(font());
    const int heading = fm.height() + 8;
    QImage image(charts.width(), charts.height() + qRound(heading * scale), charts.format());
    image.setDevicePixelRatio(scale);
    image.fill(palette().color(QPalette::Base));
    QPainter p(&image);
    p.setFont(font());
    p.setPen(palette().color(QPalette::Text));
    p.drawText(QRect(6, 0, int(charts.width() / scale) - 12, heading),
               Qt::AlignLeft | Qt::AlignVCenter, rangeHeading());
    p.drawImage(QPoint(0, heading), charts);
    return image;
}

void HistoryWindow::showMetDays()
{
    QStringList met;
    for (int i = 0; i < CounterCount; ++i) {
        const MetDays days = metDays(shownDays(), i);
        if (days.withTarget > 0)
            met << translate("History", "%1 達成 %2 / %3 日")
                       .arg(counterHeading(m_counters.gTitle(i), i), QString::number(days.met),
                            QString::number(days.withTarget));
    }
    m_metLabel->setText(
        met.isEmpty() ? QString()
                      : translate("History", "目標: %1").arg(met.join(translate("History", "　"))));
    m_metLabel->setVisible(!met.isEmpty());
}

void HistoryWindow::refreshToday()
{
    const HistoryDay today = todayAsItStands();
    if (m_todayRow >= m_model.allDays().size() || m_model.allDays()[m_todayRow].date != today.date ||
        today.titles != m_model.allDays()[m_todayRow].titles) {
        reload(); // a new day, or new titles for the columns
        return;
    }
    m_model.setDay(m_todayRow, today);
    showTotals();
    showMetDays();
    showCharts();
}

void HistoryWindow::showRange()
{
    std::array<QString, CounterCount> titles;
    for (int i = 0; i < CounterCount; ++i)
        titles[size_t(i)] = m_counters.gTitle(i);
    const auto [first, count] =
        rowsInRange(m_model.allDays(), HistoryRange(m_rangeBox->currentIndex()), m_counters.openDay().day);
    m_model.setRange(first, count, titles);
    showTotals();
    // A counter out of use with nothing counted in the range takes no room.
    for (int i = 0; i < CounterCount; ++i) {
        bool counted = false;
        for (const HistoryDay &day : shownDays())
            counted = counted || day.counts[size_t(i)] != 0;
        m_table->setColumnHidden(i + 1, m_counters.gTitle(i).isEmpty() && !counted);
    }
    m_table->resizeColumnsToContents();
    // The hours shown are of a day in the range: the newest with counts,
    // else the range's last.
    const HistoryRange range = HistoryRange(m_rangeBox->currentIndex());
    const QDate oldest =
        m_model.allDays().isEmpty() ? m_counters.openDay().day : m_model.allDays().last().date;
    const auto [firstDay, lastDay] = rangeDates(range, m_counters.openDay().day, oldest);
    if (m_hoursDay.isValid() && (m_hoursDay < firstDay || m_hoursDay > lastDay)) {
        const auto days = shownDays();
        const auto counted = std::find_if(days.begin(), days.end(),
                                          [](const HistoryDay &d) { return d.total() != 0; });
        m_hoursDay = counted != days.end() ? counted->date : lastDay;
    }
    showMetDays();
    showCharts();
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
    QString text = translate("History", "期間の合計（%n 日）", nullptr, int(shownDays().size()));
    for (int i = 0; i < CounterCount; ++i) {
        if (!m_table->isColumnHidden(i + 1) || sums[size_t(i)] != 0)
            text +=
                translate("History", "　%1: %2")
                    .arg(counterHeading(m_counters.gTitle(i), i), QString::number(sums[size_t(i)]));
    }
    m_totalsLabel->setText(text + translate("History", "　合計: %1").arg(all));
}

QList<QStringList> HistoryWindow::shownTable() const
{
    // The table as it is shown: its columns under their headings, its rows,
    // and the range's totals.
    QList<int> columns;
    for (int c = 0; c < kTableColumns; ++c) {
        if (!m_table->isColumnHidden(c))
            columns << c;
    }
    QList<QStringList> rows{{}};
    for (int c : columns)
        rows[0] << m_model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    std::array<qint64, kTableColumns> sums{};
    for (int r = 0; r < m_model.rowCount(); ++r) {
        QStringList &cells = rows.emplace_back();
        for (int c : columns) {
            cells << m_model.index(r, c).data().toString();
            if (c > 0)
                sums[size_t(c)] += m_model.index(r, c).data().toLongLong();
        }
    }
    QStringList &total = rows.emplace_back(
        translate("History", "期間の合計（%n 日）", nullptr, m_model.rowCount()));
    for (int c : columns.mid(1))
        total << QString::number(sums[size_t(c)]);
    return rows;
}

QString HistoryWindow::clipboardText() const
{
    // A title a spreadsheet would run is defused; a tab or a line break in
    // one would split its cell, and is a space.
    QString text;
    for (const QStringList &row : shownTable()) {
        QStringList cells;
        for (const QString &cell : row)
            cells << spreadsheetCell(cell).replace(u'\t', u' ').replace(u'\r', u' ').replace(
                u'\n', u' ');
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
    const QList<QStringList> table = shownTable();
    trap([&] { writeFileAtomically(path, spreadsheetText(table), DirectWrite::Allowed); });
}

void HistoryWindow::askAndSave()
{
    // Named after the range it holds, in the user's documents (the home
    // folder where there is none), never the folder the program started in.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QFileInfo(folder).isDir())
        folder = QDir::homePath();
    const auto [first, last] = shownRange();
    const QString name = first == last ? first.toString(Qt::ISODate)
                                       : first.toString(Qt::ISODate) + QStringLiteral("_") +
                                             last.toString(Qt::ISODate);
    const QString path = QFileDialog::getSaveFileName(
        this, translate("History", "CSV で保存: %1").arg(rangeHeading()),
        folder + QStringLiteral("/zentova-") + name + QStringLiteral(".csv"),
        QStringLiteral("CSV (*.csv)"));
    if (!path.isEmpty())
        saveShownRows(path);
}

} // namespace zentova
