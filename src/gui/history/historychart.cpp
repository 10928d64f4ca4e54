#include "gui/history/historychart.h"
#include "core/base/language.h"

#include "core/history/chartdata.h"
#include "core/state/options.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <cmath>

namespace zentova
{

namespace
{
std::array<uint32_t, CounterCount> g_colours = kCounterColours;
}

QColor counterColour(int index)
{
    return QColor::fromRgb(QRgb(g_colours[size_t(std::clamp(index, 0, CounterCount - 1))]));
}

void setCounterColours(const std::array<uint32_t, CounterCount> &colours)
{
    g_colours = colours;
}

BarChart::BarChart(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
}

void BarChart::setBars(const QList<Bar> &bars, const std::array<QString, CounterCount> &names)
{
    m_bars = bars;
    m_names = names;
    m_legendWidth = -1;
    m_current = std::min(m_current, int(m_bars.size()) - 1);
    m_hovered = -1;
    m_totals.clear();
    m_totals.reserve(m_bars.size());
    for (const Bar &bar : m_bars) {
        qint64 sum = 0;
        for (int c = 0; c < CounterCount; ++c)
            sum += m_names[size_t(c)].isEmpty() ? 0 : std::max<qint64>(bar.values[size_t(c)], 0);
        m_totals.append(sum);
    }
    scale();
}

void BarChart::setTargetLine(qint64 value)
{
    m_target = std::max<qint64>(value, 0);
    m_legendWidth = -1;
    scale();
}

void BarChart::scale()
{
    m_highest = std::max(
        m_target, m_totals.isEmpty() ? 0 : *std::max_element(m_totals.begin(), m_totals.end()));
    update();
}

void BarChart::setMessage(const QString &message)
{
    m_message = message;
    update();
}

void BarChart::setCurrent(int index)
{
    m_current = index >= 0 && index < m_bars.size() ? index : -1;
    update();
}

QSize BarChart::sizeHint() const
{
    return {480, fontMetrics().height() * 12};
}

QSize BarChart::minimumSizeHint() const
{
    // Small enough for the window to fit beside a strip in the middle of a
    // small screen.
    return {160, fontMetrics().height() * 4};
}

QList<qint64> BarChart::ticks() const
{
    // As many as have a line of text each between them, at most five: a
    // chart made short keeps its numbers apart.
    const int lineHeight = fontMetrics().height();
    const int plotHeight = height() - legendBottom() - 4 - (lineHeight + 4);
    return roundTicks(m_highest, std::clamp(plotHeight / (lineHeight * 3 / 2), 1, 5));
}

qint64 BarChart::axisTop() const
{
    return ticks().last();
}

QRect BarChart::plotArea() const
{
    const QFontMetrics fm = fontMetrics();
    const int left = fm.horizontalAdvance(QString::number(axisTop())) + 10;
    // The legend above, the labels below.
    return rect().adjusted(left, legendBottom() + 4, -8, -(fm.height() + 4));
}

QString BarChart::legendName(int entry) const
{
    if (entry < CounterCount)
        return m_names[size_t(entry)];
    return m_target > 0 ? translate("History", "目標 %1").arg(m_target) : QString();
}

QList<QRect> BarChart::legendRects() const
{
    // A swatch and the name of every counter drawn, in the strip's order,
    // then the target's line: in rows as wide as the chart, each name whole
    // unless it is wider than the chart on its own.
    if (m_legendWidth == width())
        return m_legend;
    const QFontMetrics fm = fontMetrics();
    const int rowHeight = fm.height() + 2;
    const int right = std::max(width() - 4, 40);
    QList<QRect> rects(CounterCount + 1);
    int x = 4, y = 4;
    for (int entry = 0; entry <= CounterCount; ++entry) {
        const QString name = legendName(entry);
        if (name.isEmpty())
            continue;
        const int w = std::min(14 + fm.horizontalAdvance(name) + 1, right - 4);
        if (x > 4 && x + w > right) {
            x = 4;
            y += rowHeight;
        }
        rects[entry] = QRect(x, y, w, fm.height());
        x += w + 12;
    }
    m_legendWidth = width();
    m_legend = rects;
    m_legendBottom = 4 + fm.height(); // a row kept even when empty
    for (const QRect &r : rects)
        m_legendBottom = std::max(m_legendBottom, r.bottom() + 1);
    return rects;
}

void BarChart::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::FontChange)
        m_legendWidth = -1;
    QWidget::changeEvent(e);
}

