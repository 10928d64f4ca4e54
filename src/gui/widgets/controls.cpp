#include "gui/widgets/controls.h"

#include "core/base/runtime.h"
#include "gui/desktop/x11/windowmove.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QEvent>
#include <QHash>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTimer>
#include <algorithm>

namespace zentova
{

QColor colorFromValue(uint32_t value)
{
    if (value & 0x80000000u) {
        const QPalette palette = QApplication::palette();
        switch (value & 0xFFu) {
        case 0x05:
            return palette.color(QPalette::Base);
        case 0x12:
            return palette.color(QPalette::ButtonText);
        case 0x08:
            return palette.color(QPalette::Text);
        case 0x0F:
            return palette.color(QPalette::Button);
        default:
            return palette.color(QPalette::Window);
        }
    }
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

namespace
{

QStringList japaneseFaces()
{
    return {QStringLiteral("ＭＳ Ｐゴシック"),  QStringLiteral("MS PGothic"),
            QStringLiteral("IPAPGothic"),       QStringLiteral("IPA Pゴシック"),
            QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL PGothic"),
            QStringLiteral("sans-serif")};
}

// Point sizes are those of a 96-dpi desktop, so they are set in pixels: the
// strip is laid out in pixels and must not grow or shrink with the X
// server's idea of its resolution. High-DPI scaling still applies.
QFont facesAt(double points)
{
    QFont f;
    f.setFamilies(japaneseFaces());
    f.setPixelSize(int(points * 96.0 / 72.0 + 0.5));
    f.setWeight(QFont::Normal);
    f.setStyleHint(QFont::SansSerif);
    return f;
}

} // namespace

QFont msPGothic(double points)
{
    return facesAt(points);
}

QFont uiFont()
{
    return facesAt(9.0);
}

namespace
{

QPointer<QWidget> g_strip;

// Room a window manager's frame takes before the window is framed: a title
// bar and borders as the thickest of the common desktops draw them.
constexpr QMargins kFrameGuess(8, 40, 8, 8);

// Puts a shown window right once the window manager has framed it: the
// first place allowed only for a guess of the frame. Without a window manager
// there is no frame, and the guess left room enough.
class PlaceWhenFramed : public QObject
{
public:
    explicit PlaceWhenFramed(QWidget *window) : QObject(window), m_window(window)
    {
        window->installEventFilter(this);
        connect(&m_look, &QTimer::timeout, this, [this] {
            const bool framed = m_window->frameGeometry() != m_window->geometry();
            if (framed)
                placeBesideStrip(m_window);
            if (framed || ++m_looks >= 40)
                deleteLater();
        });
    }

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Show) {
            m_window->removeEventFilter(this);
            m_look.start(25);
        }
        return false;
    }

private:
    QWidget *m_window;
    QTimer m_look;
    int m_looks = 0;
};

class ReadingOrderAccessible : public QAccessibleWidget
{
public:
    using QAccessibleWidget::QAccessibleWidget;
    int childCount() const override { return int(inReadingOrder().size()); }
    QAccessibleInterface *child(int index) const override
    {
        const QWidgetList children = inReadingOrder();
        return index >= 0 && index < children.size()
                   ? QAccessible::queryAccessibleInterface(children[index])
                   : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child ? int(inReadingOrder().indexOf(child->object())) : -1;
    }

private:
    QWidgetList inReadingOrder() const
    {
        QWidgetList children;
        for (QObject *object : widget()->children()) {
            auto *child = qobject_cast<QWidget *>(object);
            if (child && !child->isWindow() && !child->isHidden() && !child->inherits("QMenu"))
                children << child;
        }
        // Rows of a few pixels' tolerance: the strip's frames stand in one.
        const auto row = [](const QWidget *w) { return w->y() / 16; };
        std::stable_sort(children.begin(), children.end(), [&](QWidget *a, QWidget *b) {
            return row(a) != row(b) ? row(a) < row(b) : a->x() < b->x();
        });
        return children;
    }
};

// A list read by the name given to it (期間), its item as its value: the
// toolkit's own gives the item shown as the name on this platform, so a
// screen reader said 今月 where the label says 期間.
class NamedListAccessible : public QAccessibleWidget
{
public:
    explicit NamedListAccessible(QComboBox *list) : QAccessibleWidget(list, QAccessible::ComboBox)
    {
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value || (t == QAccessible::Name && list()->accessibleName().isEmpty()))
            return list()->currentText();
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return int(parts().size()); }
    QAccessibleInterface *child(int index) const override
    {
        const QList<QWidget *> all = parts();
        return index >= 0 && index < all.size() ? QAccessible::queryAccessibleInterface(all[index])
                                                : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child ? int(parts().indexOf(child->object())) : -1;
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.expanded = list()->view()->isVisible();
        s.editable = list()->isEditable();
        return s;
    }
    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
    void doAction(const QString &name) override
    {
        if (name == showMenuAction() || name == pressAction())
            list()->showPopup();
    }

private:
    QComboBox *list() const { return static_cast<QComboBox *>(object()); }
    // Its list of items, and the line typed in when it has one.
    QList<QWidget *> parts() const
    {
        QList<QWidget *> all{list()->view()};
        if (list()->lineEdit())
            all << list()->lineEdit();
        return all;
    }
};

