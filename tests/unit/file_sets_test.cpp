// Splitting and merging file specifications, the plan of a walk, and the
// names under -e.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "driver/file_sets.h"
#include "driver/new_name.h"
#include "driver/shown_name.h"
#include "support/memory_file_system.h"

namespace {

using Rows = std::vector<std::pair<std::string, std::string>>;

Rows tableRows(const FileSetTable& table) {
    Rows rows;
    for (int i = 0; i < table.size(); ++i) rows.emplace_back(table.row(i).dir, table.row(i).patterns);
    return rows;
}

TEST(FileSpecs, SplitIntoDirectoryAndPattern) {
    const std::vector<std::vector<std::string>> cases = {
        {"*.txt", "", "*.txt"},
        {"src\\sub\\*.htm", "src\\sub\\", "*.htm"},
        {"c:*.txt", "c:", "*.txt"},
        {"c:\\*.txt", "c:\\", "*.txt"},
        {"..\\*.txt", "..\\", "*.txt"},
        {"a/b/x.txt", "a/b/", "x.txt"},
        {"sub\\", "", "sub\\"},
        {"a\\b//", "a\\", "b//"},
        {"\\", "", ""},
        {"c:", "", "c:"},
        {":\\/", "", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        std::string dir, pattern;
        splitFileSpec(c[0], dir, pattern);
        EXPECT_EQ(dir, c[1]) << c[0];
        EXPECT_EQ(pattern, c[2]) << c[0];
    }
}

TEST(FileSpecs, MergedPerDirectoryIgnoringCaseInTheFirstSpelling) {
    struct Case {
        std::vector<const char*> specs;
        Rows rows;
    };
    const std::vector<Case> cases = {
        {{"*.txt"}, {{".", "*.txt"}}},
        {{"src\\*.htm", "src\\*.txt"}, {{"src\\", "*.htm;*.txt"}}},
        {{"src\\*.htm"}, {{"src\\", "*.htm"}}},
        {{"a\\*.txt", "b\\*.txt"}, {{"a\\", "*.txt"}, {"b\\", "*.txt"}}},
        {{"a\\*.txt", "b\\*.txt", "A\\*.htm"}, {{"a\\", "*.txt;*.htm"}, {"b\\", "*.txt"}}},
        {{"*.txt", "*.htm"}, {{".", "*.txt;*.htm"}}},
        {{"*.txt", "sub\\*.txt"}, {{".", "*.txt"}, {"sub\\", "*.txt"}}},
        {{"*.txt", "*.txt"}, {{".", "*.txt;*.txt"}}},
        // Each row keeps the spelling it was made with, whatever merges in.
        {{"Src\\*.a", "sRC\\*.b", "SRC\\*.c"}, {{"Src\\", "*.a;*.b;*.c"}}},
        {{"a/*.txt", "A/*.htm", "b\\x"}, {{"a/", "*.txt;*.htm"}, {"b\\", "x"}}},
        // Only ASCII letters fold: other bytes and separators must be equal.
        {{"\xC9/*.a", "\xE9/*.b", "a/*.c", "a\\*.d"}, {{"\xC9/", "*.a"}, {"\xE9/", "*.b"}, {"a/", "*.c"}, {"a\\", "*.d"}}},
    };
    for (const Case& c : cases) {
        FileSetTable table;
        for (const char* spec : c.specs) EXPECT_GE(table.addFileSpec(spec), 0) << spec;
        table.completeFileSets();
        EXPECT_EQ(tableRows(table), c.rows) << c.specs.front();
    }
    FileSetTable ten;
    for (int i = 0; i < 10; ++i) EXPECT_EQ(ten.addFileSpec("d" + std::to_string(i) + "\\*.txt"), i);
    EXPECT_EQ(ten.addFileSpec("d10\\*.txt"), -1) << "no eleventh directory";
    EXPECT_EQ(ten.addFileSpec("D3\\*.htm"), 3) << "a known directory still merges";
}

// The plan of a walk: what each argument is, in command-line order, or the
// refusal that ends the run before any input is opened. An argument that
// names an existing entry exactly is that entry: not split at ';', its '\'
// and ':' no separators, no wildcard, no case ignored, and no row taken.
TEST(FileArguments, PlannedInOrderAsTheyAre) {
    MemoryFileSystem files;
    for (const char* name : {"a;b.txt", "a", "b.txt", "c:\\tmp\\victim\\*;.txt", "x.txt", "-r", "*.txt"}) {
        files.addFile(name);
    }
    files.addDirectory("sub");
    files.addFile("sub/x.txt");
    files.addFile("sub/y;z");
    for (int i = 0; i < 11; ++i) files.addDirectory("d" + std::to_string(i));
    struct Case {
        std::vector<std::string> args;
        bool recursive;
        std::string plan;
    };
    const std::vector<Case> cases = {
        {{"a;b.txt", "c:\\tmp\\victim\\*;.txt", "*.txt", "-r"}, false,
         "name .|a;b.txt, name .|c:\\tmp\\victim\\*;.txt, name .|*.txt, name .|-r"},
        {{"x.txt", "*.htm", "a", "sub/*.htm", "*.c"}, false, "name .|x.txt, row .=*.htm;*.c, name .|a, row sub/=*.htm"},
        {{"sub/x.txt", "sub//x.txt", "./sub/y;z"}, false, "name sub/|x.txt, name sub//|x.txt, name ./sub/|y;z"},
        {{"sub", "sub/", ".", "x.txt"}, false, "dir |sub, dir |sub/, dir |., name .|x.txt"},
        // Not there as written: a specification, found the tool's way.
        {{"X.TXT", "SUB/x.txt", "sub\\X.txt", "b*"}, false, "row .=X.TXT;b*, row SUB/=x.txt, row sub\\=X.txt"},
        {{"-", "x.txt", "-"}, false, "stdin first, name .|x.txt"},
        {{"x.txt", "-"}, false, "name .|x.txt, stdin last"},
        // A name without wildcards that names nothing ends the run, unless
        // -t looks for it in the whole tree.
        {{"x.txt", "nosuch.txt"}, false, "status -1: nosuch.txt (2)"},
        {{"nowhere/x.txt"}, false, "status -1: nowhere/x.txt (2)"},
        {{"nosuch.txt", "nosuch*"}, true, "row .=nosuch.txt;nosuch*"},
        // Ten directories of specifications at most; names take no row.
        {{"d0/*", "d1/*", "d2/*", "d3/*", "d4/*", "d5/*", "d6/*", "d7/*", "d8/*", "d9/*", "sub/x.txt", "D3/*.c",
          "d10/*"},
         false, "status 1: Trop de r\xC3\xA9pertoires (10 au plus) : \"d10/*\""},
    };
    for (const Case& c : cases) {
        Options options;
        options.files = c.args;
        options.settings.recursive = c.recursive;
        WalkPlan plan;
        const Failure failure = planWalk(options, files, plan);
        std::string planned;
        if (failure.failed()) {
            planned = "status " + std::to_string(static_cast<int>(failure.status)) + ": " + failure.text +
                      (failure.showsSystemError ? " (" + std::to_string(failure.error) + ")" : "");
        } else {
            if (plan.standardInput == WalkPlan::StandardInput::First) planned = "stdin first";
            for (const WalkStep& step : plan.steps) {
                if (!planned.empty()) planned += ", ";
                if (step.kind == WalkStep::Kind::Row) {
                    const FileSetEntry& row = plan.fileSets.row(step.row);
                    planned += "row " + row.dir + "=" + row.patterns;
                } else {
                    planned += (step.kind == WalkStep::Kind::Name ? "name " : "dir ") + step.dir + "|" + step.name;
                }
            }
            if (plan.standardInput == WalkPlan::StandardInput::Last) planned += ", stdin last";
        }
        EXPECT_EQ(planned, c.plan) << c.args.front();
    }
}

TEST(ShownNames, ControlBytesAreEscaped) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"plain.txt", "plain.txt"},
        {"\x1B[31mred.txt", "\\x1B[31mred.txt"},
        {std::string("a\0b", 3), "a\\x00b"},
        {"line\nfeed\r\t", "line\\x0Afeed\\x0D\\x09"},
        {"\x1F\x20\x7E\x7F\x80\xFF", "\\x1F \x7E\\x7F\x80\xFF"},
        {"back\\slash", "back\\slash"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(shownName(c.first), c.second) << c.second;
}

TEST(NewExtension, NamesUnderE) {
    const std::vector<std::vector<std::string>> cases = {
        {"dir\\page.htm", "asp", "dir\\page.asp"},
        {".\\a.b.txt", "asp", ".\\a.b.asp"},
        {".\\a..txt", "asp", ".\\a..asp"},
        {".\\a.txt.", "asp", ".\\a.asp"},
        {".\\page.htm", "", ".\\page."},
        // A name without an extension keeps its directory and its name.
        {".\\README", "asp", ".\\README.asp"},
        {"sub.d\\README", "asp", "sub.d\\README.asp"},
        {"README", "asp", "README.asp"},
        {".\\a.", "asp", ".\\a.asp"},
        {"sub.d/x", "asp", "sub.d/x.asp"},
        {"c:x", "asp", "c:x.asp"},
        {".\\.bashrc", "asp", ".\\.asp"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(newExtensionName(c[0], c[1]), c[2]) << c[0];
    }
}

}  // namespace
