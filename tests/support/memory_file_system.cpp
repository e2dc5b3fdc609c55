#include "support/memory_file_system.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "platform/names.h"

namespace {

std::string joined(const std::string& directory, const std::string& name) {
    return directory.empty() ? name : directory + "/" + name;
}

class MemoryInput final : public Input {
public:
    MemoryInput(MemoryFileSystem& files, std::string bytes, platform::FileFacts facts, bool failsToRead,
                std::string path = "-")
        : files_(files), path_(std::move(path)), bytes_(std::move(bytes)), facts_(facts), failsToRead_(failsToRead) {
        ++files_.openInputs;
    }
    ~MemoryInput() override { --files_.openInputs; }
    long read(char* into, std::size_t capacity) override {
        const std::vector<std::string>& failing = files_.failing;
        if (std::find(failing.begin(), failing.end(), "memory") != failing.end()) throw std::bad_alloc();
        const std::size_t count = std::min(capacity, bytes_.size() - next_);
        // A read that fails comes once the bytes are delivered.
        if (count == 0 && failsToRead_) {
            errno = EIO;
            return -1;
        }
        std::memcpy(into, bytes_.data() + next_, count);
        next_ += count;
        return static_cast<long>(count);
    }
    const platform::FileFacts& facts() const override { return facts_; }
    // "unchanged PATH": another process wrote to the file while it was read.
    bool unchanged() const override { return files_.asked("unchanged " + path_); }

private:
    MemoryFileSystem& files_;
    std::string path_;
    std::string bytes_;
    platform::FileFacts facts_;
    bool failsToRead_;
    std::size_t next_ = 0;
};

// Writes into a node's contents as they come; "write PATH" fails them.
class NodeSink final : public platform::ByteSink {
public:
    NodeSink(MemoryFileSystem& files, std::string path) : files_(files), path_(std::move(path)) {}
    bool write(const char* data, std::size_t length) override {
        MemoryFileSystem::Node* node = files_.node(path_);
        if (node == nullptr || !files_.asked("write " + path_)) return false;
        node->contents.append(data, length);
        return true;
    }

private:
    MemoryFileSystem& files_;
    std::string path_;
};

class MemoryAppend final : public AppendTarget {
public:
    MemoryAppend(MemoryFileSystem& files, std::string path, std::size_t start)
        : files_(files), path_(std::move(path)), start_(start), sink_(files, path_) {}
    platform::ByteSink& sink() override { return sink_; }
    bool close(platform::SystemError& error) override {
        if (files_.asked("closed " + path_)) return true;
        // A close that fails may have lost what was written: the file is
        // cut back, as the real one is through a second descriptor.
        error = platform::SystemError::last("close");
        cutBack();
        return false;
    }
    void cutBack() override {
        files_.calls.push_back("cut back " + path_);
        if (MemoryFileSystem::Node* node = files_.node(path_)) node->contents.resize(start_);
    }

private:
    MemoryFileSystem& files_;
    std::string path_;
    std::size_t start_;
    NodeSink sink_;
};

class MemoryReplacement final : public Replacement {
public:
    MemoryReplacement(MemoryFileSystem& files, std::string path, platform::FileIdentity identity)
        : files_(files), path_(path), identity_(identity), sink_(files, path) {}
    ~MemoryReplacement() override { discard(); }
    platform::ByteSink& sink() override { return sink_; }
    platform::FileIdentity identity() const override { return placed_ ? platform::FileIdentity() : identity_; }
    bool complete(Input&, platform::SystemError& error) override {
        if (files_.asked("attributes " + path_) && files_.asked("closed " + path_)) return true;
        error = platform::SystemError::last("complete");
        return false;
    }
    bool place(const platform::FileLocation& target, const platform::FileIdentity& input,
               platform::SystemError& error) override {
        if (!files_.asked("rename " + path_ + " " + target.native)) {
            error = platform::SystemError::last("rename");
            return false;
        }
        // Only while the working name holds the result, and never over
        // another file than the input.
        MemoryFileSystem::Node* at = files_.node(target.native);
        MemoryFileSystem::Node* made = files_.node(path_);
        const bool targetAsExpected = input.exists ? at != nullptr && at->identity == input : at == nullptr;
        if (made == nullptr || made->identity != identity_ || !targetAsExpected) {
            error = platform::SystemError{input.exists || made == nullptr ? ENOENT : EEXIST, "rename"};
            return false;
        }
        MemoryFileSystem::Node moved = *made;
        files_.remove(path_);
        files_.add(target.native, MemoryFileSystem::Kind::File) = moved;
        placed_ = true;
        placedAt_ = target.native;
        return true;
    }
    bool removeInput(const platform::FileLocation& location, const platform::FileIdentity& input,
                     platform::SystemError& error) override {
        MemoryFileSystem::Node* at = files_.node(location.native);
        if (files_.asked("remove " + location.native) && at != nullptr && at->identity == input) {
            files_.remove(location.native);
            return true;
        }
        error = platform::SystemError{errno == 0 ? ENOENT : errno, "remove"};
        MemoryFileSystem::Node* result = files_.node(placedAt_);
        if (result != nullptr && result->identity == identity_) files_.remove(placedAt_);
        return false;
    }
    void discard() override {
        if (placed_) return;
        MemoryFileSystem::Node* made = files_.node(path_);
        if (made != nullptr && made->identity == identity_) {
            files_.calls.push_back("remove " + path_);
            files_.remove(path_);
        }
    }

private:
    MemoryFileSystem& files_;
    std::string path_;
    platform::FileIdentity identity_;
    NodeSink sink_;
    bool placed_ = false;
    std::string placedAt_;
};

class MemoryLock final : public RunLock {
public:
    explicit MemoryLock(platform::FileIdentity identity) : identity_(identity) {}
    platform::FileIdentity identity() const override { return identity_; }

private:
    platform::FileIdentity identity_;
};

}  // namespace

