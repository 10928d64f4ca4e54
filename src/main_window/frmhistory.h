// frmHistory: the days counted so far, newest first with today's live counts
// on top, for a chosen range, with the range's totals; the shown rows go to
// the clipboard (tab-separated, as a spreadsheet pastes them) or to a CSV
// file in the history's own format. It only reads: closing it changes
// nothing.
#pragma once

#include "state/history.h"

#include <QAbstractTableModel>
#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;
class QTableView;

namespace zentova
{

class HistoryModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;
    void setDays(QList<HistoryDay> days);
    const QList<HistoryDay> &days() const { return m_days; }
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QList<HistoryDay> m_days;
};

class frmHistory : public QWidget
{
    Q_OBJECT
public:
    enum Range { ThisWeek, ThisMonth, LastMonth, Everything };

    explicit frmHistory(QWidget *owner = nullptr);

    // Reads the history and the live counts again.
    void reload();
    void setRange(Range range);
    // The rows shown, newest first.
    const QList<HistoryDay> &shownDays() const { return m_model.days(); }
    QString clipboardText() const;
    void copyToClipboard();
    // The shown rows as a history file (oldest first). Errors are shown.
    void saveShownRows(const QString &path);

    QComboBox *cboRange = nullptr;
    QTableView *grdDays = nullptr;
    QLabel *lblTotals = nullptr;
    QPushButton *cmdCopy = nullptr;
    QPushButton *cmdSave = nullptr;

private:
    void showRange();
    void askAndSave();

    QList<HistoryDay> m_allDays; // today first, then newest first
    HistoryModel m_model;
};

// The days of a range, from days given newest first.
QList<HistoryDay> daysInRange(const QList<HistoryDay> &days, frmHistory::Range range,
                              const QDate &today);

} // namespace zentova
