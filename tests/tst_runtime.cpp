// The runtime services every handler leans on: the number rules of the
// boxes, and the error trap.
#include "core/base/errortrap.h"
#include "core/base/runtime.h"
#include "testsupport.h"

#include <QTest>
#include <stdexcept>

using namespace zentova;

class TestRuntime : public test::SandboxTest
{
    Q_OBJECT
private slots:
    void textToInt16_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value"); // when taken
        QTest::addColumn<int>("error"); // else the error it raises
        const int ok = 0, mismatch = int(ErrorCode::TypeMismatch),
                  overflow = int(ErrorCode::Overflow);
        QTest::addRow("plain") << "150" << 150 << ok;
        QTest::addRow("negative") << "-3" << -3 << ok;
        QTest::addRow("plus") << "+7" << 7 << ok;
        QTest::addRow("blanks") << "  42 " << 42 << ok;
        QTest::addRow("ideographic space") << "\u300012\u3000" << 12 << ok;
        QTest::addRow("full-width digits") << "１５０" << 150 << ok;
        QTest::addRow("full-width minus") << "－５" << -5 << ok;
        QTest::addRow("full-width plus") << "＋９" << 9 << ok;
        QTest::addRow("max") << "32767" << 32767 << ok;
        QTest::addRow("min") << "-32768" << -32768 << ok;
        QTest::addRow("leading zeros") << "007" << 7 << ok;
        QTest::addRow("empty") << "" << 0 << mismatch;
        QTest::addRow("letters") << "abc" << 0 << mismatch;
        QTest::addRow("digits then letters") << "12a" << 0 << mismatch;
        QTest::addRow("sign only") << "-" << 0 << mismatch;
        QTest::addRow("inner blank") << "1 2" << 0 << mismatch;
        QTest::addRow("32768") << "32768" << 0 << overflow;
        QTest::addRow("-32769") << "-32769" << 0 << overflow;
        QTest::addRow("huge") << "99999999999999999999999" << 0 << overflow;
    }

    void textToInt16()
    {
        QFETCH(QString, text);
        int raised = 0, taken = 0;
        try {
            taken = zentova::textToInt16(text);
        } catch (const RuntimeError &e) {
            raised = int(e.code());
        }
        QTEST(raised, "error");
        QTEST(taken, "value");
    }

    void trapStopsTheHandlerAndShowsOneBox_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("shown"); // empty: let through, as a bug is
        QTest::addRow("the program's own") << 0 << QStringLiteral("オーバーフローしました。");
        QTest::addRow("out of memory") << 1 << QStringLiteral("メモリが不足しています。");
#ifdef NDEBUG
        QTest::addRow("a bug, shown where nobody debugs") << 2 << QStringLiteral("a bug");
#else
        QTest::addRow("a bug, let through to the test run") << 2 << QString();
#endif
    }

    void trapStopsTheHandlerAndShowsOneBox()
    {
        QFETCH(int, kind);
        QFETCH(QString, shown);
        bool after = false;
        const auto handler = [&] {
            if (kind == 0)
                raiseError(ErrorCode::Overflow);
            if (kind == 1)
                throw std::bad_alloc();
            throw std::logic_error("a bug");
            after = true;
        };
        if (shown.isEmpty()) {
            QVERIFY_THROWS_EXCEPTION(std::logic_error, trap(handler));
            QVERIFY(m_sandbox->boxes.calls.isEmpty());
            return;
        }
        QVERIFY(!trap(handler));
        QVERIFY(!after);
        QCOMPARE(m_sandbox->boxes.calls.size(), 1);
        QCOMPARE(m_sandbox->boxes.calls[0].prompt, shown);
        QCOMPARE(m_sandbox->boxes.calls[0].style, 0);
        QCOMPARE(m_sandbox->boxes.calls[0].caption, QStringLiteral("Zentova"));
    }

};

QTEST_GUILESS_MAIN(TestRuntime)
#include "tst_runtime.moc"