QAccessibleInterface *readingOrder(const QString &className, QObject *object)
{
    if (className == QLatin1String("QComboBox") && qobject_cast<QComboBox *>(object))
        return new NamedListAccessible(static_cast<QComboBox *>(object));
    static const QHash<QString, QAccessible::Role> roles{
        {QStringLiteral("zentova::frmMain"), QAccessible::Window},
        {QStringLiteral("zentova::frmSet"), QAccessible::Dialog},
        {QStringLiteral("zentova::FrameBox"), QAccessible::Grouping}};
    const auto role = roles.constFind(className);
    return role != roles.cend() && object->isWidgetType()
               ? new ReadingOrderAccessible(static_cast<QWidget *>(object), *role)
               : nullptr;
}

} // namespace

void installReadingOrderAccessible()
{
    static const bool installed = (QAccessible::installFactory(readingOrder), true);
    Q_UNUSED(installed);
}

void setStripWindow(QWidget *strip)
{
    g_strip = strip;
}

QRect besideStrip(const QRect &strip, const QSize &frame, const QRect &area, int gap)
{
    const int below = area.bottom() - strip.bottom() - gap; // room under the strip
    const int above = strip.top() - gap - area.top();
    const bool lowerHalf = strip.center().y() > area.center().y();
    bool goAbove = lowerHalf ? above >= frame.height() || above >= below
                             : below < frame.height() && above > below;
    const int height = std::max(1, std::min(frame.height(), goAbove ? above : below));
    const int y = goAbove ? strip.top() - gap - height : strip.bottom() + 1 + gap;
    const int x = std::clamp(strip.right() + 1 - frame.width(), area.left(),
                             std::max(area.left(), area.right() + 1 - frame.width()));
    return QRect(x, y, std::min(frame.width(), area.width()), height);
}

namespace
{

// Takes the keys that close a window as they reach it: a list or a menu that
// is open takes them first, and closes itself alone.
class EscapeCloses : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() != Qt::Key_Escape && !key->matches(QKeySequence::Close))
            return false;
        static_cast<QWidget *>(watched)->close();
        return true;
    }
};

} // namespace

void closeWithEscape(QWidget *window)
{
    window->installEventFilter(new EscapeCloses(window));
}

QMargins frameAround(const QRect &window, const QRect &frame, const QMargins &guess)
{
    if (frame == window || !frame.contains(window))
        return guess;
    return QMargins(window.left() - frame.left(), window.top() - frame.top(),
                    frame.right() - window.right(), frame.bottom() - window.bottom());
}

void placeBesideStrip(QWidget *window)
{
    if (!g_strip || !g_strip->isVisible() || window == g_strip)
        return;
    const QScreen *screen = g_strip->screen();
    if (!screen)
        return;
    const QMargins frame = window->isVisible()
                               ? frameAround(window->geometry(), window->frameGeometry(), kFrameGuess)
                               : kFrameGuess;
    const QSize whole = window->size().grownBy(frame);
    // The strip's own area where the X server has it: Qt's idea of its place
    // and frame can be as stale as the window's.
    const QRect strip(g_strip->geometry().topLeft() + staleBy(g_strip), g_strip->size());
    const QRect place = besideStrip(strip, whole, screen->availableGeometry());
    if (place.size() != whole)
        window->resize(place.size().shrunkBy(frame).expandedTo(window->minimumSize()));
    window->move(place.topLeft()); // a window's place is its frame's
    if (!window->isVisible())
        new PlaceWhenFramed(window);
}

void setForeColor(QWidget *w, uint32_t value)
{
    QPalette p = w->palette();
    const QColor c = colorFromValue(value);
    p.setColor(QPalette::WindowText, c);
    p.setColor(QPalette::Text, c);
    p.setColor(QPalette::ButtonText, c);
    w->setPalette(p);
}

void setBackColor(QWidget *w, uint32_t value)
{
    // A text box's back colour is its base; a form's, frame's or label's is
    // the window colour, which its children inherit; a button's its face.
    QPalette p = w->palette();
    const QColor c = colorFromValue(value);
    if (qobject_cast<QLineEdit *>(w)) {
        p.setColor(QPalette::Base, c);
    } else {
        p.setColor(QPalette::Window, c);
        if (qobject_cast<QAbstractButton *>(w))
            p.setColor(QPalette::Button, c);
    }
    w->setPalette(p);
}

