// The history window: the days counted so far, newest first with today's live counts
// on top, for a chosen range, with the range's totals and the days that met
// their targets; above them a chart of the range's days and one of a chosen
// day's hours. The shown rows go to the clipboard (tab-separated, as a
// spreadsheet pastes them) or to a CSV file in the history's own format, the
// charts to the clipboard as an image. It only reads: closing it changes
// nothing.
#pragma once

#include "core/base/runtime.h"
#include "core/history/chartdata.h"
#include "core/history/dayhours.h"
#include "core/history/historyrange.h"
#include "core/state/options.h"

#include "core/model/countermodel.h"

#include <QAbstractTableModel>
#include <QDate>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <memory>
#include <optional>
#include <span>

class QComboBox;
class QLabel;
class QPushButton;
class QTableView;
class QModelIndex;

namespace zentova
{

class BarChart;

class HistoryModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;
    // All the days (newest first), and the rows `first` to
    // `first + count - 1` of them shown, under the strip's present titles.
    void setDays(QList<HistoryDay> all);
    void setRange(qsizetype first, qsizetype count, const std::array<QString, CounterCount> &titles);
    // The day at row `allRow` of all the days is now `day`.
    void setDay(qsizetype allRow, const HistoryDay &day);
    const QList<HistoryDay> &allDays() const { return m_all; }
    std::span<const HistoryDay> days() const;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QList<HistoryDay> m_all;
    qsizetype m_first = 0;
    qsizetype m_count = 0;
    std::array<QString, CounterCount> m_titles;
};

class HistoryWindow : public QWidget
{
    Q_OBJECT
public:
    // Today's row and hours follow `counters`; past days are read once, as
    // the window opens or a day turns.
    explicit HistoryWindow(const CounterModel &counters, QWidget *owner = nullptr);
    ~HistoryWindow() override;

    // Reads the history and the live counts again.
    void reload();
    // The rows shown, newest first.
    std::span<const HistoryDay> shownDays() const { return m_model.days(); }
    // The table as shown: its headings, its rows, the range's total line.
    QList<QStringList> shownTable() const;
    QString clipboardText() const;
    void copyToClipboard();
    // The table as shown, as CSV for a spreadsheet. Errors are shown.
    void saveShownRows(const QString &path);
    // Both charts as one picture under the range's heading, as 画像をコピー
    // puts it on the clipboard.
    QImage chartImage() const;
    QString rangeHeading() const; // 今月（2024-01-01 〜 2024-01-31）
    std::pair<QDate, QDate> shownRange() const;
    // The day whose hours are charted.
    QDate hoursDay() const { return m_hoursDay; }
    // 修正...: the chosen past day's counts, as the user puts them right.
    void askCorrection();

signals:
    // A past day's counts corrected in the window, for the strip to keep.
    void correctionChosen(const zentova::HistoryDay &before, const zentova::HistoryDay &after);

private:
    void buildTools();
    void buildTable();
    void buildCharts();
    void layOut();
    void connectControls();
    HistoryDay todayAsItStands() const;
    // The history's days, newest first, one a date, without today's.
    static QList<HistoryDay> storedDays(const QDate &today);
    // Reading number `load` is done: its days, or the error that stopped it.
    void showStored(int load, QList<HistoryDay> stored, const std::optional<RuntimeError> &error);
    void refreshToday();
    void showRange();
    void showTotals();
    void showMetDays();
    void showCharts();
    void showHours();
    // A past day whose hours were not kept: its log is read aside, and the
    // chart shown when it is done.
    void readLoggedHours();
    void chooseBar(int index);
    void chooseRow(const QModelIndex &index);
    void askAndSave();
    void fillCounterBox();
    // The counters the charts draw, by the names of their legend.
    std::array<QString, CounterCount> chartedCounters() const;

    QComboBox *m_rangeBox = nullptr;
    QComboBox *m_counterBox = nullptr;
    QWidget *m_charts = nullptr;
    BarChart *m_daysChart = nullptr;
    BarChart *m_hoursChart = nullptr;
    QLabel *m_hoursTitle = nullptr;
    QTableView *m_table = nullptr;
    QLabel *m_totalsLabel = nullptr;
    QLabel *m_metLabel = nullptr;
    QPushButton *m_copyButton = nullptr;
    QPushButton *m_copyImageButton = nullptr;
    QPushButton *m_saveButton = nullptr;
    QPushButton *m_correctButton = nullptr;
    const CounterModel &m_counters;
    QList<ChartBar> m_bars;
    QDate m_hoursDay;
    struct LoggedHours {
        HourCounts hours;
        bool anyLine;
    };
    QHash<QDate, KeptHours> m_keptHours;
    QHash<QDate, LoggedHours> m_loggedHours;
    QDate m_reading; // the day whose log is being read
    std::shared_ptr<std::atomic<bool>> m_stopReading = std::make_shared<std::atomic<bool>>();
    int m_loads = 0;             // readings begun
    qsizetype m_todayRow = 0;
    HistoryModel m_model;
    QTimer m_follow;
};

} // namespace zentova
