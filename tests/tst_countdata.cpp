// Countdata.dat byte for byte: the record layout, code page 932 texts, short
// and hostile files, and saves that must never lose the previous record.
#include "core/base/sjis.h"
#include "core/files/atomicfile.h"
#include "core/files/folders.h"
#include "core/state/countdata.h"
#include "core/state/counterstate.h"
#include "testsupport.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QtEndian>
#include <cerrno>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zentova;
using test::hex;

namespace
{

// Counts 3, 0, 0, 0, 0; title 0 "A"; lap on, alarm off; 2024-01-01.
const char *kExampleA = "03 00 00 00 00 00 00 00 00 00 01 00 41 00 00 00 00 00 00 00 00 01 00 "
                        "30 01 00 30 FF FF 00 00 00 00 00 00 80 1D E6 40";
// All counts 0, no titles, alarm on at 7:30, lap on, 2024-01-01.
const char *kExampleB = "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 01 00 37 "
                        "02 00 33 30 FF FF FF FF 00 00 00 00 80 1D E6 40";

CountRecord recordA()
{
    CountRecord r;
    r.Count = {3, 0, 0, 0, 0};
    r.Title[0] = QStringLiteral("A");
    r.AlarmHourText = QStringLiteral("0");
    r.AlarmMinuteText = QStringLiteral("0");
    r.LapOn = -1;
    r.SavedDate = 45292.0;
    return r;
}

CountRecord recordB()
{
    CountRecord r;
    r.AlarmHourText = QStringLiteral("7");
    r.AlarmMinuteText = QStringLiteral("30");
    r.LapOn = -1;
    r.TimerOn = -1;
    r.SavedDate = 45292.0;
    return r;
}

} // namespace

class TestCountData : public QObject
{
    Q_OBJECT
private slots:
    void examplesByteForByte()
    {
        QCOMPARE(encodeRecord(recordA()), hex(kExampleA));
        QCOMPARE(encodeRecord(recordB()), hex(kExampleB));
        QCOMPARE(decodeRecord(hex(kExampleA)), recordA());
        QCOMPARE(decodeRecord(hex(kExampleB)), recordB());
    }

