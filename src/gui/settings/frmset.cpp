#include "gui/settings/frmset.h"
#include "core/base/language.h"

#include "core/settings/applysettings.h"

#include "core/base/errortrap.h"
#include "core/base/msgbox.h"
#include "core/settings/titlechain.h"
#include "core/state/counterstate.h"
#include "gui/widgets/icon.h"

#include <QGuiApplication>
#include <algorithm>
#include <optional>

namespace zentova
{

namespace
{

constexpr int TitleTypingLimit = 5;

QLineEdit *checkedItem(const std::array<QLineEdit *, CounterCount> &items, int index)
{
    if (index < 0 || index >= CounterCount)
        raiseError(ErrorCode::SubscriptOutOfRange);
    return items[size_t(index)];
}

template <typename T, size_t N> T *checkedPair(const std::array<T *, N> &items, int index)
{
    if (index < 0 || index >= int(N))
        raiseError(ErrorCode::SubscriptOutOfRange);
    return items[size_t(index)];
}

// Only the chosen option of a pair takes the focus from Tab.
void option_focusFollowsChoice(const std::array<QRadioButton *, 2> &pair)
{
    const bool anyChecked = pair[0] && pair[1] && (pair[0]->isChecked() || pair[1]->isChecked());
    for (QRadioButton *option : pair) {
        if (option)
            option->setFocusPolicy(!anyChecked || option->isChecked() ? Qt::StrongFocus
                                                                      : Qt::ClickFocus);
    }
}

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &caption)
{
    auto *label = new CaptionLabel(parent);
    label->setObjectName(name);
    label->setText(caption);
    label->setFont(msPGothic(9.75));
    label->setAttribute(Qt::WA_TranslucentBackground);
    return label;
}

FrameBox *makeFrame(QWidget *parent, const QString &name, const QString &caption)
{
    auto *frame = new FrameBox(parent);
    frame->setObjectName(name);
    frame->setCaption(caption);
    setBackColor(frame, colorvalue::PaleBlue);
    return frame;
}

QRadioButton *makeOption(QWidget *parent, const QString &name, const QString &caption)
{
    auto *option = new QRadioButton(caption, parent);
    option->setObjectName(name);
    setBackColor(option, colorvalue::PaleBlue);
    option->setAutoFillBackground(true);
    return option;
}

} // namespace

frmSet::frmSet(CounterModel &model, QWidget *owner, CounterFrames *strip)
    : QDialog(owner), m_model(model), m_strip(strip)
{
    setObjectName(QStringLiteral("frmSet"));
    installReadingOrderAccessible(); // the fields read top to bottom
    // Fixed single border with a close button, no minimise or maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Form2"));
    setWindowIcon(appIcon());
    setFixedSize(twipsToPixels(4395), twipsToPixels(3915));
    setFont(uiFont());
    setAutoFillBackground(true);
    setBackColor(this, colorvalue::PaleBlue);
    buildControls();
}

void frmSet::buildControls()
{
    // Creation order (it is also the stacking order): Frame3 and its title boxes, OK, the hidden
    // lap frame, the alarm frame, then the count frame.
    buildTitleFrame();
    buildOkAndLapFrame();
    buildTimerFrame();
    buildCountFrame();

    // Tab order: the count boxes, the alarm pair and its boxes, OK, the
    // (hidden) lap pair, then the title boxes.
    QList<QWidget *> order;
    for (int i = 0; i < CounterCount; ++i)
        order << m_txtC[size_t(i)];
    order << m_optTimer[0] << m_optTimer[1] << m_txtTimer[0] << m_txtTimer[1] << cmdOK
          << m_optLap[0] << m_optLap[1];
    for (int i = 0; i < CounterCount; ++i)
        order << m_txtTitle[size_t(i)];
    for (qsizetype k = 0; k + 1 < order.size(); ++k)
        setTabOrder(order[k], order[k + 1]);
}

