#include "platform/errortrap.h"

namespace zentova
{

void showErrorDescription(const QString &description)
{
    const QString text =
        description.isEmpty()
            ? QStringLiteral("アプリケーション定義またはオブジェクト定義のエラーです。")
            : description;
    try {
        MsgBox(text, msgstyle::OkOnly);
    } catch (...) {
        // Nothing left to tell the user with; the handler has stopped anyway.
    }
}

} // namespace zentova
