// The language every text of the program is shown in: Japanese, the texts
// as they are written in the source, or English, from the translation built
// into the program. Files keep their Japanese headers and kinds whatever
// the language, so that spreadsheets and scripts read them the same for
// every user.
#pragma once

#include <QByteArray>
#include <QString>

namespace zentova
{

enum class Language { Japanese, English };

// From the session's variables in the order Qt and gettext read them:
// LANGUAGE (its first entry), then LC_ALL, LC_MESSAGES, LANG; the first one
// set decides. Japanese where it names Japanese, or where none names a
// language (unset, C, POSIX); English for every other language.
Language languageFrom(const QByteArray &language, const QByteArray &lcAll,
                      const QByteArray &lcMessages, const QByteArray &lang);

// This process's language, read from its environment at the first use.
Language uiLanguage();
void setUiLanguage(Language language); // for tests

// `text` (UTF-8, as written in the source) in the language shown. Every
// text the user sees is passed through here; lupdate collects the calls
// into translations/zentova_en.ts. %n becomes `n` where it is given.
QString translate(const char *context, const char *text, const char *disambiguation = nullptr,
                  int n = -1);

// The name of Qt's own translation for the language (qtbase_ja, qtbase_en).
QString qtTranslationName();

} // namespace zentova
