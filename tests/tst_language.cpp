// The language of the texts: chosen from the session as Qt and gettext read
// it, and an English translation that is whole.
#include "core/base/language.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QXmlStreamReader>

using namespace zentova;

class TestLanguage : public QObject
{
    Q_OBJECT
private slots:
    void languageFollowsTheSession_data()
    {
        QTest::addColumn<QByteArrayList>("session"); // LANGUAGE, LC_ALL, LC_MESSAGES, LANG
        QTest::addColumn<bool>("english");
        // A null value is a variable that is not set.
        const auto row = [](const char *name, QByteArrayList session, bool english) {
            QTest::newRow(name) << session << english;
        };
        const QByteArray unset;
        row("nothing set", {unset, unset, unset, unset}, false);
        row("C", {unset, "C", unset, unset}, false);
        row("C.UTF-8", {unset, "C.UTF-8", unset, "en_US.UTF-8"}, false);
        row("POSIX", {unset, unset, unset, "POSIX"}, false);
        row("ja_JP.UTF-8", {unset, unset, unset, "ja_JP.UTF-8"}, false);
        row("en_US.UTF-8", {unset, unset, unset, "en_US.UTF-8"}, true);
        row("de_DE@euro", {unset, unset, unset, "de_DE@euro"}, true);
        row("LANGUAGE=en over C", {"en", "C", unset, unset}, true);
        row("LANGUAGE=ja over en", {"ja:en", unset, unset, "en_GB.UTF-8"}, false);
        row("LANGUAGE, its first", {"fr:ja", unset, unset, "ja_JP.UTF-8"}, true);
        row("LANGUAGE empty", {"", unset, unset, "en_GB.UTF-8"}, true);
        row("LC_ALL over LANG", {unset, "ja_JP.UTF-8", "en_US.UTF-8", "en_US.UTF-8"}, false);
        row("LC_MESSAGES over LANG", {unset, unset, "en_US.UTF-8", "ja_JP.UTF-8"}, true);
    }

    void languageFollowsTheSession()
    {
        QFETCH(QByteArrayList, session);
        QTEST(languageFrom(session[0], session[1], session[2], session[3]) == Language::English,
              "english");
    }

    // Every text has its English, and none of it is left in Japanese; the
    // same placeables as the source.
    void theEnglishTranslationIsWhole()
    {
        QFile file(QStringLiteral(ZENTOVA_TS_FILE));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        static const QRegularExpression japanese(
            QStringLiteral("[\\x{3000}-\\x{30ff}\\x{4e00}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
        static const QRegularExpression placeable(QStringLiteral("%[0-9n]"));
        const auto placeables = [](const QString &text) {
            QStringList found;
            for (auto it = placeable.globalMatch(text); it.hasNext();)
                found << it.next().captured();
            found.sort();
            found.removeDuplicates();
            return found;
        };
        int messages = 0;
        QString source;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == u"source") {
                source = xml.readElementText();
            } else if (xml.name() == u"translation") {
                const bool unfinished = !xml.attributes().value(QStringLiteral("type")).isEmpty();
                const QString english =
                    xml.readElementText(QXmlStreamReader::IncludeChildElements); // plurals too
                QVERIFY2(!unfinished && !english.isEmpty(), qPrintable(source));
                QVERIFY2(!english.contains(japanese), qPrintable(english));
                QCOMPARE(placeables(english), placeables(source));
                ++messages;
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QVERIFY(messages > 100);
    }

    void textsInTheLanguageShown()
    {
        setUiLanguage(Language::Japanese);
        QCOMPARE(translate("Nowhere", "%n 件", nullptr, 3), QStringLiteral("3 件"));
        setUiLanguage(Language::English);
        // The same word in two senses has two translations.
        QCOMPARE(translate("History", "月", "Monday"), QStringLiteral("Mon"));
        QCOMPARE(translate("History", "月", "a bar's span"), QStringLiteral("month"));
        // A text with no translation is shown as written.
        QCOMPARE(translate("Nowhere", "そのまま"), QStringLiteral("そのまま"));
        QCOMPARE(qtTranslationName(), QStringLiteral("qtbase_en"));
    }
};

QTEST_GUILESS_MAIN(TestLanguage)
#include "tst_language.moc"
