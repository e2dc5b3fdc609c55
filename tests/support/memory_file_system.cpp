#include "support/memory_file_system.h"

#include <algorithm>
#include <cerrno>

#include "platform/descriptors.h"
#include "platform/names.h"
#include "support/scratch_files.h"

namespace {

// "a\\b/./c" becomes "a/b/c"; "." and "" become "".
std::string normalised(const std::string& path) {
    std::string result;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find_first_of("\\/", start);
        if (end == std::string::npos) end = path.size();
        const std::string part = path.substr(start, end - start);
        if (!part.empty() && part != ".") result += (result.empty() ? "" : "/") + part;
        start = end + 1;
    }
    return result;
}

std::string joined(const std::string& directory, const std::string& name) {
    return directory.empty() ? name : directory + "/" + name;
}

}  // namespace

MemoryFileSystem::MemoryFileSystem() { add("", Kind::Directory); }

MemoryFileSystem::Node& MemoryFileSystem::add(const std::string& path, Kind kind) {
    Node& made = nodes_[normalised(path)];
    made = Node();
    made.kind = kind;
    made.identity.exists = true;
    made.identity.device = 0x7e57;  // no real device has this number
    made.identity.inode = nextInode_++;
    return made;
}

void MemoryFileSystem::addDirectory(const std::string& path) { add(path, Kind::Directory); }

void MemoryFileSystem::addFile(const std::string& path, const std::string& contents, bool readOnly) {
    Node& file = add(path, Kind::File);
    file.contents = contents;
    file.readOnly = readOnly;
}

void MemoryFileSystem::addLink(const std::string& path, const std::string& target) {
    add(path, Kind::Link).target = normalised(target);
}

void MemoryFileSystem::addSpecial(const std::string& path) { add(path, Kind::Special); }

void MemoryFileSystem::addVanishing(const std::string& path) { add(path, Kind::File).vanishes = true; }

MemoryFileSystem::Node* MemoryFileSystem::node(const std::string& path) {
    auto found = nodes_.find(normalised(path));
    return found == nodes_.end() ? nullptr : &found->second;
}

void MemoryFileSystem::setDescriptorFile(int descriptor, const std::string& path) {
    descriptorFiles_[descriptor] = normalised(path);
}

std::string MemoryFileSystem::reachedPath(const std::string& path) {
    std::string current = normalised(path);
    for (int hops = 0; hops < 8; ++hops) {
        Node* at = node(current);
        if (at == nullptr || at->kind != Kind::Link) return current;
        current = at->target;
    }
    return std::string("\x01");  // a loop of links reaches nothing
}

MemoryFileSystem::Node* MemoryFileSystem::reached(const std::string& path) {
    Node* at = node(reachedPath(path));
    return at != nullptr && !at->vanishes ? at : nullptr;
}

// As on POSIX, a component no name matches exactly finds one equal to it
// ignoring ASCII case.
platform::FileLocation MemoryFileSystem::locatePath(const std::string& path) {
    std::string found;
    const std::string whole = normalised(path);
    std::size_t start = 0;
    while (start < whole.size()) {
        std::size_t end = whole.find('/', start);
        if (end == std::string::npos) end = whole.size();
        std::string part = whole.substr(start, end - start);
        if (node(joined(found, part)) == nullptr) {
            const std::string prefix = found.empty() ? found : found + "/";
            for (const auto& item : nodes_) {
                const std::string& other = item.first;
                const std::string wanted = prefix + part;
                if (other.compare(0, prefix.size(), prefix) == 0 && platform::equalIgnoringCase(other, wanted.c_str()))
                    part = other.substr(prefix.size());
            }
        }
        found = joined(found, part);
        start = end + 1;
    }
    return platform::FileLocation(found);
}

platform::FileLocation MemoryFileSystem::locateExactDirectory(const std::string& directory) {
    return platform::FileLocation(normalised(directory));
}

bool MemoryFileSystem::openDirectory(platform::FileLocation& location, bool followLinks) {
    calls.push_back("opendir " + location.native);
    Node* at = node(location.native);
    if (at != nullptr && at->kind == Kind::Link && !followLinks) {
        errno = ELOOP;
        return false;
    }
    at = reached(location.native);
    if (at == nullptr) {
        errno = ENOENT;
        return false;
    }
    if (at->kind != Kind::Directory) {
        errno = ENOTDIR;
        return false;
    }
    return true;
}

void MemoryFileSystem::fillFacts(platform::DirectoryEntry& entry, const Node& file) {
    entry.isReadOnly = file.readOnly;
    entry.size = static_cast<std::int64_t>(file.contents.size());
    entry.identity = file.identity;
    entry.isRegular = file.kind == Kind::File;
    entry.described = true;
}

