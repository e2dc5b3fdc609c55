// Reads the fuzz input as a command line: the bytes between NULs are the
// arguments after the program's name. What readOptions makes of them is
// compared with a model of the rules written as data below (the letter
// options and what each sets, the named words and their values), which
// gives the settings, form, named options and files expected, or the text
// of the refusal; the tables are checked once against the usage text. The
// specifications read are entered into a FileSetTable, and planWalk runs
// over a small file system in memory, both against a model of the merge
// per directory. The mutator adds the words of the tables as arguments.
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "driver/file_sets.h"
#include "driver/options.h"
#include "driver/shown_name.h"
#include "driver/usage.h"
#include "fuzz_support.h"
#include "platform/console.h"
#include "scanner/output_form.h"
#include "support/memory_file_system.h"

namespace {

const char kProgram[] = "txt2vb";

// The letter options, read in either case; "-?" asks for the usage text.
// A letter with a value takes it as "-x:VALUE", never empty.
struct Letter {
    char letter;
    int RunSettings::*flag;
    std::string RunSettings::*value;  // null: no value
    const char* emptyValue;           // the refusal of a missing value
};
const Letter kLetters[] = {
    {'a', &RunSettings::append, &RunSettings::appendName, "Option -a : nom de fichier vide (ex: -a:sortie.txt)"},
    {'d', &RunSettings::traceDirs, nullptr, nullptr},
    {'e', &RunSettings::changeExt, &RunSettings::newExt, "Option -e : extension vide (ex: -e:asp)"},
    {'l', &RunSettings::sizeDelta, nullptr, nullptr},
    {'r', &RunSettings::replace, nullptr, nullptr},
    {'s', &RunSettings::silent, nullptr, nullptr},
    {'t', &RunSettings::recursive, nullptr, nullptr},
    {'v', &RunSettings::verbose, nullptr, nullptr},
};

// The named words, read in any case, and the value each takes.
enum class Value { Number, LineEnd, Variable, None };
struct Word {
    const char* word;
    Value value;
};
const Word kWords[] = {{"nbl", Value::Number}, {"nbf", Value::Number}, {"nl", Value::LineEnd}, {"var", Value::Variable},
                       {"vba", Value::None},   {"chrw", Value::None},  {"decode", Value::None}};

// The line-end constants -nl names, read in any case.
const std::pair<const char*, LineEndConstant> kLineEnds[] = {{"vbCrLf", LineEndConstant::CrLf},
                                                             {"vbLf", LineEndConstant::Lf},
                                                             {"vbCr", LineEndConstant::Cr},
                                                             {"vbNewLine", LineEndConstant::NewLine}};

// The file system planWalk looks at; a directory ends with '/'.
const char* const kEntries[] = {"sub/", "sub/deep/", "a;b",   "x.txt",     "-r",        "c:\\x",
                                "*",    "Read Me",   "sub/y", "sub/Z.txt", "sub/deep/w"};

// Reports a disagreement with the input that caused it.
struct Checker {
    const std::uint8_t* data;
    std::size_t size;
    void same(const std::string& got, const std::string& expected, const char* what) const {
        if (got != expected)
            fuzz::failWithInput(std::string(what) + ":\n  got      " + got + "\n  expected " + expected, data, size);
    }
};

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string lowered(std::string text) {
    for (char& c : text) c = lower(c);
    return text;
}

bool sameIgnoringCase(const std::string& a, const std::string& b) { return lowered(a) == lowered(b); }

// What users typed, in messages: its control bytes escaped, in quotes.
std::string quoted(const std::string& text) { return "\"" + shownName(text) + "\""; }

bool isSeparator(char c) { return c == ':' || c == '\\' || c == '/'; }

// The last run of bytes other than separators is the name: the directory
// is all before it, the pattern it and the separators after it; no name,
// no pattern.
void split(const std::string& spec, std::string& dir, std::string& pattern) {
    std::size_t name = spec.size();
    while (name > 0 && isSeparator(spec[name - 1])) --name;
    std::size_t start = name;
    while (start > 0 && !isSeparator(spec[start - 1])) --start;
    dir = spec.substr(0, start);
    pattern = name == start ? "" : spec.substr(start);
}

// "%d" reads it: blanks, a sign, then at least one digit.
// A whole number: one sign at most, then digits only, at least one.
bool isWholeNumber(const std::string& value) {
    std::size_t at = 0;
    if (at < value.size() && (value[at] == '+' || value[at] == '-')) ++at;
    if (at == value.size()) return false;
    for (; at < value.size(); ++at) {
        if (value[at] < '0' || value[at] > '9') return false;
    }
    return true;
}

// What the rules make of the arguments.
OptionsRead expect(const std::vector<std::string>& arguments) {
    OptionsRead expected;
    Options& o = expected.options;
    o.progPath = kProgram;
    if (arguments.empty()) o.request = Options::Request::Usage;
    auto refused = [&](std::string text) {
        expected.refusal = textFailure(std::move(text), ExitStatus::CommandLineError);
        return expected;
    };
    bool ended = false, nlSeen = false, varSeen = false;
    for (const std::string& argument : arguments) {
        if (!ended && argument == "--") {
            ended = true;
            continue;
        }
        // On POSIX only '-' begins an option; "-" alone is standard input.
        if (ended || argument.empty() || argument[0] != '-' || argument == "-") {
            std::string dir, pattern;
            split(argument, dir, pattern);
            if (argument != "-" && pattern.empty())
                return refused("Sp" TXT2VB_E_ACUTE "cification de fichier sans nom : " + quoted(argument));
            o.files.push_back(argument);
            continue;
        }
        const std::string text = argument.substr(1);
        if (argument == "--help" || text == "?" || argument == "--version") {
            o.request = argument == "--version" ? Options::Request::Version : Options::Request::Usage;
            return expected;
        }
        const Letter* letter = nullptr;
        for (const Letter& l : kLetters)
            if (l.letter == lower(text[0])) letter = &l;
        const bool withValue = letter != nullptr && letter->value != nullptr && text.size() >= 2 && text[1] == ':';
        if (letter != nullptr && (text.size() == 1 || withValue)) {
            const std::string value = withValue ? text.substr(2) : "";
            if (letter->value != nullptr && value.empty()) return refused(letter->emptyValue);
            // A new extension keeps the new name in the input's directory.
            if (letter->letter == 'e' &&
                (value.find_first_of("/\\:") != std::string::npos || value.find_first_not_of('.') == std::string::npos))
                return refused("Extension invalide : " + quoted(value));
            if (letter->value != nullptr) o.settings.*letter->value = value;
            o.settings.*letter->flag = 1;
            continue;
        }
        const std::size_t colon = text.find(':');
        const std::string name = lowered(text.substr(0, colon));
        const std::string value = colon == std::string::npos ? "" : text.substr(colon + 1);
        const Word* word = nullptr;
        for (const Word& w : kWords)
            if (name == w.word) word = &w;
        if (word == nullptr) return refused("Option inconnue : " + quoted(argument) + " (voir -?)");
        if (word->value == Value::Number && !isWholeNumber(value))
            return refused("Option -" + name + " : " + quoted(value) + " n'est pas un nombre (ex: -" + name + ":20)");
        if (word->value == Value::LineEnd) {
            const std::pair<const char*, LineEndConstant>* end = nullptr;
            for (const auto& e : kLineEnds)
                if (sameIgnoringCase(value, e.first)) end = &e;
            if (colon != std::string::npos && end == nullptr)
                return refused("Option -nl : constante inconnue " + quoted(value) +
                               " (vbCrLf, vbLf, vbCr ou vbNewLine)");
            if (!nlSeen) o.form.lineEnd = end != nullptr ? end->second : LineEndConstant::CrLf;
            nlSeen = true;
        }
        if (word->value == Value::Variable) {
            if (!isVbIdentifier(value))
                return refused("Option -var : " + quoted(value) +
                               " n'est pas un nom de variable (une lettre, puis lettres, chiffres ou _, 255 au plus)");
            if (isReservedVbName(value))
                return refused("Option -var : " + quoted(value) +
                               " est un nom r" TXT2VB_E_ACUTE "serv" TXT2VB_E_ACUTE " de VB ou de la sortie");
            if (!varSeen) o.form.variable = value;
            varSeen = true;
        }
        if (word->value == Value::None) {
            if (colon != std::string::npos)
                return refused("Option -" + name + " : aucune valeur attendue (" + shownName(argument) + ")");
            o.form.vba = o.form.vba || name == "vba";
            o.form.chrw = o.form.chrw || name == "chrw";
            o.settings.decode = o.settings.decode || name == "decode";
        }
        o.namedOptions.push_back(text);
    }
    // The rules between the options.
    if (o.settings.append && o.settings.replace) {
        expected.withUsage = true;
        return refused("Les options -a et -r ne vont pas ensemble");
    }
    for (const std::string& file : o.files)
        if (o.settings.replace && file == "-")
            return refused("Entr" TXT2VB_E_ACUTE "e standard (-) impossible avec -r");
    if (o.settings.silent) o.settings.verbose = 0;
    return expected;
}

// The whole value in one line.
std::string described(const Options& o) {
    std::string text = "[" + shownName(o.progPath) + "] ";
    for (const Letter& letter : kLetters) text += letter.letter + std::to_string(o.settings.*letter.flag);
    text += " decode" + std::to_string(o.settings.decode);
    text += " ext=" + quoted(o.settings.newExt) + " append=" + quoted(o.settings.appendName) +
            " nl=" + lineEndConstantName(o.form.lineEnd) + " var=" + quoted(o.form.variable);
    if (o.form.vba) text += " vba";
    if (o.form.chrw) text += " chrw";
    text += " named:";
    for (const std::string& named : o.namedOptions) text += " " + quoted(named);
    text += " files:";
    for (const std::string& file : o.files) text += " " + quoted(file);
    return text;
}

std::string described(const OptionsRead& read) {
    if (read.refusal.failed()) {
        return "refused (status " + std::to_string(static_cast<int>(read.refusal.status)) +
               (read.withUsage ? ", usage" : "") + (read.refusal.showsSystemError ? ", system error" : "") +
               "): " + shownName(read.refusal.text);
    }
    if (read.options.request == Options::Request::Usage) return "usage";
    if (read.options.request == Options::Request::Version) return "version";
    return described(read.options);
}

// The row of a specification, merged by directory ignoring case in the
// first spelling; -1 for an eleventh directory.
int enter(std::vector<FileSetEntry>& rows, const std::string& spec) {
    std::string dir, pattern;
    split(spec, dir, pattern);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (sameIgnoringCase(rows[i].dir, dir)) {
            rows[i].patterns += ";" + pattern;
            return static_cast<int>(i);
        }
    }
    if (rows.size() == 10) return -1;
    rows.push_back(FileSetEntry{dir, pattern});
    return static_cast<int>(rows.size() - 1);
}

