// Files the process made for itself and must not leave behind, however it
// ends: a normal return, any exit status, or an interrupting signal (on
// POSIX SIGINT, SIGTERM and SIGHUP; on Windows the console's Ctrl-C and
// close events). Only a kill that cannot be caught leaves them.
#pragma once

#include "platform/file_identity.h"
#include "platform/file_location.h"

namespace platform {

// Removes `name` when the process ends, while it still is the file
// `identity` names. Returns a slot for keepAtExit, or -1 when every slot is
// taken (the file is then merely not removed).
int removeAtExit(const FileLocation& name, const FileIdentity& identity);

// For a file the process is about to create under `name`, registered
// before the creation so that no moment is left in which the new file
// would stay behind. Until identifyAtExit() gives its identity, what stands
// under the name is removed only while it looks as the creation leaves it:
// an empty plain file with one link, owned by the process's user, with no
// permission bit outside `mode`, the permissions the creation asks for
// (where the system has them). Returns a slot as removeAtExit does.
int removeNewAtExit(const FileLocation& name, unsigned mode = 0600);
// The file of `slot`, registered by removeNewAtExit(), now exists as
// `identity`.
void identifyAtExit(int slot, const FileIdentity& identity);

// The file of `slot` is no longer the process's to remove (it took an
// input's place, or is already gone).
void keepAtExit(int slot);

}  // namespace platform
