#include "core/base/language.h"

#include <QTranslator>
#include <atomic>

namespace zentova
{

namespace
{

// The language part of a locale name: ja_JP.UTF-8 -> ja; C and POSIX none.
QByteArray languageOfName(QByteArray name)
{
    for (const char end : {'.', '@', '_', '-'}) {
        if (const qsizetype at = name.indexOf(end); at >= 0)
            name.truncate(at);
    }
    return name == "C" || name == "POSIX" ? QByteArray() : name.toLower();
}

std::atomic<int> g_language{-1}; // -1: not read yet

const QTranslator *englishTexts()
{
    static QTranslator *const translator = [] {
        auto *loaded = new QTranslator;
        if (!loaded->load(QStringLiteral(":/i18n/zentova_en.qm")))
            qWarning("zentova: the English texts are missing from this build");
        return loaded;
    }();
    return translator;
}

} // namespace

Language languageFrom(const QByteArray &language, const QByteArray &lcAll,
                      const QByteArray &lcMessages, const QByteArray &lang)
{
    for (const QByteArray &value : {language.split(':').value(0), lcAll, lcMessages, lang}) {
        if (value.isEmpty())
            continue;
        const QByteArray name = languageOfName(value);
        return name.isEmpty() || name == "ja" ? Language::Japanese : Language::English;
    }
    return Language::Japanese;
}

Language uiLanguage()
{
    int language = g_language.load();
    if (language < 0) {
        language = int(languageFrom(qgetenv("LANGUAGE"), qgetenv("LC_ALL"), qgetenv("LC_MESSAGES"),
                                    qgetenv("LANG")));
        g_language.store(language);
    }
    return Language(language);
}

void setUiLanguage(Language language)
{
    g_language.store(int(language));
}

QString translate(const char *context, const char *text, const char *disambiguation, int n)
{
    QString shown;
    if (uiLanguage() == Language::English)
        shown = englishTexts()->translate(context, text, disambiguation, n);
    if (shown.isEmpty())
        shown = QString::fromUtf8(text);
    if (n >= 0)
        shown.replace(QLatin1String("%n"), QString::number(n));
    return shown;
}

QString qtTranslationName()
{
    return uiLanguage() == Language::English ? QStringLiteral("qtbase_en")
                                             : QStringLiteral("qtbase_ja");
}

} // namespace zentova