std::string described(const FileSetEntry& row) { return quoted(row.dir) + "=" + quoted(row.patterns); }

std::string described(const std::vector<FileSetEntry>& rows) {
    std::string text;
    for (const FileSetEntry& row : rows) text += " " + described(row);
    return text;
}

// The rows once complete: a row without a directory part has ".".
std::vector<FileSetEntry> completed(std::vector<FileSetEntry> rows) {
    for (FileSetEntry& row : rows)
        if (row.dir.empty()) row.dir = ".";
    return rows;
}

std::vector<FileSetEntry> rowsOf(const FileSetTable& table) {
    std::vector<FileSetEntry> rows;
    for (int i = 0; i < table.size(); ++i) rows.push_back(table.row(i));
    return rows;
}

void checkFileSets(const Options& options, const Checker& check) {
    FileSetTable table;
    std::vector<FileSetEntry> rows;
    for (const std::string& spec : options.files) {
        if (spec == "-") continue;
        std::string dir, pattern, expectedDir, expectedPattern;
        splitFileSpec(spec, dir, pattern);
        split(spec, expectedDir, expectedPattern);
        check.same(quoted(dir) + " " + quoted(pattern), quoted(expectedDir) + " " + quoted(expectedPattern),
                   "splitFileSpec");
        const int expected = enter(rows, spec);
        check.same(std::to_string(table.addFileSpec(spec)), std::to_string(expected), "addFileSpec");
    }
    table.completeFileSets();
    check.same(described(rowsOf(table)), described(completed(rows)), "file-set rows");
}