void frmSet::buildTitleFrame()
{
    Frame3 = makeFrame(this, QStringLiteral("Frame3"), translate("Settings", "項目名（５文字）"));
    placeTwips(Frame3, 120, 1560, 1815, 2175);
    for (int i = CounterCount - 1; i >= 0; --i) {
        auto *box = new TextBox(Frame3);
        box->setObjectName(QStringLiteral("txtTitle%1").arg(i));
        placeTwips(box, 240, 240 + 360 * i, 1335, 270);
        // Tall enough for every glyph of the face shown (a voiced mark above
        // the line too), about the same middle.
        const int grow = std::max(0, box->minimumSizeHint().height() - box->height());
        box->setGeometry(box->geometry().adjusted(0, -grow / 2, 0, grow - grow / 2));
        box->setMaxLength(TitleTypingLimit);
        box->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        // The limit is for typing only: a longer title placed by the program
        // stays whole, and the box may only shrink towards five from there.
        connect(box, &QLineEdit::textEdited, this, [box](const QString &text) {
            box->setMaxLength(std::max(TitleTypingLimit, int(text.size())));
        });
        connect(box, &TextBox::gotFocus, this, [this, i] { txtTitle_GotFocus(i); });
        connect(box, &QLineEdit::textChanged, this, [this, i] { txtTitle_Change(i); });
        m_txtTitle[size_t(i)] = box;
    }
}

void frmSet::buildOkAndLapFrame()
{
    cmdOK = new FlatButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    placeTwips(cmdOK, 3000, 3360, 1215, 375);
    setBackColor(cmdOK, colorvalue::PaleBlue);
    // The dialog's keyboard button: Enter presses it.
    cmdOK->setDefault(true);
    cmdOK->setAutoDefault(false);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });

    Frame2 = makeFrame(this, QStringLiteral("Frame2"), translate("Settings", "ラップ件数"));
    placeTwips(Frame2, 2040, 2640, 2175, 615);
    Frame2->setVisible(false);
    for (int i = 1; i >= 0; --i) {
        auto *option = makeOption(Frame2, QStringLiteral("optLap%1").arg(i),
                                  i == 0 ? QStringLiteral("ON") : QStringLiteral("OFF"));
        placeTwips(option, i == 0 ? 360 : 1200, 240, 735, 255);
        m_optLap[size_t(i)] = option;
    }
}

void frmSet::buildTimerFrame()
{
    Frame1 = makeFrame(this, QStringLiteral("Frame1"), translate("Settings", "タイマー"));
    placeTwips(Frame1, 2040, 1560, 2175, 1035);
    for (int i = 1; i >= 0; --i) {
        auto *box = new TextBox(Frame1);
        box->setObjectName(QStringLiteral("txtTimer%1").arg(i));
        placeTwips(box, i == 0 ? 480 : 1290, 600, 615, 270);
        box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        box->setMaxLength(32767);
        connect(box, &TextBox::gotFocus, this, [this, i] { txtTimer_GotFocus(i); });
        m_txtTimer[size_t(i)] = box;
    }
    for (int i = 1; i >= 0; --i) {
        auto *option = makeOption(Frame1, QStringLiteral("optTimer%1").arg(i),
                                  i == 0 ? QStringLiteral("ON") : QStringLiteral("OFF"));
        placeTwips(option, i == 0 ? 240 : 960, 240, i == 0 ? 615 : 735, 255);
        // The pair is one stop in the tab order, at the chosen option, as on
        // the desktop; the arrow keys move between ON and OFF.
        connect(option, &QRadioButton::toggled, this,
                [this] { option_focusFollowsChoice(m_optTimer); });
        // A click runs the handler also on the option already chosen, so that
        // ON brings back the applied time over typed, unapplied numbers.
        connect(option, &QRadioButton::clicked, this, [this, i] { optTimer_Click(i); });
        m_optTimer[size_t(i)] = option;
    }
    Label1 = makeLabel(Frame1, QStringLiteral("Label1"), translate("Settings", "："));
    placeTwips(Label1, 1170, 630, 105, 195);
}