CaptionLabel::CaptionLabel(QWidget *parent) : QLabel(parent)
{
    setAttribute(Qt::WA_NoMousePropagation);
}

void CaptionLabel::setCaption(const QString &caption)
{
    if (caption == text())
        return;
    setText(caption);
    emit changed();
}

void CaptionLabel::setValueBox(bool on)
{
    m_valueBox = on;
    update();
}

void CaptionLabel::paintEvent(QPaintEvent *e)
{
    if (!m_valueBox) {
        QLabel::paintEvent(e);
        return;
    }
    QPainter p(this);
    const QRect box = rect();
    p.setPen(palette().color(QPalette::Shadow));
    p.drawRect(box.adjusted(0, 0, -1, -1));
    const QRect inner = box.adjusted(2, 1, -2, -1);
    const int textWidth = fontMetrics().horizontalAdvance(text());
    p.setPen(palette().color(QPalette::WindowText));
    if (textWidth > inner.width() && textWidth > 0) {
        const qreal squeeze = qreal(inner.width()) / textWidth;
        p.translate(inner.left(), 0);
        p.scale(squeeze, 1.0);
        p.drawText(QRect(0, inner.top(), textWidth, inner.height()),
                   Qt::AlignRight | Qt::AlignVCenter, text());
        return;
    }
    p.drawText(inner, Qt::AlignRight | Qt::AlignVCenter, text());
}

FrameBox::FrameBox(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_NoMousePropagation);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);
}

void FrameBox::setCaption(const QString &caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    // Only the start of a caption fits in a frame, and the frame is drawn
    // again at every click on a button inside it: measuring and shaping a
    // title of thousands of characters there made each click slow. Two
    // hundred characters cover any frame at any scale; a pair of surrogates
    // is never cut in two.
    qsizetype shown = std::min<qsizetype>(caption.size(), 200);
    if (shown > 0 && shown < caption.size() && caption.at(shown - 1).isHighSurrogate())
        ++shown;
    m_paintedCaption = caption.left(shown);
    setAccessibleName(caption);
    update();
}

namespace
{

// The frame's bottom edge turned into a gauge: laid over the controls, whose
// edges reach the frame's own on some screens, so that all of it shows.
class TargetLine : public QWidget
{
public:
    explicit TargetLine(QWidget *frame) : QWidget(frame)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    int count = 0;
    int target = 1;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        // The rest of the way in the edge's shadow, the part done over it.
        p.fillRect(rect(), parentWidget()->palette().color(QPalette::Window).darker(150));
        const int done = int(width() * qBound(0.0, double(count) / target, 1.0));
        const QColor met(0, 160, 64), going(48, 80, 224);
        p.fillRect(QRect(0, 0, done, height()), count >= target ? met : going);
    }
};

} // namespace

void FrameBox::setProgress(int count, int target)
{
    if (target <= 0) {
        if (m_line)
            m_line->hide();
        return;
    }
    auto *line = static_cast<TargetLine *>(m_line);
    if (!line)
        m_line = line = new TargetLine(this);
    line->count = count;
    line->target = target;
    placeLine();
    line->raise();
    line->show();
    line->update();
}

void FrameBox::placeLine()
{
    if (!m_line)
        return;
    const QRect box = rect().adjusted(0, fontMetrics().height() / 2, -1, -1);
    // Three pixels at scale 1: seen on the pale face from across the desk.
    m_line->setGeometry(box.left() + 2, box.bottom() - 2, box.width() - 4, 3);
}

void FrameBox::resizeEvent(QResizeEvent *e)
{
    placeLine();
    QWidget::resizeEvent(e);
}

void FrameBox::setAccent(const QColor &colour)
{
    if (colour == m_accent)
        return;
    m_accent = colour;
    update();
}

