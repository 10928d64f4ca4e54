#include "core/base/errortrap.h"
#include "core/base/language.h"

namespace zentova
{

QString describe(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const RuntimeError &e) {
        return e.description();
    } catch (const std::bad_alloc &) {
        return errorDescription(ErrorCode::OutOfMemory);
    } catch (const std::exception &e) {
        if (*e.what())
            return QString::fromLocal8Bit(e.what());
    } catch (...) {
    }
    return translate("Errors", "アプリケーション定義またはオブジェクト定義のエラーです。");
}

void showErrorDescription(const QString &description)
{
    try {
        MsgBox(description, msgstyle::OkOnly);
    } catch (...) {
        // Nothing left to tell the user with; the handler has stopped anyway.
    }
}

} // namespace zentova
