#pragma once
// The message of the exception an action raises, for tests that check what a failure says.

#include "platform/rtl/Exceptions.h"

#include <functional>
#include <string>

namespace qor::test {

// The message of the E (by default any Exception) Action raises; "(no error)" when it raises none.
// An exception of another kind goes on to the test.
template <class E = Exception>
std::string ErrorOf(const std::function<void()>& Action)
{
    try {
        Action();
    } catch (const E& Error) {
        return Error.Message();
    }
    return "(no error)";
}

} // namespace qor::test
