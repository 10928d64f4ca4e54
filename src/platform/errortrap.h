// The one error trap of every event handler: on any error the handler stops
// where it is and the description is shown in an OK-only box captioned with
// the application title. Nothing escapes into the event loop.
#pragma once

#include "platform/msgbox.h"
#include "platform/runtime.h"

#include <new>
#include <utility>

namespace zentova
{

void showErrorDescription(const QString &description);

// Runs `body`; returns false when it stopped on an error (already shown).
template <typename Body> bool trap(Body &&body)
{
    try {
        std::forward<Body>(body)();
        return true;
    } catch (const RuntimeError &e) {
        showErrorDescription(e.description());
    } catch (const std::bad_alloc &) {
        showErrorDescription(errorDescription(ErrorCode::OutOfMemory));
    } catch (const std::exception &e) {
        showErrorDescription(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        showErrorDescription(QString());
    }
    return false;
}

} // namespace zentova
