// A bar chart painted for the history window: stacked bars, one colour a
// counter, with a legend of the titles, round ticks and an optional target
// line. The mouse and the arrow keys (while it has the focus) show a bar's
// values and choose it.
#pragma once

#include "core/state/countrecord.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QWidget>
#include <array>

class QPainter;

namespace zentova
{

// The colour of counter `index`'s part of a bar, as the options set it.
QColor counterColour(int index);
void setCounterColours(const std::array<uint32_t, CounterCount> &colours);

class BarChart : public QWidget
{
    Q_OBJECT
public:
    struct Bar {
        QString label; // under the bar, where there is room
        QString tip;   // its date and values in words
        std::array<qint64, CounterCount> values{};
    };

    explicit BarChart(QWidget *parent = nullptr);

    // The counters drawn and their legend: an empty name leaves one out.
    void setBars(const QList<Bar> &bars, const std::array<QString, CounterCount> &names);
    // A horizontal line at `value` (0: none).
    void setTargetLine(qint64 value);
    // Shown in place of the bars while it is not empty.
    void setMessage(const QString &message);
    QString message() const { return m_message; }
    // The bar marked as chosen (-1: none); choosing it here raises nothing.
    void setCurrent(int index);
    int current() const { return m_current; }
    int barCount() const { return int(m_bars.size()); }

    // Where things are drawn, for the pointer and for tests.
    int barAt(const QPoint &point) const;
    QRect barRect(int index) const;  // the whole stack, or an empty rectangle at the base
    QList<QRect> labelRects() const; // under each bar; empty where a label is left out
    QRect plotArea() const;          // within the axis, below the legend
    // Each counter's legend entry, then the target's; empty where none.
    QList<QRect> legendRects() const;
    qint64 axisTop() const;
    static constexpr int MaxBarShare = 8; // a bar is at most this part of the plot's width
    QList<qint64> ticks() const;          // the axis' numbers, as many as its height keeps apart

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // The user chose a bar with the pointer or the keys.
    void barChosen(int index);

protected:
    void paintEvent(QPaintEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void changeEvent(QEvent *e) override;
    void leaveEvent(QEvent *e) override;

private:
    void paintLegend(QPainter &p) const;
    // The axis; its top value.
    qint64 paintAxis(QPainter &p) const;
    void paintBars(QPainter &p, qint64 top) const;
    QRect slotRect(int index) const;
    QString legendName(int entry) const;
    int legendBottom() const;
    void scale(); // the axis from the bars and the target
    void showTip(int index);
    void choose(int index);

    QList<Bar> m_bars;
    QList<qint64> m_totals; // each bar's drawn height in counts
    qint64 m_highest = 0;   // the highest stack or the target
    std::array<QString, CounterCount> m_names;
    qint64 m_target = 0;
    QString m_message;
    int m_current = -1;
    int m_hovered = -1;
    // The legend's layout, for the width it was made at (-1: to make anew):
    // every bar's place depends on it.
    mutable int m_legendWidth = -1;
    mutable QList<QRect> m_legend;
    mutable int m_legendBottom = 0;
};

} // namespace zentova
