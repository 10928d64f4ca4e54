// The history window: the days counted so far, newest first with today's live counts
// on top, for a chosen range, with the range's totals; the shown rows go to
// the clipboard (tab-separated, as a spreadsheet pastes them) or to a CSV
// file in the history's own format. It only reads: closing it changes
// nothing.
#pragma once

#include "history/historyrange.h"

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

class HistoryWindow : public QWidget
{
    Q_OBJECT
public:
    explicit HistoryWindow(QWidget *owner = nullptr);

    // Reads the history and the live counts again.
    void reload();
    // The rows shown, newest first.
    const QList<HistoryDay> &shownDays() const { return m_model.days(); }
    QString clipboardText() const;
    void copyToClipboard();
    // The shown rows as a history file (oldest first). Errors are shown.
    void saveShownRows(const QString &path);

private:
    void showRange();
    void askAndSave();

    QComboBox *m_rangeBox = nullptr;
    QTableView *m_table = nullptr;
    QLabel *m_totalsLabel = nullptr;
    QPushButton *m_copyButton = nullptr;
    QPushButton *m_saveButton = nullptr;
    QList<HistoryDay> m_allDays; // today first, then newest first
    HistoryModel m_model;
};

} // namespace zentova
