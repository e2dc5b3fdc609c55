#include "support/scratch_files.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <filesystem>
#include <random>
#include <sstream>
#include <system_error>

#include <fcntl.h>
#if defined(_WIN32)
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

std::string systemTemporaryDirectory() {
    std::error_code error;
    fs::path directory = fs::temp_directory_path(error);
    if (error) return std::string();
    std::string text = directory.string();
    // Windows gives the directory with a final separator.
    while (text.size() > 1 && (text.back() == '\\' || text.back() == '/')) text.pop_back();
    return text;
}

ScratchDir::ScratchDir(const std::string& base) {
    const std::string parent = base.empty() ? systemTemporaryDirectory() : base;
    if (parent.empty()) return;
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::ostringstream name;
        name << parent << (parent.find('\\') != std::string::npos ? "\\" : "/") << "txt2vb-test-" << std::hex
             << random();
        std::error_code error;
        if (fs::create_directory(name.str(), error)) {
            path_ = name.str();
            return;
        }
        if (error) return;
    }
}

ScratchDir::~ScratchDir() {
    if (path_.empty()) return;
    std::error_code error;
    // A read-only file cannot be deleted on Windows.
    for (auto it = fs::recursive_directory_iterator(path_, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error)) {
        std::error_code ignored;
        if (!it->is_symlink(ignored)) fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ignored);
    }
    fs::remove_all(path_, error);
}

InDirectory::InDirectory(const std::string& directory) {
    std::error_code error;
    previous_ = fs::current_path(error).string();
    if (error) return;
    fs::current_path(directory, error);
    entered_ = !error;
}

InDirectory::~InDirectory() {
    if (!entered_) return;
    std::error_code error;
    fs::current_path(previous_, error);
    if (error) std::abort();
}

bool writeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    out.close();
    return !out.fail();
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool exists(const std::string& path) {
    std::error_code error;
    return fs::symlink_status(path, error).type() != fs::file_type::not_found && !error;
}

bool makeDirectory(const std::string& path) {
    std::error_code error;
    return fs::create_directory(path, error);
}

bool setReadOnly(const std::string& path, bool readOnly) {
    std::error_code error;
    const fs::perms writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(path, readOnly ? writable : fs::perms::owner_write,
                    readOnly ? fs::perm_options::remove : fs::perm_options::add, error);
    return !error;
}

std::vector<std::string> namesIn(const std::string& directory) {
    std::vector<std::string> names;
    std::error_code error;
    for (auto it = fs::directory_iterator(directory, error); !error && it != fs::directory_iterator();
         it.increment(error)) {
        names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string withBackslashes(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

#if defined(_WIN32)

int temporaryFileWith(const std::string& content) {
    static unsigned counter = 0;
    std::random_device seed;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::ostringstream name;
        name << systemTemporaryDirectory() << "\\txt2vb-input-" << std::hex << seed() << "-" << counter++;
        int fd = -1;
        if (::_sopen_s(&fd, name.str().c_str(), _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY | _O_TEMPORARY, _SH_DENYNO,
                       _S_IREAD | _S_IWRITE) != 0) {
            continue;
        }
        if (!content.empty() &&
            ::_write(fd, content.data(), static_cast<unsigned>(content.size())) != static_cast<int>(content.size())) {
            ::_close(fd);
            return -1;
        }
        ::_lseeki64(fd, 0, SEEK_SET);
        return fd;
    }
    return -1;
}

bool seekTo(int descriptor, long long offset) { return ::_lseeki64(descriptor, offset, SEEK_SET) >= 0; }

bool makePipe(int ends[2]) { return ::_pipe(ends, 1 << 16, _O_BINARY) == 0; }

#else

int temporaryFileWith(const std::string& content) {
    std::string pattern = systemTemporaryDirectory() + "/txt2vb-input-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) return -1;
    ::unlink(name.data());
    if (!content.empty() && ::write(fd, content.data(), content.size()) != static_cast<ssize_t>(content.size())) {
        ::close(fd);
        return -1;
    }
    ::lseek(fd, 0, SEEK_SET);
    return fd;
}

bool seekTo(int descriptor, long long offset) { return ::lseek(descriptor, static_cast<off_t>(offset), SEEK_SET) >= 0; }

bool makePipe(int ends[2]) { return ::pipe(ends) == 0; }

#endif