platform::DirectoryEntry MemoryFileSystem::entryFor(const std::string& directory, const std::string& name) {
    platform::DirectoryEntry entry;
    const std::string path = joined(directory, name);
    entry.name = name;
    entry.location = platform::FileLocation(path);
    entry.isLink = node(path)->kind == Kind::Link;
    const Node* target = node(reachedPath(path));
    if (target != nullptr) {
        entry.isDirectory = target->kind == Kind::Directory;
        entry.isRegular = target->kind == Kind::File;
        if (describesEntries && !target->vanishes) fillFacts(entry, *target);
    }
    return entry;
}

bool MemoryFileSystem::findFiles(const platform::FileLocation& directory, const std::string& pattern,
                                 std::vector<platform::DirectoryEntry>& entries, bool) {
    const std::string dir = reachedPath(directory.native);
    calls.push_back("list " + dir + " " + pattern);
    entries.clear();
    std::vector<std::string> names;
    for (const auto& item : nodes_) {
        const std::string& path = item.first;
        if (path.empty()) continue;
        const std::size_t slash = path.rfind('/');
        const std::string parent = slash == std::string::npos ? "" : path.substr(0, slash);
        const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        if (parent == dir && platform::wildcardMatch(pattern.c_str(), name.c_str())) names.push_back(name);
    }
    std::sort(names.begin(), names.end(), platform::nameLess);
    for (const std::string& name : names) entries.push_back(entryFor(dir, name));
    return true;
}

bool MemoryFileSystem::findExactName(const platform::FileLocation& directory, const std::string& name,
                                     std::vector<platform::DirectoryEntry>& entries) {
    const std::string dir = reachedPath(directory.native);
    calls.push_back("exact " + dir + " " + name);
    entries.clear();
    if (node(joined(dir, name)) == nullptr) return true;
    const bool whole = describesEntries;
    describesEntries = true;
    entries.push_back(entryFor(dir, name));
    describesEntries = whole;
    return true;
}

bool MemoryFileSystem::describeEntry(platform::DirectoryEntry& entry) {
    calls.push_back("describe " + entry.location.native);
    const Node* file = reached(entry.location.native);
    if (file == nullptr) {
        errno = ENOENT;
        return false;
    }
    fillFacts(entry, *file);
    return true;
}

int MemoryFileSystem::openInput(const platform::FileLocation& location, bool, bool followLinks) {
    calls.push_back("open " + location.native);
    const Node* at = node(location.native);
    if (at != nullptr && at->kind == Kind::Link && !followLinks) {
        errno = ELOOP;
        return -1;
    }
    at = reached(location.native);
    if (at == nullptr) {
        errno = ENOENT;
        return -1;
    }
    if (at->kind == Kind::Directory) {
        errno = EISDIR;
        return -1;
    }
    const int descriptor = temporaryFileWith(at->contents);
    if (descriptor >= 0) open_[descriptor] = reachedPath(location.native);
    return descriptor;
}

bool MemoryFileSystem::describeDescriptor(int descriptor, platform::FileFacts& facts) {
    auto found = open_.find(descriptor);
    const Node* file = found == open_.end() ? nullptr : node(found->second);
    if (file == nullptr) {
        errno = EBADF;
        return false;
    }
    facts = platform::FileFacts();
    facts.identity = file->identity;
    facts.isRegular = file->kind == Kind::File;
    facts.size = static_cast<std::int64_t>(file->contents.size());
    facts.mode = file->readOnly ? 0444u : 0644u;
    return true;
}

void MemoryFileSystem::closeDescriptor(int descriptor) {
    auto found = open_.find(descriptor);
    if (found == open_.end()) return;
    calls.push_back("close " + found->second);
    open_.erase(found);
    platform::closeDescriptor(descriptor);
}

platform::FileIdentity MemoryFileSystem::fileIdentity(const platform::FileLocation& location) {
    const Node* file = reached(location.native);
    return file == nullptr ? platform::FileIdentity() : file->identity;
}

platform::FileIdentity MemoryFileSystem::descriptorIdentity(int descriptor) {
    auto found = descriptorFiles_.find(descriptor);
    if (found == descriptorFiles_.end()) return platform::FileIdentity();
    const Node* file = node(found->second);
    return file == nullptr ? platform::FileIdentity() : file->identity;
}

bool MemoryFileSystem::asked(const std::string& line) {
    calls.push_back(line);
    const std::string word = line.substr(0, line.find(' '));
    if (std::find(failing.begin(), failing.end(), word) == failing.end() &&
        std::find(failing.begin(), failing.end(), line) == failing.end())
        return true;
    errno = word == "closed" ? ENOSPC : EACCES;
    return false;
}

std::string MemoryFileSystem::pathOf(const platform::FileIdentity& identity) const {
    for (const auto& item : nodes_)
        if (item.second.identity == identity) return item.first;
    return std::string("\x01");
}

