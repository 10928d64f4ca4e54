// The floor the toolkit allows: a bare frameless Qt Widgets window with as
// many frames, labels and buttons as the strip, and a clock that wakes at
// each minute of the wall clock to write the time. No logic, no sound, no
// file. A right click opens a bare window of the history window's kind.
#pragma once

#include <QComboBox>
#include <QDateTime>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

// As the history window is built, less everything of its own: the same
// size and `font`, a table with seven headed columns and one row, two lists,
// three buttons and three labels.
inline QWidget *bareHistoryWindow(const QFont &font)
{
    auto *window = new QWidget(nullptr, Qt::Window);
    window->setWindowTitle(QStringLiteral("bare history"));
    window->setFont(font);
    window->resize(760, 480);
    auto *layout = new QVBoxLayout(window);
    auto *top = new QHBoxLayout;
    for (const QString &label : {QStringLiteral("期間:"), QStringLiteral("グラフ:")}) {
        top->addWidget(new QLabel(label, window));
        auto *list = new QComboBox(window);
        list->addItems({QStringLiteral("今週"), QStringLiteral("今月"), QStringLiteral("すべて")});
        top->addWidget(list);
    }
    for (const QString &text :
         {QStringLiteral("コピー"), QStringLiteral("画像をコピー"), QStringLiteral("CSV で保存...")})
        top->addWidget(new QPushButton(text, window));
    layout->addLayout(top);
    auto *model = new QStandardItemModel(1, 7, window);
    model->setHorizontalHeaderLabels({QStringLiteral("日付"), QStringLiteral("受付"),
                                      QStringLiteral("電話"), QStringLiteral("メール"),
                                      QStringLiteral("来客"), QStringLiteral("その他"),
                                      QStringLiteral("合計")});
    for (int c = 0; c < 7; ++c)
        model->setItem(0, c, new QStandardItem(QString::number(c)));
    auto *table = new QTableView(window);
    table->setModel(model);
    layout->addWidget(table, 1);
    layout->addWidget(new QLabel(QStringLiteral("期間の合計"), window));
    return window;
}

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
        timer.setSingleShot(true);
        connect(&timer, &QTimer::timeout, this, [this] { showTime(); });
        showTime();
    }

    void showTime()
    {
        const QDateTime now = QDateTime::currentDateTime();
        clock->setText(now.toString(QStringLiteral("hh:mm")));
        timer.start(int(60000 - now.toMSecsSinceEpoch() % 60000 + 20));
    }

protected:
    void mousePressEvent(QMouseEvent *e) override
    {
        if (e->button() != Qt::RightButton)
            return;
        QFont font(QStringLiteral("IPAGothic"));
        font.setPixelSize(12);
        bareHistoryWindow(font)->show();
    }

public:
    QPushButton *firstButton = nullptr;
    QLabel *firstLabel = nullptr;
    QLabel *clock = nullptr;
    QTimer timer;
};
