// What a replace run holds from its start to its end: the lock on its
// working directory, the result under way, and the results it has made.
#pragma once

#include <string>

#include "driver/failure.h"
#include "platform/file_identity.h"
#include "platform/file_location.h"
#include "platform/working_files.h"

// Takes the working directory's lock (waiting for another run that holds
// it), before any input is opened. A link or anything but a plain file
// under the lock's name is a failure (ExitStatus::OutputFailed).
Failure beginReplaceRun();
// Removes the lock file and lets another run go on.
void endReplaceRun();

// Forgets the results made and names taken, for a run that starts anew.
void forgetResults();

// True for a result this run has made: each file is replaced at most once,
// whatever the specifications' overlap. Inputs are not counted, so every
// name of a file with several links is converted.
bool replacedThisRun(const platform::FileIdentity& identity);
// True for the run's own working files: its lock and the result under way.
bool isWorkingFile(const platform::FileIdentity& identity);

// Creates the result for the input `inputName` of `directory`, beside it
// under a fresh working name, readable and writable by its owner only: its
// descriptor in `fd`, what it is in `made`, or the failure
// (ExitStatus::OutputFailed).
Failure createResult(const platform::FileLocation& directory, const std::string& inputName, int& fd,
                     platform::FileFacts& made);
// Removes the result under way after a failure.
void discardResult();
// Puts the closed result at `target`: over the input itself when
// `newName` is empty, else under that new name of the input's directory,
// which must still be free; only while the result's working name still
// holds the file made. False (errno set) when it could not.
bool placeResult(const platform::FileLocation& target, const std::string& newName);
// Removes the result last put at `target` again, while `target` still holds
// it (its input could not be removed); it no longer counts as a result, but
// its name still counts as taken.
void withdrawResult(const platform::FileLocation& target);

// Under -e, where the result of an input in `directory` goes: `target` and
// `overInput` stay as they are (the input itself) when the new name finds
// the input, else they name the free new name. False when the new name
// finds another file, a name a result of this run was given (in any case)
// or a working file's name.
bool chooseTarget(const platform::FileLocation& directory, const std::string& newBase,
                  const platform::FileIdentity& input, platform::FileLocation& target, bool& overInput);
