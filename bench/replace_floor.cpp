// What a silent replace run costs the system, without the conversion: every
// file of the tree below the current directory is opened and looked at,
// copied whole into a result made beside it as the tool makes it (read up to
// the size the look gave), given the input's attributes, and renamed over
// it, through the same platform layer as the tool. bench/run.sh times
// it beside txt2vb, so that the per-file figure shows how much of it is the
// system's and how much the conversion and the driver add.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/descriptors.h"
#include "platform/file_location.h"
#include "platform/file_ops.h"
#include "platform/file_search.h"
#include "platform/working_files.h"

namespace {

const platform::FileLocation kHere{"."};

bool copyOverItself(const platform::FileLocation& directory, const platform::DirectoryEntry& entry) {
    const platform::FileLocation& file = entry.location;
    int in = platform::openInput(file, true);
    platform::FileFacts input;
    if (in < 0 || !platform::describeDescriptor(in, input)) return false;
    platform::FileFacts made;
    const platform::FileLocation temporary = platform::locateName(directory, platform::resultNameFor(entry.name));
    int out = platform::createPrivateFile(temporary, made);
    if (out < 0) return false;
    static char buffer[1 << 16];
    long got;
    bool ok = true;
    std::int64_t left = input.size;
    while (ok && (got = platform::readSome(in, buffer, sizeof buffer)) > 0) {
        ok = platform::writeAll(out, buffer, static_cast<std::size_t>(got));
        left -= got;
        if (left == 0 && static_cast<std::size_t>(got) < sizeof buffer) break;
    }
    // Whether another process wrote to the input meanwhile.
    platform::FileFacts now;
    ok = ok && got >= 0 && platform::describeDescriptor(in, now) && now.size == input.size;
    ok = ok && platform::copyAttributes(out, made, in, input);
    platform::closeDescriptor(in);
    ok = platform::closeDescriptorChecked(out) && ok;
    return ok && platform::renameIfSame(temporary, made.identity, file, input.identity);
}

bool walk(const platform::FileLocation& directory) {
    std::vector<platform::DirectoryEntry> entries;
    if (!platform::findFiles(directory, "*", entries)) return false;
    for (const platform::DirectoryEntry& entry : entries) {
        if (entry.isDirectory ? !walk(entry.location) : !copyOverItself(directory, entry)) {
            std::fprintf(stderr, "replace_floor: %s failed\n", entry.location.native.c_str());
            return false;
        }
    }
    return true;
}

}  // namespace

int main() { return walk(kHere) ? 0 : 1; }
