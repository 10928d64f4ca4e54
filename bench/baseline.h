// The floor the toolkit allows: a bare frameless Qt Widgets window with as
// many frames, labels and buttons as the strip, and a one-second timer that
// writes the time. No logic, no sound, no file.
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTime>
#include <QTimer>
#include <QWidget>

class BaselineWindow : public QWidget
{
public:
    BaselineWindow()
    {
        setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        setFixedSize(599, 38);
        move(426, 1);
        for (int i = 0; i < 6; ++i) {
            auto *frame = new QGroupBox(this);
            frame->setGeometry(16 + 96 * i, 0, 97, 33);
            auto *label = new QLabel(QStringLiteral("0"), frame);
            label->setGeometry(6, 12, 41, 17);
            auto *button = new QPushButton(QStringLiteral("C"), frame);
            button->setGeometry(52, 10, 40, 20);
            if (i == 0) {
                firstButton = button;
                firstLabel = label;
            }
            if (i == 5)
                clock = label;
        }
        connect(&timer, &QTimer::timeout, this,
                [this] { clock->setText(QTime::currentTime().toString(QStringLiteral("hh:mm"))); });
        timer.start(1000);
    }

    QPushButton *firstButton = nullptr;
    QLabel *firstLabel = nullptr;
    QLabel *clock = nullptr;
    QTimer timer;
};
