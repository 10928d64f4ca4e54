// Conversions, formats, checked arithmetic, colours and the error trap.
#include "platform/errortrap.h"
#include "platform/runtime.h"
#include "testsupport.h"

#include <QTest>

using namespace zentova;

class TestRuntime : public QObject
{
    Q_OBJECT
private slots:
    void textToInt16Accepts_data();
    void textToInt16Accepts();
    void textToInt16Rejects_data();
    void textToInt16Rejects();
    void leadingValue_data();
    void leadingValue();
    void formats();
    void addInt16OverflowsAtTheLimits();
    void trapShowsDescriptionWithApplicationTitle();
    void trapCatchesForeignExceptions();
};

void TestRuntime::textToInt16Accepts_data()
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

void TestRuntime::textToInt16Accepts()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(int(textToInt16(text)), value);
}

void TestRuntime::textToInt16Rejects_data()
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

void TestRuntime::textToInt16Rejects()
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

void TestRuntime::leadingValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::addRow("number") << "100" << 100.0;
    QTest::addRow("negative") << "-300" << -300.0;
    QTest::addRow("trailing text") << "12abc" << 12.0;
    QTest::addRow("no number") << "abc" << 0.0;
    QTest::addRow("empty") << "" << 0.0;
}

void TestRuntime::leadingValue()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(zentova::leadingValue(text), value);
}

void TestRuntime::formats()
{
    QCOMPARE(formatTwoDigits(7), QStringLiteral("07"));
    QCOMPARE(formatTwoDigits(12), QStringLiteral("12"));
    QCOMPARE(formatTwoDigits(123), QStringLiteral("123"));
    QCOMPARE(formatTwoDigits(-5), QStringLiteral("-05"));
}

void TestRuntime::addInt16OverflowsAtTheLimits()
{
    QCOMPARE(int(addInt16(32766, 1)), 32767);
    QVERIFY_THROWS_EXCEPTION(RuntimeError, addInt16(32767, 1));
    QVERIFY_THROWS_EXCEPTION(RuntimeError, addInt16(-32768, -1));
    QCOMPARE(int(addInt16(-32768, 32767)), -1);
}

void TestRuntime::trapShowsDescriptionWithApplicationTitle()
{
    test::Sandbox sandbox;
    bool after = false;
    const bool ok = trap([&] {
        raiseError(ErrorCode::Overflow);
        after = true;
    });
    QVERIFY(!ok);
    QVERIFY(!after);
    QCOMPARE(sandbox.boxes.calls.size(), 1);
    QCOMPARE(sandbox.boxes.calls[0].prompt, QStringLiteral("オーバーフローしました。"));
    QCOMPARE(sandbox.boxes.calls[0].style, 0);
    QCOMPARE(sandbox.boxes.calls[0].caption, QStringLiteral("Zentova"));
}

void TestRuntime::trapCatchesForeignExceptions()
{
    test::Sandbox sandbox;
    QVERIFY(!trap([] { throw std::bad_alloc(); }));
    QVERIFY(!trap([] { throw std::runtime_error("disk"); }));
    QCOMPARE(sandbox.boxes.calls.size(), 2);
    QCOMPARE(sandbox.boxes.calls[0].prompt, QStringLiteral("メモリが不足しています。"));
    QCOMPARE(sandbox.boxes.calls[1].prompt, QStringLiteral("disk"));
}

QTEST_MAIN(TestRuntime)
#include "tst_runtime.moc"
