// The history window: the days counted so far, newest first with today's live counts
// on top, for a chosen range, with the range's totals; the shown rows go to
// the clipboard (tab-separated, as a spreadsheet pastes them) or to a CSV
// file in the history's own format. It only reads: closing it changes
// nothing.
#pragma once

#include "history/historyrange.h"

#include <QAbstractTableModel>
#include <QTimer>
#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;
class QTableView;

namespace zentova
{

// A counter's column heading: its title, or 項目N where it has none.
QString counterHeading(const QString &title, int index);

class HistoryModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;
    // The days, newest first, under the strip's present titles.
    void setDays(QList<HistoryDay> days, const std::array<QString, CounterCount> &titles);
    void setDay(int row, const HistoryDay &day);
    const QList<HistoryDay> &days() const { return m_days; }
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QList<HistoryDay> m_days;
    std::array<QString, CounterCount> m_titles;
};

class HistoryWindow : public QWidget
{
    Q_OBJECT
public:
    explicit HistoryWindow(QWidget *owner = nullptr);

    // Reads the history and the live counts again.
    void reload();
    // The strip's counts changed: today's row and the totals follow.
    void followStrip();
    // The rows shown, newest first.
    const QList<HistoryDay> &shownDays() const { return m_model.days(); }
    QString clipboardText() const;
    void copyToClipboard();
    // The shown rows as a history file (oldest first). Errors are shown.
    void saveShownRows(const QString &path);

private:
    HistoryDay todayAsItStands() const;
    void refreshToday();
    void showRange();
    void showTotals();
    void askAndSave();

    QComboBox *m_rangeBox = nullptr;
    QTableView *m_table = nullptr;
    QLabel *m_totalsLabel = nullptr;
    QPushButton *m_copyButton = nullptr;
    QPushButton *m_saveButton = nullptr;
    QList<HistoryDay> m_allDays; // today first, then newest first
    HistoryModel m_model;
    QTimer m_follow;
};

} // namespace zentova
