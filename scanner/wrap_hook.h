// The end-of-input hook: what the engine asks each time its input is
// exhausted. Non-zero means that no further input follows and the scan
// ends; 0 means that the input has been renewed and scanning goes on.
// Until the layer that frames a scan puts its own function in place, no
// further input ever follows.
#pragma once

extern int (*yy_wrap_hook)();

// Puts `hook` in place (null: no further input ever follows).
void yy_set_wrap_hook(int (*hook)());
