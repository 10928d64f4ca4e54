// The forms' controls as a test reaches them: by their object names, as any
// accessibility tool would, never through the windows' members. The element
// `index` of a control array is named with its index ("cmdC1").
#pragma once

#include "core/base/minutetimer.h"
#include "gui/widgets/controls.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QAbstractItemView>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace zentova::test
{

template <typename T> T *named(const QObject &form, const QString &name)
{
    T *control = form.findChild<T *>(name);
    if (!control)
        qFatal("no control named %s", qPrintable(name));
    return control;
}

// Every item model shown in `window` checked against Qt's contract for as
// long as the window lives: a model that changes outside its begin/end
// calls fails the test.
inline void checkItemModels(const QWidget &window)
{
    for (QAbstractItemView *view : window.findChildren<QAbstractItemView *>()) {
        if (view->model())
            new QAbstractItemModelTester(view->model(),
                                         QAbstractItemModelTester::FailureReportingMode::QtTest,
                                         view);
    }
}

template <typename T> T *element(const QObject &form, const char *name, int index)
{
    return named<T>(form, QString::fromLatin1(name) + QString::number(index));
}

// clang-format off
#define ZENTOVA_CONTROL(Type, name) \
    inline Type *name(const QObject &form) { return named<Type>(form, QStringLiteral(#name)); }
#define ZENTOVA_CONTROL_ARRAY(Type, name) \
    inline Type *name(const QObject &form, int i) { return element<Type>(form, #name, i); }
// clang-format on

// The strip's.
ZENTOVA_CONTROL_ARRAY(FrameBox, fraC)
ZENTOVA_CONTROL_ARRAY(CommandButton, cmdC)
ZENTOVA_CONTROL_ARRAY(CaptionLabel, lblC)
ZENTOVA_CONTROL(FrameBox, Frame1)
ZENTOVA_CONTROL(CaptionLabel, lblTime)
ZENTOVA_CONTROL(QMenu, menu)

// The settings dialog's.
ZENTOVA_CONTROL_ARRAY(QLineEdit, txtTitle)
ZENTOVA_CONTROL_ARRAY(QLineEdit, txtC)
ZENTOVA_CONTROL_ARRAY(QLineEdit, txtTimer)
ZENTOVA_CONTROL_ARRAY(QRadioButton, optTimer)
ZENTOVA_CONTROL_ARRAY(QRadioButton, optLap)
ZENTOVA_CONTROL_ARRAY(QLabel, TitleC)
ZENTOVA_CONTROL_ARRAY(QLabel, Labelcolon)
ZENTOVA_CONTROL(QPushButton, cmdOK)

// What a screen reader meets under `object`, in its order; a child that
// does not know its own place is marked.
inline QStringList accessibleChildren(QObject *object)
{
    QAccessibleInterface *in = QAccessible::queryAccessibleInterface(object);
    QStringList found;
    for (int i = 0; i < in->childCount(); ++i)
        found << in->child(i)->object()->objectName() +
                     (in->indexOfChild(in->child(i)) == i ? "" : " (misplaced)");
    return found;
}

// The strip's clock ticks once now, as its timer would bring the tick.
inline bool tick(const QObject &strip)
{
    auto *timer = named<MinuteTimer>(strip, QStringLiteral("tmrClock"));
    if (timer)
        emit timer->fired(false);
    return timer != nullptr;
}

} // namespace zentova::test
