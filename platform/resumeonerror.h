#pragma once

#include <exception>

namespace platform {

// Runs one statement of a resume-on-error handler. A failure abandons the rest of the statement;
// whatever it already did stays done, and its temporaries go with the stack. Returns whether the
// statement completed, so a decision block can take the branch the handler prescribes on failure.
template<typename Statement> bool resumeOnError(Statement &&statement) noexcept
{
    try {
        statement();
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace platform