std::vector<std::string> components(const std::string& path, const char* separators) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find_first_of(separators, start);
        if (end == std::string::npos) end = path.size();
        const std::string part = path.substr(start, end - start);
        if (!part.empty() && part != ".") parts.push_back(part);
        start = end + 1;
    }
    return parts;
}

// A name without wildcards is found the tool's way: its directory part and
// the name, '\' and '/' dividing them, each component ignoring case.
bool foundIgnoringCase(const std::string& dir, const std::string& pattern) {
    std::vector<std::string> wanted = components(dir, "\\/");
    wanted.push_back(pattern.substr(0, pattern.find_first_of(":\\/")));
    for (const char* entry : kEntries) {
        const std::vector<std::string> parts = components(entry, "/");
        bool same = parts.size() == wanted.size();
        for (std::size_t i = 0; same && i < parts.size(); ++i) same = sameIgnoringCase(parts[i], wanted[i]);
        if (same) return true;
    }
    return false;
}

std::string described(const Failure& failure) {
    return "status " + std::to_string(static_cast<int>(failure.status)) + ": " + shownName(failure.text) +
           (failure.showsSystemError ? " (" + std::to_string(failure.error) + ")" : "");
}

// The plan in one line: the steps in order, then the rows once complete.
std::string described(WalkPlan::StandardInput in, const std::string& steps, const std::vector<FileSetEntry>& rows) {
    std::string text = in == WalkPlan::StandardInput::First ? "stdin first;" : "";
    return text + steps + (in == WalkPlan::StandardInput::Last ? " stdin last;" : "") + " rows:" + described(rows);
}

