#include "gui/widgets/icon.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace zentova
{

namespace
{

// A seven-segment digit in the unit square; `segments` has bit 0 for the top
// segment, then clockwise, bit 6 the middle one.
void drawDigit(QPainter &p, const QRectF &r, int segments)
{
    const double w = r.width();
    const double h = r.height();
    const double t = std::max(1.0, w * 0.18);
    const double x0 = r.left();
    const double y0 = r.top();
    const double ym = y0 + h / 2;
    const QRectF seg[7] = {
        {x0 + t * 0.5, y0, w - t, t},                   // top
        {x0 + w - t, y0 + t * 0.5, t, h / 2 - t * 0.5}, // upper right
        {x0 + w - t, ym, t, h / 2 - t * 0.5},           // lower right
        {x0 + t * 0.5, y0 + h - t, w - t, t},           // bottom
        {x0, ym, t, h / 2 - t * 0.5},                   // lower left
        {x0, y0 + t * 0.5, t, h / 2 - t * 0.5},         // upper left
        {x0 + t * 0.5, ym - t / 2, w - t, t},           // middle
    };
    for (int i = 0; i < 7; ++i) {
        if (segments & (1 << i))
            p.fillRect(seg[i], p.brush());
    }
}

} // namespace

QImage drawAppIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, size >= 48);
    const double s = size / 32.0;

    // The panel: the strip's pale blue with a darker blue border.
    const QRectF panel(1 * s, 5 * s, 30 * s, 22 * s);
    p.setPen(QPen(QColor(48, 64, 160), std::max(1.0, 1.5 * s)));
    p.setBrush(QColor(192, 192, 255));
    p.drawRoundedRect(panel, 2 * s, 2 * s);
    // The azure bar down its left edge.
    p.fillRect(QRectF(2.5 * s, 6.5 * s, 2.5 * s, 19 * s), QColor(0, 128, 255));

    // Two display panes, each showing a digit.
    const QRectF panes[2] = {{7 * s, 9 * s, 10 * s, 14 * s}, {19 * s, 9 * s, 10 * s, 14 * s}};
    const int digits[2] = {0b0000110, 0b1011011}; // "1" and "2"
    for (int k = 0; k < 2; ++k) {
        p.setPen(QPen(QColor(48, 64, 160), std::max(1.0, s)));
        p.setBrush(Qt::white);
        p.drawRect(panes[k]);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 0, 0));
        drawDigit(p, panes[k].adjusted(2.5 * s, 2 * s, -2.5 * s, -2 * s), digits[k]);
    }
    return image;
}

namespace
{

// Draws the icon at whatever size is asked for, when it is asked for: no
// pixels are made at start-up, and every size is crisp.
class DrawnIconEngine : public QIconEngine
{
public:
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode, QIcon::State) override
    {
        const int side = std::min(rect.width(), rect.height());
        const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QImage image = drawAppIcon(std::max(1, int(side * dpr)));
        image.setDevicePixelRatio(dpr);
        painter->drawImage(QRectF(rect.topLeft(), QSizeF(side, side)), image);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        return QPixmap::fromImage(drawAppIcon(std::max(1, std::min(size.width(), size.height()))));
    }
    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        const int side = std::min(size.width(), size.height());
        return QSize(side, side);
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        return {{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}};
    }
    QIconEngine *clone() const override { return new DrawnIconEngine; }
    QString key() const override { return QStringLiteral("zentova-drawn"); }
};

} // namespace

QIcon appIcon()
{
    return QIcon(new DrawnIconEngine);
}

} // namespace zentova
