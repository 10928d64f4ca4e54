// チーム: the team's totals as the server has them, for today, this week or
// this month: a row and a stacked bar a person, by title. It reads the
// server while it is open (every couple of seconds, one query each time) and
// says plainly when the server cannot be reached.
#pragma once

#include "core/state/options.h"
#include "core/team/teamtable.h"

#include <QDate>
#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;
class QLineEdit;
class QTableWidget;
class QTimer;

namespace zentova
{

class BarChart;
class TeamReader;

class TeamWindow : public QWidget
{
    Q_OBJECT
public:
    // `today`: the strip's open day, which the ranges end on.
    TeamWindow(const TeamOptions &team, const QDate &today, QWidget *owner = nullptr);
    ~TeamWindow() override;

    static constexpr int RefreshMs = 1500;
    // A standby whose last change is older than this says so.
    static constexpr qint64 StandbyBehindSecs = 5;
    // People the chart shows by name; the rest share one bar.
    static constexpr int ChartPeople = 20;

    void setToday(const QDate &today);
    // The first and last day of the range chosen.
    std::pair<QDate, QDate> range() const;
    const TeamTable &table() const { return m_table; }
    // The table as shown, tab-separated, with its headings and a totals line.
    QString clipboardText() const;
    void saveTable(const QString &path);

signals:
    // A read answered (for tests and the benchmark).
    void refreshed();

protected:
    void showEvent(QShowEvent *e) override;
    void hideEvent(QHideEvent *e) override;

private:
    void buildControls(const QString &server);
    void showTable();
    void showChart();
    void ask();
    void present(const TeamTotals &totals, const QString &problem);
    QStringList headings() const;

    TeamReader *m_reader = nullptr;
    QDate m_today;
    QComboBox *m_rangeBox = nullptr;
    QLabel *m_status = nullptr;
    BarChart *m_chart = nullptr;
    QLineEdit *m_searchBox = nullptr;
    QTableWidget *m_tableView = nullptr;
    QPushButton *m_copyButton = nullptr;
    QPushButton *m_saveButton = nullptr;
    QTimer *m_refresh = nullptr;
    TeamTable m_table;
};

} // namespace zentova
