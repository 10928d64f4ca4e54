// The forms' controls as a test reaches them: by their object names, as any
// accessibility tool would, never through the windows' members. The element
// `index` of a control array is named with its index ("cmdC1").
#pragma once

#include "widgets/controls.h"

#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QTest>

namespace zentova::test
{

template <typename T> T *named(const QObject &form, const QString &name)
{
    T *control = form.findChild<T *>(name);
    if (!control)
        qFatal("no control named %s", qPrintable(name));
    return control;
}

template <typename T> T *element(const QObject &form, const char *name, int index)
{
    return named<T>(form, QString::fromLatin1(name) + QString::number(index));
}

// The strip's.
inline FrameBox *fraC(const QObject &f, int i)
{
    return element<FrameBox>(f, "fraC", i);
}
inline CommandButton *cmdC(const QObject &f, int i)
{
    return element<CommandButton>(f, "cmdC", i);
}
inline CaptionLabel *lblC(const QObject &f, int i)
{
    return element<CaptionLabel>(f, "lblC", i);
}
inline FrameBox *Frame1(const QObject &f)
{
    return named<FrameBox>(f, "Frame1");
}
inline CaptionLabel *lblTime(const QObject &f)
{
    return named<CaptionLabel>(f, "lblTime");
}
inline QMenu *menu(const QObject &f)
{
    return named<QMenu>(f, "menu");
}

// The settings dialog's.
inline QLineEdit *txtTitle(const QObject &f, int i)
{
    return element<QLineEdit>(f, "txtTitle", i);
}
inline QLineEdit *txtC(const QObject &f, int i)
{
    return element<QLineEdit>(f, "txtC", i);
}
inline QLineEdit *txtTimer(const QObject &f, int i)
{
    return element<QLineEdit>(f, "txtTimer", i);
}
inline QRadioButton *optTimer(const QObject &f, int i)
{
    return element<QRadioButton>(f, "optTimer", i);
}
inline QRadioButton *optLap(const QObject &f, int i)
{
    return element<QRadioButton>(f, "optLap", i);
}
inline QLabel *TitleC(const QObject &f, int i)
{
    return element<QLabel>(f, "TitleC", i);
}
inline QLabel *Labelcolon(const QObject &f, int i)
{
    return element<QLabel>(f, "Labelcolon", i);
}
inline QPushButton *cmdOK(const QObject &f)
{
    return named<QPushButton>(f, "cmdOK");
}

} // namespace zentova::test