void FrameBox::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QFontMetrics fm(font());
    // The border runs through the middle of the caption's line, as a group
    // frame is drawn on the desktop; an empty caption leaves the line whole.
    const int top = fm.height() / 2;
    const QRect box = rect().adjusted(0, top, -1, -1);
    if (m_celebrating)
        p.fillRect(rect().adjusted(0, top, 0, 0), QColor(170, 235, 180));
    const QColor dark = palette().color(QPalette::Window).darker(150);
    const QColor light = palette().color(QPalette::Light);
    p.setPen(dark);
    p.drawRect(box.adjusted(0, 0, -1, -1));
    p.setPen(light);
    p.drawLine(box.left() + 1, box.top() + 1, box.right() - 1, box.top() + 1);
    p.drawLine(box.left() + 1, box.top() + 1, box.left() + 1, box.bottom() - 1);
    p.drawLine(box.left(), box.bottom(), box.right(), box.bottom());
    p.drawLine(box.right(), box.top(), box.right(), box.bottom());
    if (m_accent.isValid())
        p.fillRect(QRect(box.left() + 2, box.top() + 2, 2, box.height() - 3), m_accent);
    int captionEnd = 6;
    if (!m_paintedCaption.isEmpty()) {
        const int x = 6;
        const int w = fm.horizontalAdvance(m_paintedCaption) + 4;
        p.fillRect(QRect(x, 0, w, fm.height()), palette().color(QPalette::Window));
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(QRect(x + 2, 0, w, fm.height()), Qt::AlignLeft | Qt::AlignVCenter,
                   m_paintedCaption);
        captionEnd = x + w;
    }
    if (m_targetMet) {
        // The same green as the target's line, a white check on it.
        const int d = std::max(7, fm.height() - 3);
        const QRectF disc(captionEnd + 1, (fm.height() - d) / 2.0, d, d);
        p.fillRect(disc.adjusted(-1, 0, 1, 0), palette().color(QPalette::Window));
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 160, 64));
        p.drawEllipse(disc);
        p.setPen(QPen(Qt::white, std::max(1.5, d / 7.0)));
        p.drawPolyline(QPolygonF({disc.topLeft() + QPointF(d * 0.25, d * 0.52),
                                  disc.topLeft() + QPointF(d * 0.43, d * 0.70),
                                  disc.topLeft() + QPointF(d * 0.75, d * 0.32)}));
    }
    const QString mark = m_waiting > 0 ? QStringLiteral("+%1").arg(m_waiting) : m_stepMark;
    if (!mark.isEmpty()) {
        const QRect at(width() - fm.horizontalAdvance(mark) - 8, 0, fm.horizontalAdvance(mark) + 4,
                       fm.height());
        p.fillRect(at, m_waiting > 0 ? QColor(255, 176, 0) : palette().color(QPalette::Window));
        p.setPen(m_waiting > 0 ? QColor(Qt::black) : palette().color(QPalette::WindowText));
        p.drawText(at, Qt::AlignCenter, mark);
    }
}

void FrameBox::setStepMark(const QString &mark)
{
    if (mark == m_stepMark)
        return;
    m_stepMark = mark;
    update();
}

void FrameBox::setTargetMet(bool met)
{
    if (met == m_targetMet)
        return;
    m_targetMet = met;
    update();
}

void FrameBox::celebrate()
{
    m_celebrating = true;
    update();
    QTimer::singleShot(1500, this, [this] {
        m_celebrating = false;
        update();
    });
}

void FrameBox::setWaiting(int counts)
{
    if (counts == m_waiting)
        return;
    m_waiting = counts;
    update();
}

void FlatButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QColor face = palette().color(QPalette::Button);
    p.fillRect(rect(), isDown() ? face.darker(112) : face);
    p.setPen(face.darker(isDefault() ? 220 : 160));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    p.setFont(font());
    const QRect inside =
        rect().adjusted(3, 2, -3, -2).translated(isDown() ? QPoint(1, 1) : QPoint());
    p.drawText(inside, Qt::AlignCenter | Qt::TextShowMnemonic, text());
    if (hasFocus()) {
        QPen dots(palette().color(QPalette::ButtonText), 1, Qt::DotLine);
        p.setPen(dots);
        p.drawRect(rect().adjusted(2, 2, -3, -3));
    }
}

CommandButton::CommandButton(const QString &caption, QWidget *parent) : FlatButton(caption, parent)
{
    setAttribute(Qt::WA_NoMousePropagation);
}

void CommandButton::mousePressEvent(QMouseEvent *e)
{
    emit mouseDown(e->button());
    FlatButton::mousePressEvent(e);
}

void CommandButton::mouseDoubleClickEvent(QMouseEvent *e)
{
    // A double click is a second press to a button: it counts again.
    mousePressEvent(e);
}

void CommandButton::keyPressEvent(QKeyEvent *e)
{
    // Enter presses the focused button, as Space does: the desktop's way,
    // which Qt keeps for default buttons in dialogs only.
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && !e->isAutoRepeat() &&
        !(e->modifiers() & ~Qt::KeypadModifier)) {
        click();
        e->accept();
        return;
    }
    QPushButton::keyPressEvent(e);
}

void TextBox::focusInEvent(QFocusEvent *e)
{
    QLineEdit::focusInEvent(e);
    QTimer::singleShot(0, this, [this] {
        if (hasFocus())
            emit gotFocus();
    });
}

void placeTwips(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                   twipsToPixels(height));
}

} // namespace zentova