void checkPlan(const Options& options, const Checker& check) {
    MemoryFileSystem files;
    for (const std::string entry : kEntries) {
        if (entry.back() == '/') files.addDirectory(entry.substr(0, entry.size() - 1));
        if (entry.back() != '/') files.addFile(entry);
    }
    WalkPlan plan;
    const Failure failure = planWalk(options, files, plan);
    std::string got = described(failure);
    if (!failure.failed()) {
        std::string steps;
        for (const WalkStep& step : plan.steps) {
            if (step.kind == WalkStep::Kind::Row) steps += " row " + std::to_string(step.row) + ";";
            if (step.kind == WalkStep::Kind::Name) steps += " name " + quoted(step.dir) + "|" + quoted(step.name) + ";";
            if (step.kind == WalkStep::Kind::Directory) steps += " dir " + quoted(step.name) + ";";
        }
        got = described(plan.standardInput, steps, rowsOf(plan.fileSets));
    }

    // An argument naming an entry exactly, as the file system says, is that
    // entry and takes no row; any other is a specification.
    WalkPlan::StandardInput in = WalkPlan::StandardInput::None;
    std::vector<FileSetEntry> rows;
    std::string steps;
    for (const std::string& argument : options.files) {
        if (argument == "-") {
            if (in == WalkPlan::StandardInput::None)
                in = steps.empty() ? WalkPlan::StandardInput::First : WalkPlan::StandardInput::Last;
            continue;
        }
        const platform::ExactPath path = files.examineArgument(argument);
        if (path.exists) {
            steps += path.isDirectory ? " dir " + quoted(argument) + ";"
                                      : " name " + quoted(path.directory.empty() ? "." : path.directory) + "|" +
                                            quoted(path.name) + ";";
            continue;
        }
        std::string dir, pattern;
        split(argument, dir, pattern);
        if (pattern.find_first_of("*?") == std::string::npos && !options.settings.recursive &&
            !foundIgnoringCase(dir, pattern)) {
            return check.same(got, described(Failure{ExitStatus::OpenFailed, argument, ENOENT}), "planWalk");
        }
        const std::size_t known = rows.size();
        const int row = enter(rows, argument);
        if (row < 0) {
            const std::string text = "Trop de r" TXT2VB_E_ACUTE "pertoires (10 au plus) : " + quoted(argument);
            return check.same(got, described(textFailure(text, ExitStatus::CommandLineError)), "planWalk");
        }
        if (rows.size() > known) steps += " row " + std::to_string(row) + ";";
    }
    check.same(got, described(in, steps, completed(rows)), "planWalk");
}

