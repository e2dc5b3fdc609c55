// The Windows API headers, without the min and max macros (they would
// replace std::min and std::max) and without the rarely used parts.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
