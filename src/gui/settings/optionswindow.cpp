#include "gui/settings/optionswindow.h"
#include "core/base/language.h"

#include "core/base/errortrap.h"
#include "core/base/msgbox.h"
#include "core/state/counterstate.h"
#include "core/team/teamserver.h"
#include "gui/desktop/globalkeys.h"
#include "gui/desktop/look.h"
#include "gui/widgets/controls.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QPixmap>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <algorithm>
#include <QGroupBox>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace zentova
{

OptionsWindow::OptionsWindow(const CounterArray<QString> &titles, QWidget *owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("OptionsWindow"));
    setWindowTitle(translate("Options", "%1：オプション").arg(applicationTitle()));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowStaysOnTopHint);
    setFont(uiFont());
    followDesktopLook(this);

    QFormLayout *form = buildDayForm();
    // A target of 0 is none: the strip then draws the counter as it always has.
    auto [targets, targetBoxes] = counterGroup(titles, {
        translate("Options", "一日の目標"), translate("Options", "目標"),
        QStringLiteral("targetBox"), 0, 32767,
        translate("Options",
                  "1 日の目標件数です。達成すると枠の下の線の色が変わります。0 は目標なしです。"),
        true});
    m_targetBoxes = targetBoxes;
    for (QSpinBox *box : m_targetBoxes)
        box->setSpecialValueText(translate("Options", "なし"));
    // What one click adds: for counting pieces by the box.
    auto [steps, stepBoxes] = counterGroup(titles, {
        translate("Options", "一回の数"), translate("Options", "一回の数"),
        QStringLiteral("stepBox"), 1, 1000,
        translate("Options",
                  "クリック、キー、--count で足す数です。右クリックでは同じ数を減らします。"),
        false});
    m_stepBoxes = stepBoxes;

    QGroupBox *keys = buildKeyGroup(titles);
    QGroupBox *colours = buildColourGroup(titles);
    QGroupBox *team = buildTeamGroup();

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("okButton"));
    buttons->addButton(translate("Options", "キャンセル"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { store(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    auto *groups = new QHBoxLayout;
    groups->addWidget(targets);
    groups->addWidget(steps);
    groups->addWidget(colours);
    groups->addWidget(keys);
    layout->addLayout(groups);
    layout->addWidget(team);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QFormLayout *OptionsWindow::buildDayForm()
{
    m_startHourBox = new QSpinBox(this);
    m_startHourBox->setObjectName(QStringLiteral("startHourBox"));
    m_startHourBox->setRange(0, 23);
    // Wide enough that a window manager shows the whole title.
    m_startHourBox->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0")) * 20);
    m_startHourBox->setSuffix(translate("Options", " 時"));
    m_startHourBox->setAccessibleName(translate("Options", "一日の始まり"));
    m_startHourBox->setToolTip(translate(
        "Options", "この時刻に日付が切り替わります。夜勤の件数は始めた日の分になります。"));
    m_resetBox = new QCheckBox(translate("Options", "切り替え時に件数を 0 に戻す(&R)"), this);
    m_resetBox->setObjectName(QStringLiteral("resetBox"));
    m_chimeBox = new QCheckBox(translate("Options", "目標に届いたらチャイムを鳴らす(&C)"), this);
    m_chimeBox->setObjectName(QStringLiteral("chimeBox"));

    auto *form = new QFormLayout;
    form->addRow(translate("Options", "一日の始まり(&D):"), m_startHourBox);
    form->addRow(m_resetBox);
    form->addRow(m_chimeBox);
    return form;
}

// One spin box a counter, named after it, in a group of its own.
std::pair<QGroupBox *, std::array<QSpinBox *, CounterCount>>
OptionsWindow::counterGroup(const CounterArray<QString> &titles, const CounterGroup &g)
{
    auto *group = new QGroupBox(g.heading, this);
    auto *groupForm = new QFormLayout(group);
    std::array<QSpinBox *, CounterCount> boxes{};
    for (int i = 0; i < CounterCount; ++i) {
        auto *box = new QSpinBox(group);
        box->setObjectName(g.kind + QString::number(i));
        box->setRange(g.least, g.most);
        box->setAlignment(Qt::AlignRight);
        const QString name = counterHeading(titles(i), i);
        box->setAccessibleName(translate("Options", "%1 の%2").arg(name, g.what));
        box->setToolTip(g.tip);
        groupForm->addRow(g.mnemonics
                              ? translate("Options", "%1(&%2):").arg(name, QString::number(i + 1))
                              : QStringLiteral("%1:").arg(name),
                          box);
        boxes[size_t(i)] = box;
    }
    return std::pair{group, boxes};
}

QKeySequenceEdit *OptionsWindow::keyBox(const QString &name, const QString &accessibleName)
{
    auto *box = new QKeySequenceEdit(this);
    box->setObjectName(name);
    box->setClearButtonEnabled(true);
    box->setAccessibleName(accessibleName);
    const int room = fontMetrics().horizontalAdvance(QStringLiteral("Ctrl+Alt+Shift+0"));
    box->setMinimumWidth(room * 5 / 4);
    // One key with its modifiers: a desktop holds no sequence of keys.
    connect(box, &QKeySequenceEdit::keySequenceChanged, box, [box](const QKeySequence &keys) {
        if (keys.count() > 1)
            box->setKeySequence(QKeySequence(keys[0]));
    });
    return box;
}

// Keys that count while another program has the keyboard. Without an
// uncount key of its own, Shift with a counter's key takes one away.
QGroupBox *OptionsWindow::buildKeyGroup(const CounterArray<QString> &titles)
{
    auto *group = new QGroupBox(translate("Options", "キー"), this);
    auto *grid = new QGridLayout(group);
    grid->addWidget(new QLabel(translate("Options", "数える"), group), 0, 1);
    grid->addWidget(new QLabel(translate("Options", "減らす"), group), 0, 2);
    for (int i = 0; i < CounterCount; ++i) {
        const QString name = counterHeading(titles(i), i);
        m_countKeys[size_t(i)] = keyBox(QStringLiteral("countKey%1").arg(i),
                                        translate("Options", "%1 を数えるキー").arg(name));
        m_uncountKeys[size_t(i)] = keyBox(QStringLiteral("uncountKey%1").arg(i),
                                          translate("Options", "%1 を減らすキー").arg(name));
        m_uncountKeys[size_t(i)]->setToolTip(
            translate("Options", "空のときは、数えるキーに Shift を足したキーで減らします。"));
        grid->addWidget(new QLabel(QStringLiteral("%1:").arg(name), group), i + 1, 0);
        grid->addWidget(m_countKeys[size_t(i)], i + 1, 1);
        grid->addWidget(m_uncountKeys[size_t(i)], i + 1, 2);
    }
    m_undoKey = keyBox(QStringLiteral("undoKey"), translate("Options", "元に戻すキー"));
    m_focusKey = keyBox(QStringLiteral("focusKey"), translate("Options", "ストリップに移るキー"));
    grid->addWidget(new QLabel(translate("Options", "元に戻す:"), group), CounterCount + 1, 0);
    grid->addWidget(m_undoKey, CounterCount + 1, 1);
    grid->addWidget(new QLabel(translate("Options", "ストリップへ:"), group), CounterCount + 2, 0);
    grid->addWidget(m_focusKey, CounterCount + 2, 1);
    m_keyState = new QLabel(group);
    m_keyState->setObjectName(QStringLiteral("keyState"));
    m_keyState->setWordWrap(true);
    m_keyState->hide();
    grid->addWidget(m_keyState, CounterCount + 3, 0, 1, 3);
    return group;
}

// A button a counter showing its colour; a click chooses another.
QGroupBox *OptionsWindow::buildColourGroup(const CounterArray<QString> &titles)
{
    auto *group = new QGroupBox(translate("Options", "色"), this);
    auto *form = new QFormLayout(group);
    for (int i = 0; i < CounterCount; ++i) {
        auto *button = new QPushButton(group);
        button->setObjectName(QStringLiteral("colourButton%1").arg(i));
        const QString name = counterHeading(titles(i), i);
        button->setAccessibleName(translate("Options", "%1 の色").arg(name));
        button->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000")));
        connect(button, &QPushButton::clicked, this, [this, i, name] {
            const QColor chosen =
                QColorDialog::getColor(QColor::fromRgb(QRgb(m_colours[size_t(i)])), this,
                                       translate("Options", "%1 の色").arg(name));
            if (chosen.isValid())
                showColour(i, chosen.rgb() & 0xffffff);
        });
        form->addRow(QStringLiteral("%1:").arg(name), button);
        m_colourButtons[size_t(i)] = button;
    }
    auto *defaults = new QPushButton(translate("Options", "既定の色(&L)"), group);
    defaults->setObjectName(QStringLiteral("defaultColours"));
    connect(defaults, &QPushButton::clicked, this, [this] {
        for (int i = 0; i < CounterCount; ++i)
            showColour(i, kCounterColours[size_t(i)]);
    });
    form->addRow(defaults);
    return group;
}

void OptionsWindow::showColour(int index, uint32_t rgb)
{
    m_colours[size_t(index)] = rgb;
    QPushButton *button = m_colourButtons[size_t(index)];
    QPixmap swatch(button->fontMetrics().height(), button->fontMetrics().height());
    swatch.fill(QColor::fromRgb(QRgb(rgb)));
    button->setIcon(swatch);
    button->setAccessibleDescription(QColor::fromRgb(QRgb(rgb)).name());
}

void OptionsWindow::showKeys(const KeyOptions &keys)
{
    for (int i = 0; i < CounterCount; ++i) {
        m_countKeys[size_t(i)]->setKeySequence(QKeySequence(keys.count[size_t(i)]));
        m_uncountKeys[size_t(i)]->setKeySequence(QKeySequence(keys.uncount[size_t(i)]));
    }
    m_undoKey->setKeySequence(QKeySequence(keys.undo));
    m_focusKey->setKeySequence(QKeySequence(keys.focus));
    QStringList notes;
    const GlobalKeys::Reach reach =
        m_globalKeys ? m_globalKeys->reach() : GlobalKeys::Reach::Nowhere;
    if (reach == GlobalKeys::Reach::Nowhere)
        notes << translate("Options", "このデスクトップでは、ほかのプログラムを使っている間はこのキーが"
                                      "効きません。デスクトップのショートカットを zentova-shortcuts "
                                      "で作ってください。");
    else if (reach == GlobalKeys::Reach::XProgramsOnly)
        notes << translate("Options", "このデスクトップでは、このキーは X のプログラムを使っている間だけ"
                                      "効きます。どこでも効かせるには、デスクトップのショートカットを "
                                      "zentova-shortcuts で作ってください。");
    if (m_globalKeys && !m_globalKeys->refused().isEmpty())
        notes << keysRefusedMessage(m_globalKeys->refused());
    m_keyState->setText(notes.join(u'\n'));
    m_keyState->setVisible(!notes.isEmpty());
}

KeyOptions OptionsWindow::chosenKeys() const
{
    const auto text = [](const QKeySequenceEdit *box) {
        return box->keySequence().toString(QKeySequence::PortableText);
    };
    KeyOptions keys;
    for (int i = 0; i < CounterCount; ++i) {
        keys.count[size_t(i)] = text(m_countKeys[size_t(i)]);
        keys.uncount[size_t(i)] = text(m_uncountKeys[size_t(i)]);
    }
    keys.undo = text(m_undoKey);
    keys.focus = text(m_focusKey);
    return keys;
}

bool OptionsWindow::holdChosenKeys(const KeyOptions &keys)
{
    if (const QString twice = twiceGiven(keys); !twice.isEmpty()) {
        MsgBox(translate("Options", "%1 が 2 か所に入っています。キーはひとつの働きにひとつです。")
                   .arg(twice),
               msgstyle::OkOnly);
        return false;
    }
    if (!m_globalKeys)
        return true;
    // Only a key given anew is refused here: one held elsewhere since the
    // start has been said and stays as it was chosen.
    const QList<KeyBinding> before = keyBindings(m_storedKeys);
    QStringList refusedAnew;
    for (const QString &text : m_globalKeys->hold(keyBindings(keys)))
        if (std::none_of(before.begin(), before.end(),
                         [&](const KeyBinding &b) { return b.text == text; }))
            refusedAnew << text;
    m_globalKeys->hold({});
    if (refusedAnew.isEmpty())
        return true;
    MsgBox(keysRefusedMessage(refusedAnew) + translate("Options", "別のキーを選んでください。"),
           msgstyle::OkOnly);
    return false;
}

QGroupBox *OptionsWindow::buildTeamGroup()
{
    // The team: where its server is, and the name the team sees. No
    // password: libpq's ~/.pgpass or a certificate gives it.
    auto *team = new QGroupBox(translate("Options", "チーム"), this);
    auto *teamForm = new QFormLayout(team);
    m_serverBox = new QLineEdit(team);
    m_serverBox->setObjectName(QStringLiteral("serverBox"));
    m_serverBox->setPlaceholderText(QStringLiteral("postgresql://zentova@db.example/office"));
    m_serverBox->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 44);
    m_serverBox->setAccessibleName(translate("Options", "チームのサーバー"));
    m_serverBox->setToolTip(translate(
        "Options", "PostgreSQL の接続文字列か URI です。空にするとチームに加わりません。"
                   "パスワードは ~/.pgpass に書きます。"));
    m_nameBox = new QLineEdit(team);
    m_nameBox->setObjectName(QStringLiteral("nameBox"));
    m_nameBox->setAccessibleName(translate("Options", "チームでの名前"));
    teamForm->addRow(translate("Options", "サーバー(&V):"), m_serverBox);
    teamForm->addRow(translate("Options", "名前(&N):"), m_nameBox);
    m_teamState = new QLabel(team);
    m_teamState->setObjectName(QStringLiteral("teamState"));
    m_teamState->setWordWrap(true);
    m_teamState->hide();
    teamForm->addRow(m_teamState);
    return team;
}

void OptionsWindow::showTeamState(const QString &trouble, const QDateTime &lastArrived)
{
    QString text = trouble;
    if (lastArrived.isValid())
        text += (text.isEmpty() ? QString() : QStringLiteral("\n")) +
                translate("Options", "最後に届いた行: %1")
                    .arg(lastArrived.toString(QStringLiteral("HH:mm")));
    m_teamState->setText(text);
    m_teamState->setVisible(!text.isEmpty());
}

DayOptions OptionsWindow::choose(const DayOptions &current)
{
    m_stored = current;
    m_startHourBox->setValue(current.startHour);
    m_resetBox->setChecked(current.resetCounts);
    m_chimeBox->setChecked(current.chimeAtTarget);
    for (int i = 0; i < CounterCount; ++i)
        showColour(i, current.colours[size_t(i)]);
    for (int i = 0; i < CounterCount; ++i) {
        m_targetBoxes[size_t(i)]->setValue(current.targets[size_t(i)]);
        m_stepBoxes[size_t(i)]->setValue(current.steps[size_t(i)]);
    }
    m_storedTeam = readTeamOptions();
    m_serverBox->setText(m_storedTeam.server);
    m_nameBox->setText(m_storedTeam.name);
    m_nameBox->setPlaceholderText(defaultTeamName());
    m_storedKeys = readKeyOptions();
    showKeys(m_storedKeys);
    if (m_globalKeys)
        m_globalKeys->hold({});
    m_startHourBox->setFocus();
    adjustSize();
    placeBesideStrip(this);
    exec();
    if (m_globalKeys)
        m_globalKeys->hold(keyBindings(m_storedKeys));
    return m_stored;
}

void OptionsWindow::store()
{
    DayOptions chosen = m_stored;
    chosen.startHour = m_startHourBox->value();
    chosen.resetCounts = m_resetBox->isChecked();
    chosen.chimeAtTarget = m_chimeBox->isChecked();
    chosen.colours = m_colours;
    for (int i = 0; i < CounterCount; ++i) {
        chosen.targets[size_t(i)] = m_targetBoxes[size_t(i)]->value();
        chosen.steps[size_t(i)] = m_stepBoxes[size_t(i)]->value();
    }
    TeamOptions team = m_storedTeam;
    team.server = m_serverBox->text().trimmed();
    team.name = m_nameBox->text().trimmed(); // empty: the login's name
    if (teamServerHasPassword(team.server)) {
        MsgBox(translate("Options", "サーバーの欄にパスワードは書けません。~/.pgpass に書いてください"
                                    "（README を参照）。"),
               msgstyle::OkOnly);
        m_serverBox->setFocus();
        return;
    }
    if (!team.server.isEmpty() && teamConnectOptions(team.server).isEmpty()) {
        MsgBox(translate("Options", "サーバーは host=... dbname=... の形か postgresql:// で始まる URI "
                                    "で書いてください。"),
               msgstyle::OkOnly);
        m_serverBox->setFocus();
        return;
    }
    const KeyOptions keys = chosenKeys();
    if (!holdChosenKeys(keys))
        return;
    DayOptions inForce;
    TeamOptions teamInForce;
    KeyOptions keysInForce;
    if (trap([&] {
            inForce = writeDayOptions(m_stored, chosen);
            teamInForce = writeTeamOptions(m_storedTeam, team);
            keysInForce = writeKeyOptions(m_storedKeys, keys);
        })) {
        m_stored = inForce;
        m_storedTeam = teamInForce;
        m_storedKeys = keysInForce;
        accept();
    }
}

} // namespace zentova
