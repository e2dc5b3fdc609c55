// Files the process made for itself and must not leave behind, however it
// ends: a normal return, any exit status, or an interrupting signal (on
// POSIX SIGINT, SIGTERM, SIGHUP, and SIGPIPE when a reader of its output
// goes away; on Windows the console's Ctrl-C and close events). Only a
// kill that cannot be caught leaves them. The first registration sets
// this up, before the file it registers exists.
#pragma once

#include "platform/file_identity.h"
#include "platform/file_location.h"

namespace platform {

// Removes `name` when the process ends, while it still is the file
// `identity` names. Returns a slot for keepAtExit, or -1 when every slot is
// taken (the file is then merely not removed).
int removeAtExit(const FileLocation& name, const FileIdentity& identity);

// For a file the process is about to create under `name` with (at most)
// the permission bits `permissions`, registered before the creation so
// that no moment is left in which the new file would stay behind. Until
// identifyAtExit() gives its identity, what stands under the name is
// removed only while it looks as the creation leaves it: an empty plain
// file with one link, owned by the process's user, with no permission
// beyond `permissions`. Returns a slot as removeAtExit does.
int removeNewAtExit(const FileLocation& name, unsigned permissions = 0600);
// The file of `slot`, registered by removeNewAtExit(), now exists as
// `identity`.
void identifyAtExit(int slot, const FileIdentity& identity);

// For the lock file the process is about to open, or create, under `name`.
// It is removed at the end only while no other process holds its lock,
// and, until identifyLockAtExit() gives its identity, only while it looks
// as the creation leaves it (see removeNewAtExit). So a lock file this run
// made goes however the run ends, from its creation on, and one another
// run holds stays, even when this run ends while it waits for it.
int removeLockAtExit(const FileLocation& name);
// The lock file of `slot` is open on `descriptor` as `identity`.
void identifyLockAtExit(int slot, const FileIdentity& identity, int descriptor);

// The file open on `descriptor` (the append file) is cut back to `size`
// bytes however the process ends, until cutBackAtExit is called again with
// a descriptor of -1: what a run appended and did not finish never stays.
// One such file at a time.
void cutBackAtExit(int descriptor, long long size);

// The file of `slot` is no longer the process's to remove (it took an
// input's place, or is already gone).
void keepAtExit(int slot);

}  // namespace platform
