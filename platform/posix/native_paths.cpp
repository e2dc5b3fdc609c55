#include "platform/posix/native_paths.h"

#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

#include "platform/names.h"

namespace platform {

static bool isSeparator(char c) { return c == '\\' || c == '/'; }

// The name under which `component` exists in `directory`: the exact name
// when there is one, else the byte-wise smallest name equal to it ignoring
// case (all such names sort equal ignoring case, so this is the first one
// in case-insensitive order). Kept as written when nothing matches, so a
// file about to be created gets the name the user gave it.
static std::string lookUp(const std::string& directory, const std::string& component) {
    std::string candidate = directory;
    if (candidate.back() != '/') candidate += '/';
    candidate += component;
    struct stat info;
    if (::lstat(candidate.c_str(), &info) == 0) return component;

    DIR* dir = ::opendir(directory.c_str());
    if (dir == nullptr) return component;
    std::string best;
    bool found = false;
    while (const dirent* entry = ::readdir(dir)) {
        if (!equalIgnoringCase(component, entry->d_name)) continue;
        if (component == entry->d_name) {
            best = component;
            found = true;
            break;
        }
        if (!found || std::strcmp(entry->d_name, best.c_str()) < 0) {
            best = entry->d_name;
            found = true;
        }
    }
    ::closedir(dir);
    return found ? best : component;
}

std::string directPath(const std::string& path) {
    std::size_t pos = 0;
    std::string result;
    if (hasDrivePrefix(path)) {
        result = "/";
        pos = 2;
    }
    bool lastWasSeparator = !result.empty();
    for (; pos < path.size(); ++pos) {
        if (isSeparator(path[pos])) {
            if (!lastWasSeparator) result += '/';
            lastWasSeparator = true;
        } else {
            result += path[pos];
            lastWasSeparator = false;
        }
    }
    return result;
}

std::string nativePath(const std::string& path) {
    // Most paths name something that exists as written: one test spares
    // the lookup of every component.
    std::string direct = directPath(path);
    struct stat info;
    if (direct.empty() || ::lstat(direct.c_str(), &info) == 0) return direct;

    std::size_t pos = 0;
    bool absolute = false;
    // A drive prefix names the one file-system root there is.
    if (hasDrivePrefix(path)) {
        absolute = true;
        pos = 2;
    } else if (!path.empty() && isSeparator(path[0])) {
        absolute = true;
    }

    std::string result = absolute ? "/" : "";
    while (pos < path.size()) {
        if (isSeparator(path[pos])) {
            ++pos;
            continue;
        }
        std::size_t end = pos;
        while (end < path.size() && !isSeparator(path[end])) ++end;
        std::string component = path.substr(pos, end - pos);
        pos = end;

        if (component != "." && component != "..") {
            component = lookUp(result.empty() ? std::string(".") : result, component);
        }
        if (!result.empty() && result.back() != '/') result += '/';
        result += component;
    }
    // A trailing separator marks a directory; keep it for the caller.
    if (!path.empty() && isSeparator(path.back()) && !result.empty() && result.back() != '/') {
        result += '/';
    }
    return result;
}

}  // namespace platform
