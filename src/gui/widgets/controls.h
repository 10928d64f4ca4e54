// Small control types that give Qt widgets the behaviour the forms rely on:
// a label that reports changes of its caption, a captioned frame that keeps
// mouse presses to itself, and a button that reports every mouse press.
#pragma once

#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace zentova
{

// The strip's and the dialog's proportional Japanese face ("ＭＳ Ｐゴシック"
// where it is installed, else the nearest Japanese face of the desktop).
QFont msPGothic(double points);
// The windows' text outside the counters: the desktop's Japanese
// user-interface face at 9 pt.
QFont uiFont();

// Colour values: &H00BBGGRR, or &H80000000 plus a system colour index.
namespace colorvalue
{
constexpr uint32_t PaleBlue = 0x00FFC0C0;
constexpr uint32_t Red = 0x000000FF;
constexpr uint32_t DarkRed = 0x000000C0;
constexpr uint32_t WindowBackground = 0x80000005;
constexpr uint32_t ButtonText = 0x80000012;
} // namespace colorvalue
QColor colorFromValue(uint32_t value);

// What a screen reader walks through in the strip, the settings dialog and
// their frames: the shown controls in reading order (top to bottom, left to
// right), whatever order they were made in; a hidden one is not there. A
// list given a name of its own is read by that name, its item as its value.
// Call before the first of them is made.
void installReadingOrderAccessible();

// The window every other window of the program keeps clear of: the strip.
void setStripWindow(QWidget *strip);

// Where a window the strip opens goes, its frame included (`frame`): wholly
// on the strip's screen area `area`, `gap` clear of the strip, below it when
// the strip is in the upper half of the area and above it in the lower half
// (on the other side where only that one has room), its right end under the
// strip's where the area allows. Where neither side has room for the whole
// frame, it is as tall as the larger side allows.
QRect besideStrip(const QRect &strip, const QSize &frame, const QRect &area, int gap = 8);

// Escape and the desktop's Close keys close `window`, but an open list or
// menu of it first: the key that closes a list must not take the window too.
void closeWithEscape(QWidget *window);

// The frame a window manager put around a window of area `window`, where Qt
// has the frame as `frame`; `guess` where there is none yet, or where Qt
// measured it before the window manager sized it (openbox first makes a
// frame 1 x 1 in the screen's corner) and the frame does not hold the window.
QMargins frameAround(const QRect &window, const QRect &frame, const QMargins &guess);

// Places `window` by besideStrip (before it is shown: with a guess of its
// frame, put right once the window manager has framed it).
void placeBesideStrip(QWidget *window);

void setForeColor(QWidget *w, uint32_t value);
void setBackColor(QWidget *w, uint32_t value);

// A label whose caption setter raises changed() only when the text differs.
// Presses and double clicks on it stop here: labels have no mouse handlers.
class CaptionLabel : public QLabel
{
    Q_OBJECT
public:
    explicit CaptionLabel(QWidget *parent = nullptr);
    QString caption() const { return text(); }
    void setCaption(const QString &caption);
    // A boxed value display: a one-pixel border in the frame colour (not
    // the text colour), the text right-aligned against it, and a caption
    // too wide for the box squeezed to fit rather than cut off.
    void setValueBox(bool on);

signals:
    void changed();

protected:
    void paintEvent(QPaintEvent *e) override;

private:
    bool m_valueBox = false;
};

// A frame with a caption set into its top border. It takes no focus and
// swallows the mouse, so nothing on it reaches the window's own handlers.
class FrameBox : public QWidget
{
    Q_OBJECT
public:
    explicit FrameBox(QWidget *parent = nullptr);
    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);
    // With a target above 0, a thin line along the bottom edge fills towards
    // it and turns green once it is met; with none, nothing is drawn.
    void setProgress(int count, int target);
    // Counts made on it wait (a box is open): a mark in its top right corner
    // says so, with the number of them.
    void setWaiting(int counts);
    // A step other than one, said in the frame's top right corner (5 ずつ);
    // empty: none. Counts waiting there are said instead.
    void setStepMark(const QString &mark);
    QString stepMark() const { return m_stepMark; }
    // Lights the frame's face up for a moment: a target met.
    void celebrate();
    // The day's target met: a green check after the caption, for the rest
    // of the day.
    void setTargetMet(bool met);
    bool targetMet() const { return m_targetMet; }
    // The counter's own colour, a thin line down the frame's left edge
    // (invalid: none).
    void setAccent(const QColor &colour);
    bool celebrating() const { return m_celebrating; }
    int waiting() const { return m_waiting; }

protected:
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    void placeLine();

    QString m_caption;
    QString m_stepMark;
    int m_waiting = 0;
    bool m_celebrating = false;
    bool m_targetMet = false;
    QColor m_accent;
    QWidget *m_line = nullptr; // made at the first target
    QString m_paintedCaption;  // the part of the caption a frame can show
};

// A push button that raises mouseDown(button) for every press, of any
// button, and never hands a press on to its parent.
// A push button drawn flat in its face colour (the windows' pale blue), with
// a thin edge, a darker face while pressed and a dotted frame that shows the
// keyboard's focus plainly, instead of the style's light gradient.
class FlatButton : public QPushButton
{
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent *e) override;
};

class CommandButton : public FlatButton
{
    Q_OBJECT
public:
    explicit CommandButton(const QString &caption, QWidget *parent = nullptr);

signals:
    void mouseDown(Qt::MouseButton button);

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
};

// A text box that raises gotFocus() whenever it receives the focus, by key
// or by mouse. A press that brings the focus places the cursor after the
// focus arrives, so the signal comes once that press has been handled.
class TextBox : public QLineEdit
{
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

signals:
    void gotFocus();

protected:
    void focusInEvent(QFocusEvent *e) override;
};

// Places a widget at a position and size given in twips.
void placeTwips(QWidget *w, int left, int top, int width, int height);

} // namespace zentova