int BarChart::legendBottom() const
{
    legendRects(); // made for this width, if not yet
    return m_legendBottom;
}

QRect BarChart::slotRect(int index) const
{
    const QRect plot = plotArea();
    const int n = std::max(int(m_bars.size()), 1);
    const int x0 = plot.left() + int(qint64(plot.width()) * index / n);
    const int x1 = plot.left() + int(qint64(plot.width()) * (index + 1) / n);
    return QRect(x0, plot.top(), x1 - x0, plot.height());
}

QRect BarChart::barRect(int index) const
{
    const QRect slot = slotRect(index);
    const QRect plot = plotArea();
    const int gap = slot.width() >= 4 ? std::max(1, slot.width() / 5) : 0;
    const int height = int(std::llround(double(m_totals[index]) * plot.height() / axisTop()));
    // A range of one or two days is not drawn as a wall.
    const int width = std::min(slot.width() - gap, std::max(4, plot.width() / MaxBarShare));
    return QRect(slot.center().x() - width / 2, plot.bottom() + 1 - height, width, height);
}

QList<QRect> BarChart::labelRects() const
{
    // Each under its bar, never into the axis' numbers or past the edge,
    // and left out where it would touch the one before.
    const QFontMetrics fm = fontMetrics();
    const QRect plot = plotArea();
    QList<QRect> rects(m_bars.size());
    int free = plot.left();
    for (int i = 0; i < m_bars.size(); ++i) {
        if (m_bars[i].label.isEmpty())
            continue;
        const int w = fm.horizontalAdvance(m_bars[i].label) + 2;
        const int x = std::clamp(slotRect(i).center().x() - w / 2, plot.left(),
                                 std::max(plot.left(), rect().right() - w));
        if (x < free)
            continue;
        rects[i] = QRect(x, plot.bottom() + 3, w, fm.height());
        free = x + w + fm.horizontalAdvance(u' ');
    }
    return rects;
}

int BarChart::barAt(const QPoint &point) const
{
    const QRect plot = plotArea();
    if (m_bars.isEmpty() || !m_message.isEmpty() || point.x() < plot.left() ||
        point.x() > plot.right() || point.y() < plot.top() || point.y() > rect().bottom())
        return -1;
    // The slot by arithmetic, then settled against the slots' rounded edges:
    // years of monthly bars are hovered without walking them all.
    const int n = int(m_bars.size());
    int i =
        std::clamp(int(qint64(point.x() - plot.left()) * n / std::max(plot.width(), 1)), 0, n - 1);
    while (i > 0 && point.x() < slotRect(i).left())
        --i;
    while (i + 1 < n && point.x() >= slotRect(i + 1).left())
        ++i;
    return i;
}

void BarChart::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (!m_message.isEmpty()) {
        p.setPen(palette().color(QPalette::Text));
        p.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, m_message);
        return;
    }
    paintLegend(p);
    const qint64 top = paintAxis(p);
    paintBars(p, top);
    const QRect plot = plotArea();
    const QColor text = palette().color(QPalette::Text);
    if (hasFocus() && m_current >= 0) {
        p.setPen(QPen(text, 1, Qt::DotLine));
        p.drawRect(slotRect(m_current).adjusted(0, 0, -1, -1));
    }

    // The target's line; its name is in the legend, clear of every bar.
    if (m_target > 0) {
        const int y = plot.bottom() - int(std::llround(double(m_target) * plot.height() / top));
        p.setPen(QPen(QColor(200, 0, 0), 1, Qt::DashLine));
        p.drawLine(plot.left(), y, plot.right(), y);
    }
}