void frmSet::buildCountFrame()
{
    fraCount = makeFrame(this, QStringLiteral("fraCount"),
                         translate("Settings", "カウント値＜合計：件＞"));
    placeTwips(fraCount, 120, 120, 4095, 1425);
    for (int i = CounterCount - 1; i >= 0; --i) {
        const int row = i < 3 ? i : i - 3;
        auto *box = new TextBox(fraCount);
        box->setObjectName(QStringLiteral("txtC%1").arg(i));
        placeTwips(box, i < 3 ? 1200 : 3240, 240 + 360 * row, 735, 300);
        box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        box->setFont(msPGothic(9.75));
        box->setMaxLength(32767);
        connect(box, &TextBox::gotFocus, this, [this, i] { txtC_GotFocus(i); });
        m_txtC[size_t(i)] = box;
    }
    for (int i = CounterCount - 1; i >= 0; --i) {
        const int row = i < 3 ? i : i - 3;
        auto *colon =
            makeLabel(fraCount, QStringLiteral("Labelcolon%1").arg(i), translate("Settings", "："));
        placeTwips(colon, i < 3 ? 1080 : 3120, 300 + 360 * row, 105, 195);
        m_Labelcolon[size_t(i)] = colon;
        auto *title = makeLabel(fraCount, QStringLiteral("TitleC%1").arg(i), QString());
        placeTwips(title, i < 3 ? 120 : 2160, 300 + 360 * row, 900, 195);
        m_TitleC[size_t(i)] = title;
    }
}

QLineEdit *frmSet::txtTitle(int index) const
{
    return checkedItem(m_txtTitle, index);
}
QLineEdit *frmSet::txtC(int index) const
{
    return checkedItem(m_txtC, index);
}
QLineEdit *frmSet::txtTimer(int index) const
{
    return checkedPair(m_txtTimer, index);
}
QRadioButton *frmSet::optTimer(int index) const
{
    return checkedPair(m_optTimer, index);
}
QRadioButton *frmSet::optLap(int index) const
{
    return checkedPair(m_optLap, index);
}
QLabel *frmSet::TitleC(int index) const
{
    if (index < 0 || index >= CounterCount)
        raiseError(ErrorCode::SubscriptOutOfRange);
    return m_TitleC[size_t(index)];
}
QLabel *frmSet::Labelcolon(int index) const
{
    if (index < 0 || index >= CounterCount)
        raiseError(ErrorCode::SubscriptOutOfRange);
    return m_Labelcolon[size_t(index)];
}

// ---------------------------------------------------------------------------
// Opening

void frmSet::prepareToShow()
{
    trap([this] { Form_Load(); });
    placeBesideStrip(this);
    if (QWidget *first = initialFocus())
        first->setFocus(Qt::TabFocusReason);
}

void frmSet::showModal()
{
    prepareToShow();
    exec();
}

QWidget *frmSet::initialFocus() const
{
    // Where the keyboard starts: the first visible count box; with no
    // counter in use yet, the first title box, where what the user types
    // first belongs.
    for (QLineEdit *box : m_txtC) {
        if (!box->isHidden())
            return box;
    }
    return m_txtTitle[0];
}

void frmSet::describeControls()
{
    const auto &gTitle = m_model.titles();
    for (int i = 0; i < CounterCount; ++i) {
        const QString title =
            gTitle(i).isEmpty() ? translate("Settings", "カウンター %1").arg(i + 1) : gTitle(i);
        m_txtC[size_t(i)]->setAccessibleName(translate("Settings", "%1 の件数").arg(title));
        m_txtTitle[size_t(i)]->setAccessibleName(
            translate("Settings", "カウンター %1 の項目名").arg(i + 1));
        m_txtTitle[size_t(i)]->setAccessibleDescription(translate("Settings", "5 文字まで"));
    }
    m_txtTimer[0]->setAccessibleName(translate("Settings", "アラームの時"));
    m_txtTimer[1]->setAccessibleName(translate("Settings", "アラームの分"));
    m_optTimer[0]->setAccessibleName(translate("Settings", "アラーム ON"));
    m_optTimer[1]->setAccessibleName(translate("Settings", "アラーム OFF"));
    cmdOK->setAccessibleDescription(translate("Settings", "設定を反映して閉じます"));
    // What a screen reader says, a mouse pointer shows.
    for (QWidget *w : findChildren<QWidget *>()) {
        if (!w->accessibleDescription().isEmpty())
            w->setToolTip(w->accessibleDescription());
    }
}