// The words the usage text documents, from its lines "  -word : ...";
// "- :" (standard input) and "-- :" (the end of the options) name none.
std::set<std::string> documentedWords() {
    std::istringstream usage(usageText(kProgram));
    std::set<std::string> words;
    for (std::string line; std::getline(usage, line);) {
        const std::size_t dash = line.find_first_not_of(' '), colon = line.find(" : ");
        if (dash == std::string::npos || colon == std::string::npos || colon <= dash + 1) continue;
        if (line[dash] == '-' && line[dash + 1] != '-') words.insert(line.substr(dash + 1, colon - dash - 1));
    }
    return words;
}

// The words the rules compare arguments with, which random bytes seldom
// spell: every option of the tables, with its values, and the entries.
const std::vector<std::string>& vocabulary() {
    static const std::vector<std::string> words = [] {
        std::vector<std::string> made = {"--", "-", "--help", "--version", "-?", "-var:Rem", "-nbl:20"};
        for (const Letter& letter : kLetters)
            made.push_back(std::string("-") + letter.letter + (letter.value ? ":" : ""));
        for (const Word& word : kWords) made.push_back(std::string("-") + word.word);
        for (const auto& end : kLineEnds) made.push_back(std::string("-nl:") + end.first);
        for (const char* entry : kEntries) made.push_back(entry);
        return made;
    }();
    return words;
}

}  // namespace

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

// One time in four, a word of the vocabulary comes in as an argument of its
// own; else libFuzzer's own mutations.
extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize,
                                               unsigned seed) {
    std::minstd_rand random(seed);
    const std::string& word = vocabulary()[random() % vocabulary().size()];
    if (random() % 4 != 0 || size + word.size() + 1 > maxSize) return LLVMFuzzerMutate(data, size, maxSize);
    std::vector<std::size_t> starts = {0};
    for (std::size_t i = 0; i < size; ++i)
        if (data[i] == 0) starts.push_back(i + 1);
    const std::size_t at = starts[random() % starts.size()];
    std::string input(reinterpret_cast<const char*>(data), size);
    input.insert(at, word + '\0');
    std::memcpy(data, input.data(), input.size());
    return input.size();
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::set<std::string> table = {"?"};
    for (const Letter& letter : kLetters) table.insert(std::string(1, letter.letter));
    for (const Word& word : kWords) table.insert(word.word);
    std::string documented, model;
    for (const std::string& word : documentedWords()) documented += " " + word;
    for (const std::string& word : table) model += " " + word;
    Checker{nullptr, 0}.same(documented, model, "the options the usage text documents and the fuzzer's tables");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Longer command lines meet no rule the shorter ones miss, and cost.
    if (size > 1024) return 0;
    const Checker check{data, size};
    // A NUL ends each argument; the last needs none.
    std::vector<std::string> arguments;
    const char* text = reinterpret_cast<const char*>(data);
    std::size_t start = 0;
    for (std::size_t i = 0; i <= size; ++i) {
        if (i == size || data[i] == 0) {
            if (i > start || i < size) arguments.emplace_back(text + start, i - start);
            start = i + 1;
        }
    }
    std::vector<const char*> argv = {kProgram};
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());

    const OptionsRead read = readOptions(static_cast<int>(argv.size()), argv.data());
    check.same(described(read), described(expect(arguments)), "readOptions");
    if (read.refusal.failed() || read.options.request != Options::Request::Convert) return 0;
    checkFileSets(read.options, check);
    checkPlan(read.options, check);
    return 0;
}
