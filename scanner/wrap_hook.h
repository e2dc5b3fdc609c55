// The end-of-input hook: what the engine asks each time its input is
// exhausted. Non-zero means that no further input follows and the scan
// ends; 0 means that the input has been renewed and scanning goes on.
// The scanner only declares it; the layer that frames a scan defines it
// with its own function (the scan frame's wrapHook).
#pragma once

extern int (*yy_wrap_hook)();
