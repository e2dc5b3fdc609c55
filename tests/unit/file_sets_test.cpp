// Splitting and merging file specifications, and the names under -e.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "driver/file_sets.h"
#include "driver/new_name.h"

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

TEST(FileSpecs, MergedPerDirectoryWithUpperCasing) {
    struct Case {
        std::vector<const char*> specs;
        Rows rows;
    };
    const std::vector<Case> cases = {
        {{"*.txt"}, {{".", "*.txt"}}},
        {{"src\\*.htm", "src\\*.txt"}, {{"SRC\\", "*.htm;*.txt"}}},
        {{"src\\*.htm"}, {{"src\\", "*.htm"}}},
        {{"a\\*.txt", "b\\*.txt"}, {{"A\\", "*.txt"}, {"B\\", "*.txt"}}},
        {{"a\\*.txt", "b\\*.txt", "a\\*.htm"}, {{"A\\", "*.txt;*.htm"}, {"B\\", "*.txt"}}},
        {{"*.txt", "*.htm"}, {{".", "*.txt;*.htm"}}},
        {{"*.txt", "sub\\*.txt"}, {{".", "*.txt"}, {"SUB\\", "*.txt"}}},
        {{"*.txt", "*.txt"}, {{".", "*.txt;*.txt"}}},
        {{"Src\\*.a", "sRC\\*.b"}, {{"SRC\\", "*.a;*.b"}}},
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