std::string normalisedPath(const std::string& path, bool backslashSeparates) {
    std::string result;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find_first_of(backslashSeparates ? "\\/" : "/", start);
        if (end == std::string::npos) end = path.size();
        const std::string part = path.substr(start, end - start);
        if (!part.empty() && part != ".") result += (result.empty() ? "" : "/") + part;
        start = end + 1;
    }
    return result;
}

MemoryFileSystem::MemoryFileSystem() { add("", Kind::Directory); }

MemoryFileSystem::Node& MemoryFileSystem::add(const std::string& path, Kind kind) {
    Node& made = nodes_[normalisedPath(path)];
    made = Node();
    made.kind = kind;
    made.identity = platform::FileIdentity{true, 0x7e57, nextInode_++};
    return made;
}

void MemoryFileSystem::addDirectory(const std::string& path) { add(path, Kind::Directory); }

void MemoryFileSystem::addFile(const std::string& path, const std::string& contents, bool readOnly) {
    Node& file = add(path, Kind::File);
    file.contents = contents;
    file.readOnly = readOnly;
}

void MemoryFileSystem::addLink(const std::string& path, const std::string& target) {
    add(path, Kind::Link).target = normalisedPath(target);
}

void MemoryFileSystem::addSpecial(const std::string& path) { add(path, Kind::Special); }

void MemoryFileSystem::addVanishing(const std::string& path) { add(path, Kind::File).vanishes = true; }

void MemoryFileSystem::setDescriptorFile(int descriptor, const std::string& path) {
    descriptorFiles_[descriptor] = normalisedPath(path);
}

MemoryFileSystem::Node* MemoryFileSystem::node(const std::string& path) {
    auto at = nodes_.find(normalisedPath(path));
    return at == nodes_.end() ? nullptr : &at->second;
}

MemoryFileSystem::Node* MemoryFileSystem::reached(const std::string& path) {
    Node* at = node(path);
    for (int hops = 0; at != nullptr && at->kind == Kind::Link && hops < 8; ++hops) at = node(at->target);
    return at != nullptr && at->kind != Kind::Link && !at->vanishes ? at : nullptr;
}

std::string MemoryFileSystem::pathOf(const platform::FileIdentity& identity) const {
    for (const auto& [path, node] : nodes_) {
        if (node.identity == identity) return path;
    }
    return "";
}

std::string MemoryFileSystem::found(const std::string& path) {
    const std::string whole = normalisedPath(path, true);
    std::string at;
    std::size_t start = 0;
    while (start < whole.size()) {
        std::size_t end = whole.find('/', start);
        if (end == std::string::npos) end = whole.size();
        const std::string name = whole.substr(start, end - start);
        std::string next = joined(at, name);
        // A component not found as written is looked for ignoring case.
        for (auto entry = nodes_.begin(); node(next) == nullptr && entry != nodes_.end(); ++entry) {
            const std::string& candidate = entry->first;
            const std::size_t slash = candidate.rfind('/');
            const std::string parent = slash == std::string::npos ? "" : candidate.substr(0, slash);
            const std::string base = candidate.substr(slash == std::string::npos ? 0 : slash + 1);
            if (!candidate.empty() && parent == at && platform::equalIgnoringCase(base, name.c_str())) next = candidate;
        }
        at = next;
        start = end + 1;
    }
    return at;
}

