#include "core/cli/commandline.h"
#include "core/base/language.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace zentova
{

namespace
{

// What QApplication reads from the command line itself: accepted here so
// that they reach it, and left out of the help.
const char *const kToolkitValueOptions[] = {"platform",      "platformpluginpath",
                                            "platformtheme", "plugin",
                                            "qmljsdebugger", "qwindowgeometry",
                                            "qwindowicon",   "qwindowtitle",
                                            "session",       "display",
                                            "geometry",      "name",
                                            "title",         "style",
                                            "stylesheet"};
const char *const kToolkitFlags[] = {"reverse", "nograb", "dograb", "sync", "widgetcount"};

// In one language, the strip's: Qt's own help would mix in its English.
QString helpText()
{
    return translate(
        "Command", "使い方: zentova [オプション]\n"
                   "Zentova: その日の処理件数を数える、常に手前に表示される細い帯。\n"
                   "\n"
                   "オプション:\n"
                   "  -h, --help     この説明を表示します。\n"
                   "  -v, --version  版を表示します。\n"
                   "  --count N      起動中の Zentova のカウンター N（左から "
                   "1〜5）を一回の数だけ増やします。\n"
                   "  --by K         --count と一緒に: 一回の数ではなく K（1〜1000）を足します。\n"
                   "  --uncount N    起動中の Zentova のカウンター N を一回の数だけ減らします"
                   "（0 より下にはなりません）。\n"
                   "  --undo         起動中の Zentova の、今日の最後の変更を取り消します。\n"
                   "  --focus        起動中の Zentova の帯にキーボードを渡します。\n"
                   "\n"
                   "終了状態: 0 受け付けた、1 取り消すものがない（--undo）、2 引数の誤り、\n"
                   "3 Zentova が起動していない（または終了中）、4 項目名のないカウンター、\n"
                   "5 32767 を超える。\n"
                   "詳しくは man zentova。\n");
}

QString usageLine()
{
    return translate("Command",
                     "(使い方: zentova [--count N [--by K] | --uncount N | --undo | --focus | --help "
                     "| --version]、N は 1 から 5)");
}

struct Options {
    QCommandLineOption help, version, count, uncount, by, undo, focus;
};

Options addOptions(QCommandLineParser &parser)
{
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
    parser.addOption(help);
    parser.addOption(version);
    const QCommandLineOption count(
        QStringLiteral("count"),
        translate("Command",
                  "起動中の Zentova のカウンター N（左から 1〜5）を一回の数だけ増やします。"),
        QStringLiteral("N"));
    const QCommandLineOption uncount(
        QStringLiteral("uncount"),
        translate(
            "Command",
            "起動中の Zentova のカウンター N を一回の数だけ減らします（0 より下にはなりません）。"),
        QStringLiteral("N"));
    const QCommandLineOption by(
        QStringLiteral("by"),
        translate("Command",
                  "--count と一緒に: カウンターの一回の数ではなく K（1〜1000）を足します。"),
        QStringLiteral("K"));
    const QCommandLineOption undo(
        QStringLiteral("undo"),
        translate("Command", "起動中の Zentova の、今日の最後の変更を取り消します。"));
    parser.addOption(count);
    parser.addOption(uncount);
    parser.addOption(by);
    parser.addOption(undo);
    const QCommandLineOption focus(
        QStringLiteral("focus"), translate("Command", "起動中の Zentova の帯にキーボードを渡します。"));
    parser.addOption(focus);
    for (const char *name : kToolkitValueOptions) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char *name : kToolkitFlags) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    return {help, version, count, uncount, by, undo, focus};
}

CommandLine refusal(const QString &why)
{
    CommandLine result;
    result.action = CommandLine::Action::Refuse;
    result.text =
        QStringLiteral("zentova: ") + why + QStringLiteral(" ") + usageLine() + QLatin1Char('\n');
    return result;
}

// --count, --uncount, --by and --undo, the options read.
CommandLine readCounting(const QCommandLineParser &parser, const Options &o)
{
    CommandLine result;
    const int uses = int(parser.values(o.count).size() + parser.values(o.uncount).size());
    if (parser.isSet(o.undo) || parser.isSet(o.focus)) {
        if (uses > 0 || parser.isSet(o.by) || (parser.isSet(o.undo) && parser.isSet(o.focus)))
            return refusal(parser.isSet(o.undo)
                               ? translate("Command", "--undo は一つだけで使います。")
                               : translate("Command", "--focus は一つだけで使います。"));
        result.action =
            parser.isSet(o.undo) ? CommandLine::Action::Undo : CommandLine::Action::Focus;
        return result;
    }
    if (uses == 0)
        return parser.isSet(o.by) ? refusal(translate("Command", "--by は --count と一緒に使います。"))
                                : result;
    if (uses > 1)
        return refusal(translate("Command", "--count と --uncount は一度に一つだけです。"));
    const bool up = parser.isSet(o.count);
    bool ok = false;
    const int n = parser.value(up ? o.count : o.uncount).toInt(&ok);
    if (!ok || n < 1 || n > 5)
        return refusal(translate("Command", "カウンターの番号は 1 から 5 です。"));
    if (parser.isSet(o.by)) {
        const int k = parser.value(o.by).toInt(&ok);
        if (!up || parser.values(o.by).size() > 1)
            return refusal(translate("Command", "--by は --count と一緒に一度だけ使います。"));
        if (!ok || k < 1 || k > 1000)
            return refusal(translate("Command", "--by の数は 1 から 1000 です。"));
        result.by = k;
    }
    result.action = CommandLine::Action::Count;
    result.counter = n - 1;
    result.delta = up ? 1 : -1;
    return result;
}

} // namespace

CommandLine parseCommandLine(const QStringList &arguments)
{
    // The strip's own start, the usual one: nothing to read, and the parser's
    // options and their translated help are not built for it.
    if (arguments.size() <= 1)
        return {};
    QCommandLineParser parser;
    // Single-dash words, as the toolkit's options are spelled (-platform xcb).
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const Options o = addOptions(parser);
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        return refusal(
            unknown.isEmpty()
                ? translate("Command", "オプションの値がありません。")
                : translate("Command", "不明なオプションです: %1").arg(unknown.join(u' ')));
    }
    if (!parser.positionalArguments().isEmpty())
        return refusal(translate("Command", "余分な引数があります: %1")
                          .arg(parser.positionalArguments().join(QLatin1Char(' '))));
    if (parser.isSet(o.help)) {
        CommandLine result;
        result.action = CommandLine::Action::Print;
        result.text = helpText();
        return result;
    }
    if (parser.isSet(o.version)) {
        CommandLine result;
        result.action = CommandLine::Action::Print;
        result.text = QCoreApplication::applicationName() + QLatin1Char(' ') +
                      QCoreApplication::applicationVersion() + QLatin1Char('\n');
        return result;
    }
    return readCounting(parser, o);
}

} // namespace zentova
