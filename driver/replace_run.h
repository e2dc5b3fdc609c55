// What a replace run holds from its start to its end: the lock on its
// working directory, its temporary result, and the files it has replaced.
#pragma once

#include <string>

#include "platform/file_identity.h"
#include "platform/file_location.h"
#include "platform/working_files.h"

// Takes the working directory's lock (waiting for another run that holds
// it) and clears the temporary result's name, before any input is opened.
// A link or anything but a plain file under either name ends the run with
// ExitStatus::OutputFailed.
void beginReplaceRun();
// Removes the lock file and lets another run go on.
void endReplaceRun();

// True for a file this run has already replaced or made: each file is
// replaced at most once, whatever the specifications' overlap.
bool replacedThisRun(const platform::FileIdentity& identity);
// True for the run's own working files.
bool isWorkingFile(const platform::FileIdentity& identity);

// Creates the temporary result for the input `input` describes, open to
// no one the result in place would not be open to, and tells what it is in
// `made`; ends the run with ExitStatus::OutputFailed when it cannot.
int createTempResult(const platform::FileFacts& input, platform::FileFacts& made);
// Removes the temporary result after a failure.
void discardTempResult();
// Puts the closed temporary result at `target`: over the input itself when
// `overInput`, else under a new name that must still be free. False (errno
// set) when it could not.
bool placeTempResult(const platform::FileLocation& target, const platform::FileIdentity& input, bool overInput);

// Under -e, where the result of an input in `directory` goes: `target` and
// `overInput` stay as they are (the input itself) when the new name finds
// the input, else they name the free new name. False when the new name
// finds another file, a result of this run or a working file.
bool chooseTarget(const platform::FileLocation& directory, const std::string& newBase,
                  const platform::FileIdentity& input, platform::FileLocation& target, bool& overInput);
