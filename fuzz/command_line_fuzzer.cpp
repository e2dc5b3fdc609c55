// Reads the fuzz input as a command line: the bytes between NULs are the
// arguments, read through tryReadArgument as the tool's start reads them
// ("--" ends the options). Each option's effect on the settings is checked
// against the option table below, written as data from the documented
// rules; the table itself is checked once against the letters the usage
// text documents. The named options, the lookups and the file-set table are
// compared with a model of the documented rules, then everything is
// released for the next run. The run takes place in a directory of its own
// holding a few entries, so that arguments naming them exactly (taken as
// given) are met as well as specifications.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "driver/command_line.h"
#include "driver/file_sets.h"
#include "driver/named_options.h"
#include "driver/run_main.h"
#include "driver/run_settings.h"
#include "driver/shown_name.h"
#include "driver/usage.h"
#include "fuzz_support.h"
#include "platform/file_location.h"
#include "support/capture.h"

namespace {

std::string upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

bool isSeparator(char c) { return c == ':' || c == '\\' || c == '/'; }

// The letter options (either case) and the flag each sets; "-?" prints the
// usage text and ends the process, and is not run here.
struct LetterOption {
    char letter;
    int RunSettings::*flag;
};
const LetterOption kLetterOptions[] = {
    {'a', &RunSettings::append},    {'d', &RunSettings::traceDirs}, {'e', &RunSettings::changeExt},
    {'l', &RunSettings::sizeDelta}, {'r', &RunSettings::replace},   {'s', &RunSettings::silent},
    {'t', &RunSettings::recursive}, {'v', &RunSettings::verbose},
};
// The letters that also take a value after a ':'.
const char kValueLetters[] = "ae";
// Every flag of the settings, for telling which ones an option changed.
int RunSettings::*const kFlags[] = {&RunSettings::silent,    &RunSettings::traceDirs, &RunSettings::verbose,
                                    &RunSettings::recursive, &RunSettings::replace,   &RunSettings::append,
                                    &RunSettings::changeExt, &RunSettings::sizeDelta};

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

const LetterOption* letterOption(char c) {
    for (const LetterOption& option : kLetterOptions)
        if (option.letter == lower(c)) return &option;
    return nullptr;
}

// What the documented rules make of the file arguments and named options.
struct Model {
    std::vector<std::string> named;
    struct Row {
        std::string dir;  // as typed by the first argument of the row
        std::string patterns;
        std::vector<std::string> pieces;  // the patterns entered, in order
        bool exact = false;               // names given exactly, in `pieces`
    };
    std::vector<Row> rows;

