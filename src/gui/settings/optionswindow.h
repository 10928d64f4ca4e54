// オプション: the options of this data folder (Options.ini): the hour at
// which the day turns, whether the counts go back to 0 then, and each
// counter's daily target and step, the keys that count from anywhere, and
// the team this strip counts in.
#pragma once

#include "core/state/counterstate.h"
#include "core/state/keys.h"
#include "core/state/options.h"

#include <QDialog>
#include <array>
#include <utility>

class QCheckBox;
class QFormLayout;
class QGroupBox;
class QKeySequenceEdit;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace zentova
{

class OptionsWindow : public QDialog
{
    Q_OBJECT
public:
    // `titles` name the targets' boxes.
    explicit OptionsWindow(const CounterArray<QString> &titles, QWidget *owner = nullptr);

    // Shows the stored options; on OK stores what was chosen (errors are
    // shown, and the window stays open). Returns the options in force.
    DayOptions choose(const DayOptions &current);
    // The team options stored on that OK (as they were, after a cancel).
    const TeamOptions &team() const { return m_storedTeam; }
    // How the strip's team stands, as its mark says it (empty: all is well),
    // and when a row last reached the server.
    void showTeamState(const QString &trouble, const QDateTime &lastArrived);
    // The keys that count from anywhere: let go of while the window is open
    // (so that their boxes can take them), held again as it closes.
    void setGlobalKeys(class GlobalKeys *keys) { m_globalKeys = keys; }

private:
    struct CounterGroup {
        QString heading;
        QString what;
        QString kind;
        int least;
        int most;
        QString tip;
        bool mnemonics;
    };
    QFormLayout *buildDayForm();
    std::pair<QGroupBox *, std::array<QSpinBox *, CounterCount>>
    counterGroup(const CounterArray<QString> &titles, const CounterGroup &group);
    QGroupBox *buildTeamGroup();
    QGroupBox *buildKeyGroup(const CounterArray<QString> &titles);
    QGroupBox *buildColourGroup(const CounterArray<QString> &titles);
    void showColour(int index, uint32_t rgb);
    QKeySequenceEdit *keyBox(const QString &name, const QString &accessibleName);
    KeyOptions chosenKeys() const;
    void showKeys(const KeyOptions &keys);
    // False where a key given anew is held by another program (said so).
    bool holdChosenKeys(const KeyOptions &keys);
    void store();

    QSpinBox *m_startHourBox = nullptr;
    QCheckBox *m_resetBox = nullptr;
    QCheckBox *m_chimeBox = nullptr;
    std::array<QSpinBox *, CounterCount> m_targetBoxes{};
    std::array<QSpinBox *, CounterCount> m_stepBoxes{};
    QLineEdit *m_serverBox = nullptr;
    QLineEdit *m_nameBox = nullptr;
    QLabel *m_teamState = nullptr;
    std::array<QKeySequenceEdit *, CounterCount> m_countKeys{};
    std::array<QKeySequenceEdit *, CounterCount> m_uncountKeys{};
    QKeySequenceEdit *m_undoKey = nullptr;
    QKeySequenceEdit *m_focusKey = nullptr;
    QLabel *m_keyState = nullptr;
    std::array<class QPushButton *, CounterCount> m_colourButtons{};
    std::array<uint32_t, CounterCount> m_colours = kCounterColours;
    class GlobalKeys *m_globalKeys = nullptr;
    KeyOptions m_storedKeys;
    DayOptions m_stored;
    TeamOptions m_storedTeam;
};

} // namespace zentova
