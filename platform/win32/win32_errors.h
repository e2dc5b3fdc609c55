// Translation of Win32 error codes into the runtime's errno values, so that a
// failure of a system call is reported with the same messages as a failure
// of a runtime call.
#pragma once

namespace platform {
namespace win32 {

// The errno value closest to a Win32 error code (GetLastError()).
int errnoFromError(unsigned long error);

// Sets errno from a Win32 error code.
void setErrnoFromError(unsigned long error);

}  // namespace win32
}  // namespace platform
