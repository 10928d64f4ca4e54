// frmSet: the modal settings dialog. Titles, counts, the lap-count flag and
// the alarm are edited here and applied to the counter state by OK.
#pragma once

#include "core/model/countermodel.h"

#include "core/state/counterstate.h"
#include "gui/widgets/controls.h"

#include <QDialog>
#include <QLineEdit>
#include <QRadioButton>
#include <array>

namespace zentova
{

class frmSet : public QDialog
{
    Q_OBJECT
public:
    // `strip` is the window whose frames OK updates (may be null).
    explicit frmSet(CounterModel &model, QWidget *owner = nullptr, CounterFrames *strip = nullptr);

    // Loads the dialog (Form_Load under its trap) and shows it modally until
    // OK or its close button ends it.
    void showModal();
    // Everything showModal() does before the modal loop: loading, placing,
    // and the focus in the first count box. Tests show the dialog after it.
    void prepareToShow();

signals:
    // OK changed the counter state (also when it stopped on an error).
    void stateChanged();

private:
    // The widget that gets the focus when the dialog appears.
    QWidget *initialFocus() const;
    // Controls, by the names the handlers use.
    QLineEdit *txtTitle(int index) const;
    QLineEdit *txtC(int index) const;
    QLineEdit *txtTimer(int index) const;
    QRadioButton *optTimer(int index) const;
    QRadioButton *optLap(int index) const;
    QLabel *TitleC(int index) const;
    QLabel *Labelcolon(int index) const;
    FrameBox *fraCount = nullptr;
    FrameBox *Frame1 = nullptr;
    FrameBox *Frame2 = nullptr;
    FrameBox *Frame3 = nullptr;
    QLabel *Label1 = nullptr;
    QPushButton *cmdOK = nullptr;

    // Handlers.
    void Form_Load();
    void txtTitle_Change(int index);
    void optTimer_Click(int index);
    void txtTitle_GotFocus(int index);
    void txtC_GotFocus(int index);
    void txtTimer_GotFocus(int index);
    void cmdOK_Click();

    void buildControls();
    void buildTitleFrame();
    void buildOkAndLapFrame();
    void buildTimerFrame();
    void buildCountFrame();
    void describeControls();

    std::array<QLineEdit *, CounterCount> m_txtTitle{};
    std::array<QLineEdit *, CounterCount> m_txtC{};
    std::array<QLabel *, CounterCount> m_TitleC{};
    std::array<QLabel *, CounterCount> m_Labelcolon{};
    std::array<QLineEdit *, 2> m_txtTimer{};
    std::array<QRadioButton *, 2> m_optTimer{};
    std::array<QRadioButton *, 2> m_optLap{};
    CounterModel &m_model;
    CounterFrames *m_strip = nullptr;
    std::array<QString, CounterCount> m_shownCounts;
};

} // namespace zentova