    void codePage932_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("encodes"); // text to bytes
        QTest::addColumn<bool>("decodes"); // bytes to text
        QTest::addRow("kanji") << "受付" << hex("8e f3 95 74") << true << true;
        QTest::addRow("code page 932's own extensions")
            << "件数～①髙" << hex("8c 8f 90 94 81 60 87 40 fb fc") << true << true;
        // IBM's code page would swap 1a, 1c and 7f.
        QTest::addRow("ASCII controls")
            << "\u001a\u001c\u007fA" << hex("1a 1c 7f 41") << true << true;
        QTest::addRow("half-width katakana: one byte, both ends of the range")
            << "｡ｱﾝﾟ" << hex("a1 b1 dd df") << true << true;
        QTest::addRow("stray bytes replaced")
            << "\ufffdA\ufffd" << hex("ff 41 8e") << false << true;
        QTest::addRow("hangul: ?") << "A한B" << QByteArray("A?B") << true << false;
        QTest::addRow("emoji: one ?")
            << QString::fromUtf8("x\xF0\x9F\x98\x80y") << QByteArray("x?y") << true << false;
        QTest::addRow("euro sign: ?") << "€受" << hex("3f 8e f3") << true << false;
    }

    void codePage932()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, encodes);
        QFETCH(bool, decodes);
        if (encodes)
            QCOMPARE(toCp932(text), bytes);
        if (decodes)
            QCOMPARE(fromCp932(bytes), text);
    }

    void truncatedFileReadsPrefixAndZero_data()
    {
        QTest::addColumn<int>("length");
        for (int n = 0; n <= 39; ++n)
            QTest::addRow("%d bytes", n) << n;
    }

    void truncatedFileReadsPrefixAndZero()
    {
        QFETCH(int, length);
        const QByteArray full = hex(kExampleB);
        const CountRecord r = decodeRecord(full.left(length));

        // Offsets of example B: hour text count at 20, "7" at 22; minute count at
        // 23, "30" at 25; lap flag 27, alarm flag 29, date 31.
        const QString hour = length >= 23 ? QStringLiteral("7") : QString();
        const QString minute = length >= 27   ? QStringLiteral("30")
                               : length == 26 ? QStringLiteral("3")
                                              : QString();
        const int lap = length >= 29 ? -1 : length == 28 ? 0xFF : 0;
        const int timer = length >= 31 ? -1 : length == 30 ? 0xFF : 0;
        QByteArray date = full.mid(31, std::max(0, length - 31));
        date.append(QByteArray(8 - date.size(), '\0'));

        for (int i = 0; i < CounterCount; ++i) {
            QCOMPARE(r.Count[size_t(i)], int16_t(0));
            QCOMPARE(r.Title[size_t(i)], QString());
        }
        QCOMPARE(r.AlarmHourText, hour);
        QCOMPARE(r.AlarmMinuteText, minute);
        QCOMPARE(int(r.LapOn), lap);
        QCOMPARE(int(r.TimerOn), timer);
        QCOMPARE(r.SavedDate, qFromLittleEndian<double>(date.constData()));

        // Example A's counts come from the bytes that are there.
        const CountRecord a = decodeRecord(hex(kExampleA).left(std::min(length, 4)));
        QCOMPARE(int(a.Count[0]), length >= 2 ? 3 : length == 1 ? 3 : 0);
        QCOMPARE(int(a.Count[1]), 0);
    }

    void textCountPastTheEndTakesWhatRemains()
    {
        // Title 0 claims 65535 bytes but only "AB" follows.
        const QByteArray bytes = hex("01 00 02 00 03 00 04 00 05 00 FF FF 41 42");
        const CountRecord r = decodeRecord(bytes);
        QCOMPARE(r.Count, (std::array<int16_t, 5>{1, 2, 3, 4, 5}));
        QCOMPARE(r.Title[0], QStringLiteral("AB"));
        QCOMPARE(r.Title[1], QString());
        QCOMPARE(r.SavedDate, 0.0);
    }

    void dayNumbers()
    {
        QCOMPARE(dayNumber(QDate(2024, 1, 1)), 45292.0);
        QCOMPARE(dayNumber(QDate(1899, 12, 30)), 0.0);
        QCOMPARE(dayNumber(QDate(1899, 12, 29)), -1.0);
        QCOMPARE(dateFromDayNumber(45292.0), QDate(2024, 1, 1));
        QCOMPARE(dateFromDayNumber(45292.75), QDate(2024, 1, 1));
        QVERIFY(!dateFromDayNumber(std::numeric_limits<double>::quiet_NaN()).isValid());
    }

    void missingFileIsCreatedEmptyAndLongerFileReplacedWhole()
    {
        test::Sandbox sandbox;
        {
            CountRecord saved = sandbox.model->gSaved();
            saved.Count[0] = 9;
            sandbox.model->setSaved(saved);
        }
        sandbox.model->LoadCountData();
        QCOMPARE(sandbox.model->gSaved(), CountRecord());
        QVERIFY(QFileInfo(sandbox.path("Countdata.dat")).isFile());
        QCOMPARE(QFileInfo(sandbox.path("Countdata.dat")).size(), 0);
        sandbox.writeFile("Countdata.dat", QByteArray(45, '\x7f'));
        sandbox.model->setSaved(recordA());
        sandbox.model->SaveCountData();
        QCOMPARE(sandbox.readFile("Countdata.dat"), hex(kExampleA));
    }

    void directoryAndFifoAreRefusedWithoutBlocking()
    {
        test::Sandbox sandbox;
        QVERIFY(QDir(sandbox.folder()).mkdir("Countdata.dat"));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, sandbox.model->LoadCountData());
        QVERIFY_THROWS_EXCEPTION(RuntimeError, sandbox.model->SaveCountData());

        test::Sandbox other;
        QCOMPARE(::mkfifo(QFile::encodeName(other.path("Countdata.dat")).constData(), 0600), 0);
        QVERIFY_THROWS_EXCEPTION(RuntimeError, other.model->LoadCountData());
        QVERIFY_THROWS_EXCEPTION(RuntimeError, other.model->SaveCountData());
        QVERIFY(QFileInfo(other.path("Countdata.dat")).exists());
    }

    void saveCutShortLeavesOldRecord_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("error"); // what the save reports, if it lives to report
        QTest::addRow("killed before the new record is in place") << "killed" << 0;
        QTest::addRow("at the file size limit") << "size" << int(ErrorCode::DiskFull);
        QTest::addRow("the sync fails") << "sync" << int(ErrorCode::DeviceIoError);
        // The file may be written, its folder takes no new file: writing in
        // place would tear the record at a kill, so the save fails instead.
        QTest::addRow("the folder refuses new files")
            << "folder" << int(ErrorCode::PathFileAccessError);
    }

    void saveCutShortLeavesOldRecord()
    {
        QFETCH(QString, how);
        QFETCH(int, error);
        test::Sandbox sandbox;
        sandbox.writeFile("Countdata.dat", hex(kExampleA));
        if (how == "folder") {
            QVERIFY(QFile::setPermissions(sandbox.path("Countdata.dat"),
                                          QFileDevice::Permissions(0x6666)));
            QCOMPARE(::chmod(QFile::encodeName(sandbox.folder()).constData(), 0555), 0);
        }
        const int status = test::inChild([&] {
            // As an ordinary account: root writes through any mode.
            if (how == "folder" && ::geteuid() == 0 && (::setgid(65534) || ::setuid(65534)))
                ::_exit(5);
            const struct rlimit limit = {16, 16};
            if (how == "size" && (::signal(SIGXFSZ, SIG_IGN), ::setrlimit(RLIMIT_FSIZE, &limit)))
                ::_exit(4);
            if (how == "killed")
                setBeforeCommitHook([] { ::_exit(3); }); // with the new record written aside
            if (how == "sync")
                setSyncFunction([](int) { return errno = EIO, -1; });
            CountRecord longer = recordB();
            longer.Title[0] = QStringLiteral("長い項目名です");
            try {
                writeRecordFile(countDataPath(), longer);
            } catch (const RuntimeError &e) {
                ::_exit(int(e.code()) == error ? 0 : 2);
            }
            ::_exit(1);
        });
        QCOMPARE(::chmod(QFile::encodeName(sandbox.folder()).constData(), 0700), 0);
        QCOMPARE(status, error ? 0 : 3);
        QCOMPARE(sandbox.readFile("Countdata.dat"), hex(kExampleA));
        if (error) // a failed save takes its temporary file with it
            QCOMPARE(QDir(sandbox.folder()).entryList(QDir::Files).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestCountData)
#include "tst_countdata.moc"