void frmSet::Form_Load()
{
    setWindowTitle(translate("Settings", "%1：設定").arg(applicationTitle()));
    setWindowFlag(Qt::WindowStaysOnTopHint, true);

    const CounterModel &m = m_model;
    const auto &gTitle = m.titles();
    for (int i = 0; i < CounterCount; ++i) {
        txtTitle(i)->setMaxLength(std::max(TitleTypingLimit, int(gTitle(i).size())));
        txtTitle(i)->setText(gTitle(i));
        if (!gTitle(i).isEmpty()) {
            TitleC(i)->setText(gTitle(i));
            txtC(i)->setText(intToText(m.gCount(i)));
            m_shownCounts[size_t(i)] = txtC(i)->text();
        } else {
            TitleC(i)->setVisible(false);
            Labelcolon(i)->setVisible(false);
            txtC(i)->setVisible(false);
        }
    }
    txtTitle_Change(0);

    if (m.gLapOn() == FlagOn)
        optLap(0)->setChecked(true);
    else
        optLap(1)->setChecked(true);

    // Choosing an option from the program runs its handler, as a click does.
    if (m.gTimerOn() == FlagOn) {
        optTimer(0)->setChecked(true);
        optTimer_Click(0);
        txtTimer(0)->setText(intToText(m.gAlarmHour()));
        txtTimer(1)->setText(intToText(m.gAlarmMinute()));
    } else {
        optTimer(1)->setChecked(true);
        optTimer_Click(1);
    }
    describeControls();
}

// ---------------------------------------------------------------------------
// Editing

void frmSet::txtTitle_Change(int index)
{
    (void)index; // every change re-evaluates the whole chain
    trap([this] {
        std::array<QString, CounterCount> texts;
        for (int i = 0; i < CounterCount; ++i)
            texts[size_t(i)] = txtTitle(i)->text();
        const auto enabled = titleBoxesEnabled(texts);
        for (int target = 1; target < CounterCount; ++target) {
            QLineEdit *box = txtTitle(target);
            const bool on = enabled[size_t(target)];
            box->setEnabled(on);
            setBackColor(box, on ? colorvalue::WindowBackground : colorvalue::PaleBlue);
        }
    });
}

void frmSet::optTimer_Click(int index)
{
    trap([this, index] {
        if (index == 0) {
            txtTimer(0)->setEnabled(true);
            txtTimer(1)->setEnabled(true);
            setBackColor(txtTimer(0), colorvalue::WindowBackground);
            setBackColor(txtTimer(1), colorvalue::WindowBackground);
            txtTimer(0)->setText(intToText(m_model.gAlarmHour()));
            txtTimer(1)->setText(intToText(m_model.gAlarmMinute()));
        } else if (index == 1) {
            setBackColor(txtTimer(0), colorvalue::PaleBlue);
            setBackColor(txtTimer(1), colorvalue::PaleBlue);
            txtTimer(0)->setText(QString());
            txtTimer(1)->setText(QString());
            txtTimer(0)->setEnabled(false);
            txtTimer(1)->setEnabled(false);
        }
    });
}

void frmSet::txtTitle_GotFocus(int index)
{
    trap([this, index] { txtTitle(index)->selectAll(); });
}

void frmSet::txtC_GotFocus(int index)
{
    trap([this, index] { txtC(index)->selectAll(); });
}

void frmSet::txtTimer_GotFocus(int index)
{
    trap([this, index] { txtTimer(index)->selectAll(); });
}

// ---------------------------------------------------------------------------
// Applying

void frmSet::cmdOK_Click()
{
    SettingsInput input;
    for (int i = 0; i < CounterCount; ++i) {
        input.titles[size_t(i)] = txtTitle(i)->text();
        input.counts[size_t(i)] = txtC(i)->text();
    }
    input.shownCounts = m_shownCounts;
    input.lapOn = optLap(0)->isChecked();
    input.alarmOn = optTimer(0)->isChecked();
    input.alarmHour = txtTimer(0)->text();
    input.alarmMinute = txtTimer(1)->text();
    std::optional<SettingsBox> failedBox;
    const bool applied = trap([&] {
        try {
            applySettings(m_model, input, m_strip);
        } catch (const SettingsBoxError &e) {
            failedBox = e.box();
            throw;
        }
    });
    // What was applied before a failure stays applied, and is kept.
    emit stateChanged();
    if (applied) {
        accept();
    } else if (failedBox) {
        // Back to the box to mend, its text selected to type over.
        const int box = int(*failedBox);
        QLineEdit *edit = box < CounterCount ? txtC(box) : txtTimer(box - CounterCount);
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
    }
}

} // namespace zentova
