// A call of the system that failed, as a value: which call on what, and the
// error number. Every failure the platform hands up takes this form.
#pragma once

#include <cerrno>
#include <string>

#include "platform/console.h"

namespace platform {

struct SystemError {
    int number = 0;
    std::string call;  // "open(.\a.txt)"

    // The failure of the call that just set errno.
    static SystemError last(std::string call) { return SystemError{errno, std::move(call)}; }
    // "call: reason".
    std::string text() const { return call + ": " + errorText(number); }
};

}  // namespace platform