std::map<std::string, std::string> MemoryFileSystem::files() const {
    std::map<std::string, std::string> all;
    for (const auto& item : nodes_)
        if (item.second.kind == Kind::File && !item.second.vanishes) all[item.first] = item.second.contents;
    return all;
}

// As on POSIX: only '/' divides an argument given exactly.
platform::ExactPath MemoryFileSystem::examineExactPath(const std::string& path) {
    platform::ExactPath exact;
    if (path.empty() || node(path) == nullptr || path.find('\\') != std::string::npos) return exact;
    exact.exists = true;
    const Node* target = reached(path);
    exact.isDirectory = target != nullptr && target->kind == Kind::Directory;
    const std::size_t slash = path.find_last_of('/');
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    exact.directory = path.substr(0, start);
    exact.name = path.substr(start);
    return exact;
}

platform::FileLocation MemoryFileSystem::locateName(const platform::FileLocation& directory, const std::string& name) {
    return platform::FileLocation(joined(reachedPath(directory.native), name));
}

// As the real one, it reads a directory's names once, at the first name
// asked for.
bool MemoryFileSystem::findName(const platform::FileLocation& directory, const std::string& name,
                                platform::FileLocation& found) {
    const std::string dir = reachedPath(directory.native);
    auto listed = namesRead_.find(dir);
    if (listed == namesRead_.end()) {
        const std::string prefix = dir.empty() ? dir : dir + "/";
        std::vector<std::string> names;
        for (const auto& item : nodes_) {
            const std::string& path = item.first;
            if (!path.empty() && path.compare(0, prefix.size(), prefix) == 0 &&
                path.find('/', prefix.size()) == std::string::npos)
                names.push_back(path.substr(prefix.size()));
        }
        listed = namesRead_.emplace(dir, names).first;
    }
    const std::vector<std::string>& names = listed->second;
    auto match = std::find(names.begin(), names.end(), name);
    if (match == names.end()) {
        match = std::find_if(names.begin(), names.end(),
                             [&](const std::string& n) { return platform::equalIgnoringCase(n, name.c_str()); });
    }
    if (match == names.end()) return false;
    found = platform::FileLocation(joined(dir, *match));
    return true;
}

int MemoryFileSystem::createPrivateFile(const platform::FileLocation& location, platform::FileFacts& made) {
    const std::string path = normalised(location.native);
    if (!asked("create " + path)) return -1;
    if (node(path) != nullptr) {
        errno = EEXIST;
        return -1;
    }
    const int descriptor = temporaryFileWith(std::string());
    if (descriptor < 0) return -1;
    const Node& file = add(path, Kind::File);
    written_[descriptor] = file.identity;
    made = platform::FileFacts();
    made.identity = file.identity;
    made.isRegular = true;
    made.mode = 0600;
    return descriptor;
}

bool MemoryFileSystem::copyAttributes(int descriptor, const platform::FileFacts&, int, const platform::FileFacts&) {
    auto found = written_.find(descriptor);
    return asked("attributes " + (found == written_.end() ? std::string("?") : pathOf(found->second)));
}

bool MemoryFileSystem::closeWritten(int descriptor) {
    auto found = written_.find(descriptor);
    if (found == written_.end()) {
        errno = EBADF;
        return false;
    }
    const std::string path = pathOf(found->second);
    std::string contents;
    char block[4096];
    long n = 0;
    seekTo(descriptor, 0);
    while ((n = platform::readSome(descriptor, block, sizeof block)) > 0) contents.append(block, std::size_t(n));
    written_.erase(found);
    platform::closeDescriptor(descriptor);
    if (!asked("closed " + path)) return false;
    if (Node* file = node(path)) file->contents = contents;
    return true;
}

bool MemoryFileSystem::removeIfSame(const platform::FileLocation& location, const platform::FileIdentity& identity) {
    const std::string path = normalised(location.native);
    if (!asked("remove " + path)) return false;
    const Node* at = node(path);
    if (at == nullptr || !(at->identity == identity)) {
        errno = ENOENT;
        return false;
    }
    nodes_.erase(path);
    return true;
}

bool MemoryFileSystem::renameIfSame(const platform::FileLocation& source, const platform::FileIdentity& identity,
                                    const platform::FileLocation& target, bool replaceExisting) {
    const std::string from = normalised(source.native);
    const std::string to = normalised(target.native);
    if (!asked("rename " + from + " " + to)) return false;
    const Node* at = node(from);
    if (at == nullptr || !(at->identity == identity)) {
        errno = ENOENT;
        return false;
    }
    if (!replaceExisting && node(to) != nullptr) {
        errno = EEXIST;
        return false;
    }
    const Node moved = *at;
    nodes_.erase(from);
    nodes_[to] = moved;
    return true;
}
