// The text-to-number rules of the count and alarm boxes, and the error trap.
#include "platform/errortrap.h"
#include "platform/runtime.h"
#include "testsupport.h"

#include <QTest>

using namespace zentova;

class TestRuntime : public QObject
{
    Q_OBJECT
private slots:
    void textToInt16Accepts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::addRow("plain") << "150" << 150;
        QTest::addRow("zero") << "0" << 0;
        QTest::addRow("negative") << "-3" << -3;
        QTest::addRow("plus") << "+7" << 7;
        QTest::addRow("blanks") << "  42 " << 42;
        QTest::addRow("ideographic space") << "\u3000"
                                              "12\u3000"
                                           << 12;
        QTest::addRow("full-width digits") << "１５０" << 150;
        QTest::addRow("full-width minus") << "－５" << -5;
        QTest::addRow("full-width plus") << "＋９" << 9;
        QTest::addRow("max") << "32767" << 32767;
        QTest::addRow("min") << "-32768" << -32768;
        QTest::addRow("leading zeros") << "007" << 7;
    }

    void textToInt16Accepts()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(int(textToInt16(text)), value);
    }

    void textToInt16Rejects_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("code");
        const int mismatch = int(ErrorCode::TypeMismatch);
        const int overflow = int(ErrorCode::Overflow);
        QTest::addRow("empty") << "" << mismatch;
        QTest::addRow("blank only") << "   " << mismatch;
        QTest::addRow("letters") << "abc" << mismatch;
        QTest::addRow("digits then letters") << "12a" << mismatch;
        QTest::addRow("sign only") << "-" << mismatch;
        QTest::addRow("inner blank") << "1 2" << mismatch;
        QTest::addRow("32768") << "32768" << overflow;
        QTest::addRow("-32769") << "-32769" << overflow;
        QTest::addRow("40000") << "40000" << overflow;
        QTest::addRow("huge") << "99999999999999999999999" << overflow;
    }

    void textToInt16Rejects()
    {
        QFETCH(QString, text);
        QFETCH(int, code);
        try {
            textToInt16(text);
            QFAIL("no error raised");
        } catch (const RuntimeError &e) {
            QCOMPARE(int(e.code()), code);
        }
    }

    void trapShowsWhatWentWrongInOneBox()
    {
        test::Sandbox sandbox;
        bool after = false;
        QVERIFY(!trap([&] {
            raiseError(ErrorCode::Overflow);
            after = true;
        }));
        QVERIFY(!after);
        QVERIFY(!trap([] { throw std::bad_alloc(); }));
        QVERIFY(!trap([] { throw std::runtime_error("disk"); }));
        QCOMPARE(sandbox.boxes.calls.size(), 3);
        QCOMPARE(sandbox.boxes.calls[0].prompt, QStringLiteral("オーバーフローしました。"));
        QCOMPARE(sandbox.boxes.calls[0].style, 0);
        QCOMPARE(sandbox.boxes.calls[0].caption, QStringLiteral("Zentova"));
        QCOMPARE(sandbox.boxes.calls[1].prompt, QStringLiteral("メモリが不足しています。"));
        QCOMPARE(sandbox.boxes.calls[2].prompt, QStringLiteral("disk"));
    }
};

QTEST_MAIN(TestRuntime)
#include "tst_runtime.moc"
