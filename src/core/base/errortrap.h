// The one error trap of every event handler: on the program's own errors
// (and a lack of memory) the handler stops where it is and the description
// is shown in an OK-only box captioned with the application title. Any other
// exception is a bug: a debug build lets it through to the test run; a
// release build shows it like the rest rather than end with the day unsaved.
#pragma once

#include "core/base/msgbox.h"
#include "core/base/runtime.h"

#include <exception>
#include <new>
#include <utility>

namespace zentova
{

void showErrorDescription(const QString &description);

// The text the user reads for an error caught anywhere.
QString describe(std::exception_ptr error);

// Runs `body`; returns false when it stopped on an error (already shown).
template <typename Body> bool trap(Body &&body)
{
    try {
        std::forward<Body>(body)();
        return true;
    } catch (const RuntimeError &) {
        showErrorDescription(describe(std::current_exception()));
    } catch (const std::bad_alloc &) {
        showErrorDescription(describe(std::current_exception()));
    }
#ifdef NDEBUG
    catch (...) {
        showErrorDescription(describe(std::current_exception()));
    }
#endif
    return false;
}

} // namespace zentova