void BarChart::paintLegend(QPainter &p) const
{
    const QFontMetrics fm = fontMetrics();
    const QColor text = palette().color(QPalette::Text);
    // The legend.
    const QList<QRect> legend = legendRects();
    for (int entry = 0; entry <= CounterCount; ++entry) {
        const QRect r = legend[entry];
        if (r.isNull())
            continue;
        const int middle = r.center().y();
        if (entry == CounterCount) {
            p.setPen(QPen(QColor(200, 0, 0), 1, Qt::DashLine));
            p.drawLine(r.left(), middle, r.left() + 10, middle);
        } else {
            p.fillRect(QRect(r.left(), middle - 5, 10, 10), counterColour(entry));
        }
        p.setPen(text);
        p.drawText(r.adjusted(14, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                   fm.elidedText(legendName(entry), Qt::ElideRight, r.width() - 14));
    }
}

qint64 BarChart::paintAxis(QPainter &p) const
{
    const QFontMetrics fm = fontMetrics();
    const QColor text = palette().color(QPalette::Text);
    const QRect plot = plotArea();
    // The axis and its ticks.
    const QList<qint64> ticks = this->ticks();
    const qint64 top = ticks.last();
    const QColor grid = palette().color(QPalette::Mid);
    for (qint64 tick : ticks) {
        const int y = plot.bottom() - int(std::llround(double(tick) * plot.height() / top));
        p.setPen(tick == 0 ? text : grid.lighter(130));
        p.drawLine(plot.left(), y, plot.right(), y);
        p.setPen(text);
        p.drawText(QRect(0, y - fm.height() / 2, plot.left() - 4, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, QString::number(tick));
    }
    return top;
}

void BarChart::paintBars(QPainter &p, qint64 top) const
{
    const QRect plot = plotArea();
    // The bars, stacked from the first counter up, and their labels.
    const QList<QRect> labels = labelRects();
    const QColor text = palette().color(QPalette::Text);
    for (int i = 0; i < m_bars.size(); ++i) {
        const QRect slot = slotRect(i);
        if (i == m_current || i == m_hovered) {
            const QColor mark = palette().color(QPalette::Highlight);
            p.fillRect(slot,
                       QColor(mark.red(), mark.green(), mark.blue(), i == m_current ? 48 : 24));
        }
        const QRect bar = barRect(i);
        qint64 below = 0;
        for (int c = 0; c < CounterCount; ++c) {
            const qint64 value = std::max<qint64>(m_bars[i].values[size_t(c)], 0);
            if (m_names[size_t(c)].isEmpty() || value == 0)
                continue;
            const int y0 =
                plot.bottom() + 1 - int(std::llround(double(below) * plot.height() / top));
            below += value;
            const int y1 =
                plot.bottom() + 1 - int(std::llround(double(below) * plot.height() / top));
            p.fillRect(QRect(bar.left(), y1, bar.width(), y0 - y1), counterColour(c));
        }
        if (!labels[i].isEmpty()) {
            p.setPen(text);
            p.drawText(labels[i], Qt::AlignCenter, m_bars[i].label);
        }
    }
}

void BarChart::showTip(int index)
{
    if (index < 0 || index >= m_bars.size()) {
        QToolTip::hideText();
        return;
    }
    const QRect bar = barRect(index);
    QToolTip::showText(mapToGlobal(QPoint(bar.center().x(), bar.top())), m_bars[index].tip, this);
}

void BarChart::choose(int index)
{
    if (index < 0 || index >= m_bars.size())
        return;
    setCurrent(index);
    showTip(index);
    emit barChosen(index);
}

void BarChart::mouseMoveEvent(QMouseEvent *e)
{
    const int index = barAt(e->position().toPoint());
    if (index != m_hovered) {
        m_hovered = index;
        update();
        showTip(index);
    }
}

void BarChart::mousePressEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton)
        choose(barAt(e->position().toPoint()));
    QWidget::mousePressEvent(e);
}

void BarChart::keyPressEvent(QKeyEvent *e)
{
    const int last = int(m_bars.size()) - 1;
    switch (e->key()) {
    case Qt::Key_Left:
        choose(m_current < 0 ? last : std::max(m_current - 1, 0));
        break;
    case Qt::Key_Right:
        choose(m_current < 0 ? last : std::min(m_current + 1, last));
        break;
    case Qt::Key_Home:
        choose(0);
        break;
    case Qt::Key_End:
        choose(last);
        break;
    default:
        QWidget::keyPressEvent(e);
    }
}

void BarChart::leaveEvent(QEvent *e)
{
    m_hovered = -1;
    update();
    QWidget::leaveEvent(e);
}

} // namespace zentova
