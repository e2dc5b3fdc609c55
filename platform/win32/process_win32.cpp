#include "platform/process.h"

#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>

#include "platform/win32/windows_api.h"

namespace platform {

static bool startedWithout[3] = {false, false, false};

bool startedClosed(int descriptor) { return descriptor >= 0 && descriptor <= 2 && startedWithout[descriptor]; }

// Lets a runtime call given a descriptor that is not open fail with EBADF
// and -1, as the tool expects, instead of ending the process.
static void ignoreInvalidParameter(const wchar_t*, const wchar_t*, const wchar_t*, unsigned int, uintptr_t) {}

void initProcess() {
    _set_invalid_parameter_handler(ignoreInvalidParameter);
    // A standard descriptor the tool was started without is given the null
    // device, so no file the tool opens can take its place.
    for (int descriptor = 0; descriptor <= 2; ++descriptor) {
        intptr_t handle = ::_get_osfhandle(descriptor);
        if (handle != -1 && handle != -2) continue;
        startedWithout[descriptor] = true;
        int opened = ::_open("NUL", descriptor == 0 ? _O_RDONLY : _O_WRONLY);
        if (opened < 0) std::_Exit(255);
        if (opened != descriptor) {
            ::_dup2(opened, descriptor);
            ::_close(opened);
        }
    }
    // No message boxes: a drive without a medium, or a crash, is reported
    // as an error, never by a dialog waiting for someone to click.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    // The standard descriptors carry bytes as they are: the tool's own
    // text-mode streams write CR LF and read it back, so the runtime must not
    // convert a second time. A descriptor that is not open stays as it is.
    ::_setmode(0, _O_BINARY);
    ::_setmode(1, _O_BINARY);
    ::_setmode(2, _O_BINARY);
    // Writes beyond any size limit fail with an error the tool reports;
    // Windows has no signal for them, so nothing else is needed here.
}

}  // namespace platform