bool MemoryFileSystem::asked(const std::string& line) {
    calls.push_back(line);
    const std::string word = line.substr(0, line.find(' '));
    for (const std::string& failure : failing) {
        if (failure == line || failure == word) {
            errno = word == "closed" || word == "write" ? ENOSPC : EACCES;
            return false;
        }
    }
    errno = 0;
    return true;
}

std::map<std::string, std::string> MemoryFileSystem::files() const {
    std::map<std::string, std::string> all;
    for (const auto& [path, node] : nodes_) {
        if (node.kind == Kind::File && !node.vanishes) all[path] = node.contents;
    }
    return all;
}

platform::ExactPath MemoryFileSystem::examineArgument(const std::string& path) {
    platform::ExactPath exact;
    Node* at = node(path);
    Node* target = reached(path);
    // A final '/' names a directory, as the system reads it.
    const bool directory = target != nullptr && target->kind == Kind::Directory;
    if (at == nullptr || at->vanishes || (!path.empty() && path.back() == '/' && !directory)) return exact;
    exact.exists = true;
    exact.isDirectory = target != nullptr && target->kind == Kind::Directory;
    const std::size_t slash = path.rfind('/');
    exact.directory = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    exact.name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    return exact;
}

platform::FileLocation MemoryFileSystem::openDirectory(const std::string& path, bool exactly) {
    return platform::FileLocation(exactly ? normalisedPath(path) : found(path));
}

bool MemoryFileSystem::openSubdirectory(platform::FileLocation& location, platform::SystemError& error) {
    Node* at = node(location.native);
    if (at != nullptr && at->kind == Kind::Directory) return true;
    error = platform::SystemError{at == nullptr ? ENOENT : at->kind == Kind::Link ? ELOOP : ENOTDIR, "opendir"};
    return false;
}

void MemoryFileSystem::fillFacts(platform::DirectoryEntry& entry, const Node& file) const {
    entry.isDirectory = file.kind == Kind::Directory;
    entry.isRegular = file.kind == Kind::File;
    entry.isReadOnly = file.readOnly;
    entry.size = static_cast<std::int64_t>(file.contents.size());
    entry.identity = file.identity;
    entry.described = true;
}

