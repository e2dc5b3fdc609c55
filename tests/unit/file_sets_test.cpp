// Splitting and merging file specifications, and the names under -e.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "driver/file_sets.h"
#include "driver/new_name.h"
#include "driver/shown_name.h"
#include "support/scratch_files.h"

namespace {

using Rows = std::vector<std::pair<std::string, std::string>>;

Rows tableRows() {
    Rows rows;
    for (const FileSetEntry& row : fileSetTable) {
        if (!row.used) break;
        rows.emplace_back(row.dir, row.patterns);
    }
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
        clearFileSets();
        for (const char* spec : c.specs) addFileSpec(spec);
        completeFileSets();
        EXPECT_EQ(tableRows(), c.rows) << c.specs.front();
    }
    clearFileSets();
}

TEST(FileSpecs, TenDirectoriesFitAndAnEleventhEndsTheRun) {
    clearFileSets();
    for (int i = 0; i < 10; ++i) addFileSpec(("d" + std::to_string(i) + "\\*.txt").c_str());
    EXPECT_EQ(tableRows().size(), 10u);
    EXPECT_EXIT(addFileSpec("d10\\*.txt"), testing::ExitedWithCode(1), "Trop de r.*pertoires \\(10 au plus\\)");
    addFileSpec("d3\\*.htm");  // a known directory still merges
    EXPECT_EQ(tableRows()[3].second, "*.txt;*.htm");
    clearFileSets();
}

TEST(FileSpecs, SpecificationWithoutANameEndsTheRun) {
    clearFileSets();
    for (const char* spec : {"", "\\", ":", "\\/:"}) {
        EXPECT_EXIT(addFileSpec(spec), testing::ExitedWithCode(1), "cification de fichier sans nom") << spec;
    }
}

// The rows as the walk reads them: a row of names given exactly lists its
// names after "=", a row of specifications its patterns.
Rows allRows() {
    Rows rows;
    for (const FileSetEntry& row : fileSetTable) {
        if (!row.used) break;
        if (row.exact) {
            std::string names = "=";
            for (const std::string& name : row.names) names += (names.size() > 1 ? "|" : "") + name;
            rows.emplace_back(row.dir, names);
        } else {
            rows.emplace_back(row.dir, row.patterns);
        }
    }
    return rows;
}

#if !defined(_WIN32)
// An argument that names an existing entry exactly is that entry: not split
// at ';', its '\' and ':' no separators, no wildcard, no case ignored.
TEST(FileArguments, AnExistingEntryIsTakenAsGiven) {
    ScratchDir dir;
    ASSERT_TRUE(dir.ok());
    for (const char* name : {"a;b.txt", "a", "b.txt", "c:\\tmp\\victim\\*;.txt", "x.txt", "-r", "*.txt"}) {
        ASSERT_TRUE(writeFile(dir / name, "text"));
    }
    ASSERT_TRUE(makeDirectory(dir / "sub"));
    ASSERT_TRUE(makeDirectory(dir / "c:"));
    ASSERT_TRUE(writeFile(dir / "sub/x.txt", "x"));
    ASSERT_TRUE(writeFile(dir / "sub/y;z", "y"));
    InDirectory inside(dir.path());
    ASSERT_TRUE(inside.ok());

    struct Case {
        std::vector<const char*> args;
        Rows rows;
    };
    const std::vector<Case> cases = {
        {{"a;b.txt"}, {{".", "=a;b.txt"}}},
        {{"c:\\tmp\\victim\\*;.txt"}, {{".", "=c:\\tmp\\victim\\*;.txt"}}},
        {{"*.txt", "-r"}, {{".", "=*.txt|-r"}}},
        {{"x.txt", "*.htm", "a"}, {{".", "=x.txt|a"}, {".", "*.htm"}}},
        {{"sub/x.txt", "sub/y;z", "sub/*.htm"}, {{"sub/", "=x.txt|y;z"}, {"sub/", "*.htm"}}},
        // Another spelling of the directory is another row.
        {{"sub/x.txt", "sub//x.txt", "./sub/x.txt"}, {{"sub/", "=x.txt"}, {"sub//", "=x.txt"}, {"./sub/", "=x.txt"}}},
        // A directory given exactly selects nothing.
        {{"sub", "sub/", "c:", ".", "x.txt"}, {{".", "=x.txt"}}},
        // What does not exist as written is a specification.
        {{"X.TXT", "SUB/x.txt", "sub\\x.txt", "c:x.txt", "a;c"},
         {{".", "X.TXT;a;c"}, {"SUB/", "x.txt"}, {"sub\\", "x.txt"}, {"c:", "x.txt"}}},
    };
    for (const Case& c : cases) {
        clearFileSets();
        for (const char* arg : c.args) {
            std::string message;
            EXPECT_TRUE(tryAddArgument(arg, message)) << arg << message;
        }
        completeFileSets();
        EXPECT_EQ(allRows(), c.rows) << c.args.front();
    }
    // Separators alone name no file, whatever exists.
    for (const char* arg : {"/", "//", "\\", "/:"}) {
        std::string message;
        EXPECT_FALSE(tryAddArgument(arg, message)) << arg;
        EXPECT_NE(message.find("sans nom"), std::string::npos) << message;
    }
    clearFileSets();
}

TEST(FileArguments, TenDirectoriesCountNamesGivenExactly) {
    ScratchDir dir;
    ASSERT_TRUE(dir.ok());
    for (int i = 0; i < 11; ++i) {
        ASSERT_TRUE(makeDirectory(dir / ("d" + std::to_string(i))));
        ASSERT_TRUE(writeFile(dir / ("d" + std::to_string(i) + "/x"), ""));
    }
    InDirectory inside(dir.path());
    ASSERT_TRUE(inside.ok());
    clearFileSets();
    std::string message;
    for (int i = 0; i < 9; ++i) ASSERT_TRUE(tryAddArgument(("d" + std::to_string(i) + "/x").c_str(), message));
    ASSERT_TRUE(tryAddArgument("*.none", message));
    EXPECT_TRUE(tryAddArgument("d3/x", message)) << "a known directory still takes names";
    EXPECT_FALSE(tryAddArgument("d10/x", message));
    EXPECT_NE(message.find("Trop de r"), std::string::npos) << message;
    EXPECT_NE(message.find("\"d10/x\""), std::string::npos) << message;
    clearFileSets();
}
#endif

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
