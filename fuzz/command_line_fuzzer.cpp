// Reads the fuzz input as a command line: the bytes between NULs are the
// arguments. Options go through classifyOption, everything else through
// tryAddFileSpec, as the tool's start does. The resulting settings, named
// options and file-set table are compared with a model of the documented
// rules, then everything is released for the next run.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "driver/command_line.h"
#include "driver/file_sets.h"
#include "driver/named_options.h"
#include "driver/run_settings.h"
#include "fuzz_support.h"

namespace {

std::string upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

bool isSeparator(char c) { return c == ':' || c == '\\' || c == '/'; }

// What the documented rules make of the arguments.
struct Model {
    RunSettings settings;
    std::vector<std::string> named;
    struct Row {
        std::string dir;  // as typed by the first specification of the row
        std::string patterns;
        std::vector<std::string> pieces;  // the patterns entered, in order
    };
    std::vector<Row> rows;

    void option(const std::string& text) {
        if (text.size() == 1) {
            letter(text[0], nullptr);
        } else if (text.size() >= 2 && text[1] == ':' && std::strchr("aAeE", text[0]) != nullptr) {
            letter(text[0], text.c_str() + 2);
        } else {
            named.push_back(text);
        }
    }
    void letter(char c, const char* value) {
        switch (c) {
            case 'a':
            case 'A':
                settings.append = 1;
                settings.appendName = value != nullptr ? value : "";
                settings.outName = settings.appendName;
                settings.outMode = "a+";
                break;
            case 'd':
            case 'D':
                settings.traceDirs = 1;
                break;
            case 'e':
            case 'E':
                settings.changeExt = 1;
                if (value != nullptr) settings.newExt = value;
                break;
            case 'l':
            case 'L':
                settings.sizeDelta = 1;
                break;
            case 'r':
            case 'R':
                settings.replace = 1;
                settings.outName = kTempResultName;
                break;
            case 's':
            case 'S':
                settings.silent = 1;
                break;
            case 't':
            case 'T':
                settings.recursive = 1;
                break;
            case 'v':
            case 'V':
                settings.verbose = 1;
                break;
            default:
                break;
        }
    }
    // True when the file argument is to be accepted.
    bool fileSpec(const std::string& dir, const std::string& pattern) {
        if (pattern.empty()) return false;
        for (Row& row : rows) {
            if (upper(row.dir) == upper(dir)) {
                row.patterns += ";" + pattern;
                row.pieces.push_back(pattern);
                return true;
            }
        }
        if (rows.size() == kFileSetRows) return false;
        rows.push_back(Row{dir, pattern, {pattern}});
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

void check(bool condition, const std::string& what) {
    if (!condition) fuzz::failWithInput(what, gData, gSize);
}

void checkSettings(const RunSettings& want) {
    check(settings.silent == want.silent, "silent");
    check(settings.traceDirs == want.traceDirs, "traceDirs");
    check(settings.verbose == want.verbose, "verbose");
    check(settings.recursive == want.recursive, "recursive");
    check(settings.replace == want.replace, "replace");
    check(settings.append == want.append, "append");
    check(settings.changeExt == want.changeExt, "changeExt");
    check(settings.newExt == want.newExt, "newExt");
    check(settings.sizeDelta == want.sizeDelta, "sizeDelta");
    check(settings.appendName == want.appendName, "appendName");
    check(settings.outName == want.outName, "outName");
    check(std::strcmp(settings.outMode, want.outMode) == 0, "outMode");
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
        check(!row.patterns.empty(), "a used row has no patterns");
        check(row.patterns == want.patterns, "the patterns of a row differ from those entered");
        // Completion gives the current directory to a row without one.
        std::string dir = want.dir.empty() ? "." : want.dir;
        check(row.dir == dir || row.dir == upper(dir), "the directory of a row is neither as typed nor upper-cased");
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
        // No two rows name the same directory.
        for (int j = 0; j < i; ++j)
            check(upper(fileSetTable[j].dir) != upper(row.dir), "two rows for the same directory");
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

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    gData = data;
    gSize = size;
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
    for (const std::string& argument : arguments) {
        if (!argument.empty() && argument[0] == '-') {
            // These print the usage or the version and end the process.
            if (argument == "-?" || argument == "--help" || argument == "--version") continue;
            classifyOption(argument.c_str());
            model.option(argument.substr(1));
        } else {
            std::string dir, pattern;
            checkSplit(argument, dir, pattern);
            std::string message;
            bool accepted = tryAddFileSpec(argument.c_str(), message);
            check(accepted == model.fileSpec(dir, pattern), "a specification accepted or refused against the rules");
            check(accepted ? message.empty() : message.find(argument) != std::string::npos,
                  "the refusal message does not name the file argument");
        }
    }
    completeFileSets();

    checkSettings(model.settings);
    checkFileSets(model);
    checkNamedOptions(model);

    releaseAll();
    check(namedOptionCount() == 0, "named options left after releaseAll");
    for (const FileSetEntry& row : fileSetTable) check(!row.used && row.patterns.empty(), "a row left after releaseAll");
    settings = RunSettings();
    return 0;
}