bool MemoryFileSystem::list(const platform::FileLocation& directory, const std::string& pattern, Listing listing,
                            std::vector<platform::DirectoryEntry>& entries, platform::SystemError& error) {
    entries.clear();
    if (!asked("list " + directory.native + " " + pattern)) {
        error = platform::SystemError::last("readdir");
        return false;
    }
    const std::string prefix = directory.native.empty() ? "" : directory.native + "/";
    for (const auto& [path, file] : nodes_) {
        if (path.empty() || path.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string name = path.substr(prefix.size());
        if (name.find('/') != std::string::npos) continue;
        const bool matches =
            listing == Listing::ExactName ? name == pattern : platform::wildcardMatch(pattern.c_str(), name.c_str());
        if (!matches) continue;
        platform::DirectoryEntry entry;
        entry.name = name;
        entry.location = platform::FileLocation(path);
        entry.isLink = file.kind == Kind::Link;
        const Node* target = reached(path);
        entry.isDirectory = target != nullptr && target->kind == Kind::Directory;
        entry.isRegular = target != nullptr ? target->kind == Kind::File : !entry.isLink;
        if ((describesEntries || listing == Listing::ExactName) && target != nullptr) {
            const bool isLink = entry.isLink;
            fillFacts(entry, *target);
            entry.isLink = isLink;
        }
        if (listing == Listing::Directories && !entry.isDirectory) continue;
        entries.push_back(entry);
    }
    std::sort(entries.begin(), entries.end(), [](const platform::DirectoryEntry& a, const platform::DirectoryEntry& b) {
        return platform::nameLess(a.name, b.name);
    });
    return true;
}

bool MemoryFileSystem::describe(platform::DirectoryEntry& entry, platform::SystemError& error) {
    calls.push_back("describe " + entry.location.native);
    Node* target = reached(entry.location.native);
    if (target == nullptr) {
        error = platform::SystemError{ENOENT, "stat"};
        return false;
    }
    fillFacts(entry, *target);
    entry.isLink = node(entry.location.native)->kind == Kind::Link;
    return true;
}

bool MemoryFileSystem::findName(const platform::FileLocation& directory, const std::string& name,
                                platform::FileLocation& found) {
    // A directory's names are read once a run, as the machine's lookup does.
    auto read = namesRead_.find(directory.native);
    if (read == namesRead_.end()) {
        std::vector<platform::DirectoryEntry> entries;
        platform::SystemError error;
        list(directory, "*", Listing::Matching, entries, error);
        calls.pop_back();
        std::vector<std::string> names;
        for (const platform::DirectoryEntry& entry : entries) names.push_back(entry.name);
        read = namesRead_.emplace(directory.native, names).first;
    }
    const std::vector<std::string>& names = read->second;
    auto exact = std::find(names.begin(), names.end(), name);
    auto any = exact != names.end() ? exact : std::find_if(names.begin(), names.end(), [&](const std::string& n) {
        return platform::equalIgnoringCase(n, name.c_str());
    });
    if (any == names.end()) return false;
    found = platform::FileLocation(joined(directory.native, *any));
    return true;
}

platform::FileLocation MemoryFileSystem::locateName(const platform::FileLocation& directory, const std::string& name) {
    return platform::FileLocation(joined(directory.native, name));
}

platform::FileIdentity MemoryFileSystem::identify(const platform::FileLocation& location) {
    Node* at = reached(location.native);
    return at != nullptr ? at->identity : platform::FileIdentity();
}

platform::FileIdentity MemoryFileSystem::identifyPath(const std::string& path) {
    return identify(platform::FileLocation(found(path)));
}

platform::FileIdentity MemoryFileSystem::identifyStandard(int descriptor) {
    auto at = descriptorFiles_.find(descriptor);
    return at == descriptorFiles_.end() ? platform::FileIdentity() : identify(platform::FileLocation(at->second));
}

std::unique_ptr<Input> MemoryFileSystem::openInput(const platform::FileLocation& location, bool, bool followLinks,
                                                   platform::SystemError& error) {
    Node* at = node(location.native);
    Node* target = reached(location.native);
    if (!asked("open " + location.native) || at == nullptr || target == nullptr ||
        (!followLinks && at->kind == Kind::Link)) {
        const int number = errno != 0                                                ? errno
                           : at != nullptr && at->kind == Kind::Link && !followLinks ? ELOOP
                                                                                     : ENOENT;
        error = platform::SystemError{number, "open"};
        return nullptr;
    }
    platform::FileFacts facts;
    facts.identity = target->identity;
    facts.isRegular = target->kind == Kind::File;
    facts.size = static_cast<std::int64_t>(target->contents.size());
    facts.mode = target->readOnly ? 0444 : 0644;
    return std::make_unique<MemoryInput>(*this, target->contents, facts, target->kind == Kind::Directory,
                                         location.native);
}

std::unique_ptr<Input> MemoryFileSystem::openStandardInput(platform::SystemError& error) {
    if (standardInputClosed) {
        error = platform::SystemError{EBADF, "read(0)"};
        return nullptr;
    }
    const bool fails = !asked("open -");
    platform::FileFacts facts;
    auto file = descriptorFiles_.find(0);
    if (file != descriptorFiles_.end()) {
        Node* target = reached(file->second);
        facts.identity = target->identity;
        facts.isRegular = true;
        facts.size = static_cast<std::int64_t>(target->contents.size());
        return std::make_unique<MemoryInput>(*this, target->contents, facts, fails);
    }
    return std::make_unique<MemoryInput>(*this, standardInput, facts, fails);
}

std::unique_ptr<AppendTarget> MemoryFileSystem::openAppendTarget(const std::string& path,
                                                                 platform::SystemError& error) {
    const std::string at = found(path);
    if (!asked("append " + at)) {
        error = platform::SystemError::last("open");
        return nullptr;
    }
    if (node(at) == nullptr) addFile(at);
    std::string& contents = node(at)->contents;
    // An existing file's one final 0x1A goes, as a text-mode append does.
    if (!contents.empty() && contents.back() == '\x1A') contents.pop_back();
    return std::make_unique<MemoryAppend>(*this, at, contents.size());
}

std::unique_ptr<RunLock> MemoryFileSystem::takeLock(std::string& why) {
    if (std::find(failing.begin(), failing.end(), "unwritable") != failing.end()) {
        calls.push_back("lock");
        why.clear();
        return nullptr;
    }
    if (!asked("lock")) {
        why = std::string(platform::kLockFileName) + ": " + std::strerror(errno);
        return nullptr;
    }
    return std::make_unique<MemoryLock>(platform::FileIdentity{true, 0x7e57, 0});
}

std::unique_ptr<Replacement> MemoryFileSystem::beginReplacement(const platform::FileLocation& directory,
                                                                const std::string& inputName,
                                                                platform::SystemError& error) {
    const std::string path = joined(directory.native, platform::resultNameFor(inputName));
    if (!asked("create " + path)) {
        error = platform::SystemError::last("create");
        return nullptr;
    }
    Node& made = add(path, Kind::File);
    return std::make_unique<MemoryReplacement>(*this, path, made.identity);
}
