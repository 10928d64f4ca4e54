#include "core/base/msgbox.h"

#include <cstdio>

namespace zentova
{

namespace
{

MessageBoxBackend *g_backend = nullptr;

} // namespace

QString applicationTitle()
{
    return QStringLiteral("Zentova");
}

int MsgBox(const QString &prompt, int style, const QString &title)
{
    const QString caption = title.isEmpty() ? applicationTitle() : title;
    if (g_backend)
        return g_backend->show(prompt, style, caption);
    // No window system to ask on (a tool, a test of the logic alone): the
    // text still reaches a person, and the answer is the box's default.
    std::fprintf(stderr, "%s: %s\n", qUtf8Printable(caption), qUtf8Printable(prompt));
    return style == msgstyle::YesNoQuestion ? msgresult::Yes : msgresult::Ok;
}

void setMessageBoxBackend(MessageBoxBackend *backend)
{
    g_backend = backend;
}

} // namespace zentova