    // True when the file argument is to be accepted.
    bool fileSpec(const std::string& dir, const std::string& pattern) {
        if (pattern.empty()) return false;
        for (Row& row : rows) {
            if (!row.exact && upper(row.dir) == upper(dir)) {
                row.patterns += ";" + pattern;
                row.pieces.push_back(pattern);
                return true;
            }
        }
        if (rows.size() == kFileSetRows) return false;
        rows.push_back(Row{dir, pattern, {pattern}, false});
        return true;
    }
    // A name given exactly joins the row of the same spelling of its
    // directory only.
    bool exactName(const std::string& dir, const std::string& name) {
        for (Row& row : rows) {
            if (row.exact && row.dir == dir) {
                row.pieces.push_back(name);
                return true;
            }
        }
        if (rows.size() == kFileSetRows) return false;
        rows.push_back(Row{dir, "", {name}, true});
        return true;
    }
    // The option the case-insensitive lookup finds for `key`, upper-cased as
    // the lookup leaves it; false when none begins with the key.
    bool lookup(const std::string& key, std::string& value) const {
        for (const std::string& option : named) {
            if (upper(option).compare(0, key.size(), upper(key)) == 0) {
                value = upper(option).substr(key.size());
                return true;
            }
        }
        return false;
    }
};

const std::uint8_t* gData;
std::size_t gSize;
// The directory the fuzzer was started in, and the one each run takes
// place in; the fuzzer's own files stay relative to the first.
int gHome = -1;
int gRoot = -1;

void check(bool condition, const std::string& what) {
    if (condition) return;
    if (fchdir(gHome) != 0) std::abort();
    fuzz::failWithInput(what, gData, gSize);
}

// The letters the usage text documents, from its lines "     -x : ...";
// the text is printed by a child process, since printing it ends the
// process.
std::set<char> documentedLetters() {
    int captured = memoryFileWith("");
    pid_t child = fork();
    if (child == 0) {
        dup2(captured, 1);
        settings.progPath = "txt2vb";
        printUsage(ExitStatus::Normal);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) std::abort();
    const std::string usage = readWhole(captured);
    close(captured);
    std::set<char> letters;
    std::size_t start = 0;
    while (start < usage.size()) {
        std::size_t end = usage.find('\n', start);
        if (end == std::string::npos) end = usage.size();
        std::string line = usage.substr(start, end - start);
        start = end + 1;
        std::size_t dash = line.find_first_not_of(' ');
        // "     -- : ..." documents the end of the options, not a letter.
        if (dash != std::string::npos && dash > 0 && line.compare(dash, 1, "-") == 0 && line[dash + 1] != '-' &&
            line.compare(dash + 2, 3, " : ") == 0) {
            letters.insert(line[dash + 1]);
        }
    }
    return letters;
}

// An -e value holding a separator, a drive's or a stream's ':', or made of
// dots alone: the new name would leave the input's directory.
bool refusedExtension(const std::string& argument) {
    if (argument.size() < 3 || lower(argument[1]) != 'e' || argument[2] != ':') return false;
    const std::string value = argument.substr(3);
    return value.find_first_of("/\\:") != std::string::npos ||
           (!value.empty() && value.find_first_not_of('.') == std::string::npos);
}

// One option argument, with the settings and named options as they stood
// before it: the letter options change their flag and their documented
// settings and nothing else; every other text is stored as typed.
void checkOption(const std::string& argument, const RunSettings& before, int namedBefore, Model& model) {
    const std::string text = argument.substr(1);
    const bool withValue = text.size() >= 2 && text[1] == ':' && std::strchr(kValueLetters, lower(text[0])) != nullptr;
    const bool isLetter = text.size() == 1 || withValue;
    const LetterOption* option = isLetter ? letterOption(text[0]) : nullptr;
    const std::string value = withValue ? text.substr(2) : "";
    // An -e value that would lead out of the input's directory changes
    // nothing.
    if (refusedExtension(argument)) {
        for (int RunSettings::*flag : kFlags) check(settings.*flag == before.*flag, "a refused -e set a flag");
        check(settings.newExt == before.newExt, "a refused -e set newExt");
        check(namedOptionCount() == namedBefore, "a refused -e was stored");
        return;
    }

    for (int RunSettings::*flag : kFlags) {
        int want = option != nullptr && option->flag == flag ? 1 : before.*flag;
        check(settings.*flag == want, "a flag set or left against the option table");
    }
    const char letter = option != nullptr ? option->letter : '\0';
    if (letter == 'a') {
        check(settings.appendName == value, "-a does not keep its value whole");
        check(settings.outName == settings.appendName, "-a does not name the result after the append file");
        check(settings.outMode == platform::OpenMode::Append, "-a does not append");
    } else {
        check(settings.appendName == before.appendName, "appendName changed by another option");
        check(settings.outMode == before.outMode, "outMode changed by another option");
        check(settings.outName == before.outName, "outName changed by another option");
    }
    check(settings.newExt == (letter == 'e' && withValue ? value : before.newExt), "newExt against -e:");

    if (isLetter) {
        check(namedOptionCount() == namedBefore, "a letter option was stored as a named option");
        return;
    }
    check(namedOptionCount() == namedBefore + 1, "a named option was not stored");
    check(namedOptionAt(namedBefore) == text, "a named option is not stored as typed");
    model.named.push_back(text);
}

// The file argument split as the walk expects it: the pattern is the last
// name component with any separators that follow it, the directory all that
// precedes it; a specification of separators only has no pattern.
void checkSplit(const std::string& spec, std::string& dir, std::string& pattern) {
    splitFileSpec(spec, dir, pattern);
    std::size_t end = spec.size();
    while (end > 0 && isSeparator(spec[end - 1])) --end;
    if (end == 0) {
        check(pattern.empty(), "a specification of separators only has a pattern");
        return;
    }
    check(!pattern.empty(), "a specification with a name component has no pattern");
    check(dir + pattern == spec, "directory and pattern do not make up the file argument");
    check(dir.empty() || isSeparator(dir.back()), "the directory does not end with a separator");
    std::size_t name = pattern.size() - (spec.size() - end);
    check(name > 0, "the pattern has no name");
    for (std::size_t i = 0; i < name; ++i) check(!isSeparator(pattern[i]), "the name holds a separator");
}

void checkFileSets(const Model& model) {
    int usedRows = 0;
    for (int i = 0; i < kFileSetRows; ++i) {
        const FileSetEntry& row = fileSetTable[i];
        if (static_cast<std::size_t>(i) >= model.rows.size()) {
            check(!row.used, "a row is used beyond those entered");
            continue;
        }
        ++usedRows;
        const Model::Row& want = model.rows[i];
        check(row.used, "an entered row is not used");
        check(row.exact == want.exact, "a row of names given exactly and one of specifications mixed up");
        // Completion gives the current directory to a row without one.
        std::string dir = want.dir.empty() ? "." : want.dir;
        check(row.dir == dir, "the directory of a row is not spelled as first typed");
        if (row.exact) {
            check(row.patterns.empty() && row.names == want.pieces, "the names of an exact row differ");
            for (int j = 0; j < i; ++j)
                check(!fileSetTable[j].exact || fileSetTable[j].dir != row.dir, "two exact rows for one spelling");
            continue;
        }
        check(!row.patterns.empty(), "a used row has no patterns");
        check(row.patterns == want.patterns, "the patterns of a row differ from those entered");
        // An empty piece between the ';' only comes from a ';' the user typed
        // at a pattern's edge or doubled.
        bool typedEmpty = false;
        for (const std::string& piece : want.pieces)
            if (piece.front() == ';' || piece.back() == ';' || piece.find(";;") != std::string::npos) typedEmpty = true;
        if (!typedEmpty) {
            check(row.patterns.front() != ';' && row.patterns.back() != ';' &&
                      row.patterns.find(";;") == std::string::npos,
                  "an empty pattern piece nobody typed");
        }
        // No two rows of specifications name the same directory.
        for (int j = 0; j < i; ++j)
            check(fileSetTable[j].exact || upper(fileSetTable[j].dir) != upper(row.dir),
                  "two rows for the same directory");
    }
    check(usedRows <= kFileSetRows, "more than ten rows");
}

void checkNamedOptions(const Model& model) {
    check(namedOptionCount() == static_cast<int>(model.named.size()), "named option count");
    // Before any case-insensitive lookup the options are stored as typed.
    for (std::size_t i = 0; i < model.named.size(); ++i)
        check(model.named[i] == namedOptionAt(static_cast<int>(i)), "a named option is not stored as typed");
    bool exact = false;
    for (const std::string& option : model.named)
        if (option.compare(0, 4, "nbl:") == 0) exact = true;
    check(hasNamedOptionExact("nbl:") == (exact ? 1 : 0), "exact lookup of nbl:");

    for (const char* key : {"nbl:", "nbf:", "NBL:", "x"}) {
        std::string want;
        bool found = model.lookup(key, want);
        check(hasNamedOptionAnyCase(key) == (found ? 1 : 0), std::string("lookup of ") + key);
        const char* value = namedOptionValue(key);
        check(value != nullptr, "namedOptionValue gave null");
        check(found ? want == value : value[0] == '\0', std::string("value of ") + key);
    }
    // The lookups upper-case the options they visit, and only that.
    for (std::size_t i = 0; i < model.named.size(); ++i) {
        std::string stored = namedOptionAt(static_cast<int>(i));
        check(stored == model.named[i] || stored == upper(model.named[i]), "a named option changed beyond its case");
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // A directory of its own, with entries that arguments can name exactly.
    static char root[] = "/tmp/txt2vb-fuzz-XXXXXX";
    gHome = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (gHome < 0 || mkdtemp(root) == nullptr || chdir(root) != 0 || mkdir("sub", 0700) != 0) std::abort();
    static const char* const kNames[] = {"a;b", "x.txt", "-r", "sub/y", "c:\\x", "*"};
    for (const char* name : kNames) {
        FILE* file = std::fopen(name, "w");
        if (file == nullptr) std::abort();
        std::fclose(file);
    }
    // Gone with the fuzzer's normal end.
    std::atexit([] {
        for (const char* name : kNames) unlinkat(gRoot, name, 0);
        unlinkat(gRoot, "sub", AT_REMOVEDIR);
        rmdir(root);
    });
    gRoot = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (gRoot < 0 || fchdir(gHome) != 0) std::abort();
    std::set<char> table;
    for (const LetterOption& option : kLetterOptions) table.insert(option.letter);
    table.insert('?');
    if (documentedLetters() != table) {
        std::fprintf(stderr, "the letter options differ from those the usage text documents\n");
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    gData = data;
    gSize = size;
    if (fchdir(gRoot) != 0) std::abort();
    settings = RunSettings();
    clearNamedOptions();
    clearFileSets();

    std::vector<std::string> arguments;
    const char* text = reinterpret_cast<const char*>(data);
    std::size_t start = 0;
    for (std::size_t i = 0; i <= size; ++i) {
        if (i == size || data[i] == 0) {
            if (i > start || i < size) arguments.emplace_back(text + start, i - start);
            start = i + 1;
        }
    }

    Model model;
    ArgumentReader reader;
    for (const std::string& argument : arguments) {
        const bool ended = reader.optionsEnded;
        std::string message;
        if (!ended && argument == "--") {
            check(tryReadArgument(argument.c_str(), reader, message) && reader.optionsEnded, "-- ends no options");
        } else if (!ended && !argument.empty() && argument[0] == '-') {
            // These print the usage or the version and end the process.
            if (argument == "-?" || argument == "--help" || argument == "--version") continue;
            const RunSettings before = settings;
            const int namedBefore = namedOptionCount();
            const bool accepted = tryReadArgument(argument.c_str(), reader, message);
            checkOption(argument, before, namedBefore, model);
            check(accepted == !refusedExtension(argument), "an option refused against the rules");
            check(accepted ? message.empty() : message.find(shownName(argument.substr(3))) != std::string::npos,
                  "the refusal message does not name the value");
        } else {
            // The file system tells which arguments name an entry exactly.
            // An argument of separators alone is refused whatever exists.
            std::string splitDir, splitPattern;
            splitFileSpec(argument, splitDir, splitPattern);
            const platform::ExactPath exact =
                splitPattern.empty() ? platform::ExactPath() : platform::examineExactPath(argument);
            bool want;
            if (exact.exists) {
                check(exact.directory + exact.name == argument, "an exact path split into other bytes");
                want = exact.isDirectory || model.exactName(exact.directory, exact.name);
            } else {
                std::string dir, pattern;
                checkSplit(argument, dir, pattern);
                want = model.fileSpec(dir, pattern);
            }
            bool accepted = tryReadArgument(argument.c_str(), reader, message);
            check(accepted == want, "a file argument accepted or refused against the rules");
            check(accepted ? message.empty() : message.find(shownName(argument)) != std::string::npos,
                  "the refusal message does not name the file argument");
        }
    }
    completeFileSets();

    checkFileSets(model);
    checkNamedOptions(model);

    releaseAll();
    check(namedOptionCount() == 0, "named options left after releaseAll");
    for (const FileSetEntry& row : fileSetTable) check(!row.used && row.patterns.empty(), "a row left after releaseAll");
    settings = RunSettings();
    if (fchdir(gHome) != 0) std::abort();
    return 0;
}
