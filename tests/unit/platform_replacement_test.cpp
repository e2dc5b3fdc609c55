// The replacement of a file by its result as one transaction, against the
// real file system: the result is put in place only while its working name
// holds it and the target still holds the input (or, for a new name, while
// nothing stands there), and nothing of a result not put in place stays.
#include "platform/replacement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_ops.h"
#include "support/scratch_files.h"

namespace {

struct Case {
    const char* name;
    const char* newName;                                  // null: over the input
    std::function<void(const ScratchDir&)> meanwhile;     // another process's doing, before the result is placed
    bool placed;
    std::vector<std::pair<std::string, std::string>> after;  // every name left and its bytes
};

std::string workingName(const ScratchDir& dir) {
    for (const std::string& name : namesIn(dir.path())) {
        if (platform::isWorkingFileName(name)) return name;
    }
    return "";
}

TEST(PlatformReplacement, PlacesOnlyOverWhatItWasMadeFor) {
    const std::vector<Case> cases = {
        {"over the input", nullptr, [](const ScratchDir&) {}, true, {{"a.txt", "result"}}},
        {"the input replaced meanwhile", nullptr,
         [](const ScratchDir& dir) {
             writeFile(dir / "other", "other");
             platform::moveFile(dir.at("other"), dir.at("a.txt"));
         },
         false, {{"a.txt", "other"}}},
        {"the input removed meanwhile", nullptr, [](const ScratchDir& dir) { platform::removeFile(dir.at("a.txt")); },
         false, {}},
        {"the working name taken over", nullptr,
         [](const ScratchDir& dir) {
             const std::string working = workingName(dir);
             writeFile(dir / "other", "other");
             platform::moveFile(dir.at("other"), dir.at(working));
         },
         false, {{"a.txt", "input"}, {"working", "other"}}},
        {"a free new name", "a.vb", [](const ScratchDir&) {}, true, {{"a.txt", "input"}, {"a.vb", "result"}}},
        {"the new name taken meanwhile", "a.vb", [](const ScratchDir& dir) { writeFile(dir / "a.vb", "intruder"); },
         false, {{"a.txt", "input"}, {"a.vb", "intruder"}}},
    };
    for (const Case& c : cases) {
        ScratchDir dir;
        ASSERT_TRUE(dir.ok());
        ASSERT_TRUE(writeFile(dir / "a.txt", "input"));
        const platform::FileLocation directory = platform::locatePath(dir.path());
        platform::SystemError error;
        platform::InputFile input;
        ASSERT_TRUE(input.open(platform::locateName(directory, "a.txt"), true, false, error)) << c.name;
        const platform::FileIdentity inputIdentity = input.facts().identity;
        {
            platform::Replacement replacement;
            ASSERT_TRUE(replacement.begin(directory, "a.txt", error)) << c.name << error.text();
            ASSERT_TRUE(replacement.sink().write("result", 6)) << c.name;
            ASSERT_TRUE(replacement.complete(input, error)) << c.name << error.text();
            c.meanwhile(dir);
            const bool overInput = c.newName == nullptr;
            const platform::FileLocation target = platform::locateName(directory, overInput ? "a.txt" : c.newName);
            EXPECT_EQ(replacement.place(target, overInput ? inputIdentity : platform::FileIdentity(), error), c.placed)
                << c.name;
            if (!c.placed) {
                EXPECT_NE(error.number, 0) << c.name;
            }
        }
        // Nothing of a result not placed stays; another's file is left
        // (any file under a working name is shown as "working").
        std::vector<std::pair<std::string, std::string>> after;
        for (const std::string& name : namesIn(dir.path())) {
            after.emplace_back(platform::isWorkingFileName(name) ? "working" : name, readFile(dir / name));
        }
        std::sort(after.begin(), after.end());
        EXPECT_EQ(after, c.after) << c.name;
    }
}

// Under a new name, the input goes only while its name still holds it;
// otherwise the result is taken back and the input stands alone.
TEST(PlatformReplacement, RemovesTheInputOnlyWhileItIsTheInput) {
    for (bool inputChanged : {false, true}) {
        ScratchDir dir;
        ASSERT_TRUE(dir.ok());
        ASSERT_TRUE(writeFile(dir / "a.txt", "input"));
        const platform::FileLocation directory = platform::locatePath(dir.path());
        const platform::FileLocation inputName = platform::locateName(directory, "a.txt");
        platform::SystemError error;
        platform::InputFile input;
        ASSERT_TRUE(input.open(inputName, true, false, error));
        const platform::FileIdentity inputIdentity = input.facts().identity;
        platform::Replacement replacement;
        ASSERT_TRUE(replacement.begin(directory, "a.txt", error));
        ASSERT_TRUE(replacement.sink().write("result", 6));
        ASSERT_TRUE(replacement.complete(input, error));
        ASSERT_TRUE(replacement.place(platform::locateName(directory, "a.vb"), platform::FileIdentity(), error));
        if (inputChanged) {
            ASSERT_TRUE(writeFile(dir / "b", "changed"));
            ASSERT_TRUE(platform::moveFile(dir.at("b"), dir.at("a.txt")));
        }
        EXPECT_EQ(replacement.removeInput(inputName, inputIdentity, error), !inputChanged);
        EXPECT_EQ(namesIn(dir.path()), inputChanged ? std::vector<std::string>{"a.txt"} : std::vector<std::string>{"a.vb"});
    }
}

// An input another process wrote to since it was opened is seen as
// changed, so that its result, which would lose what was written, is not
// put in its place.
TEST(PlatformReplacement, TheInputIsSeenChangedOnceAnotherWritesToIt) {
    for (bool written : {false, true}) {
        ScratchDir dir;
        ASSERT_TRUE(dir.ok());
        ASSERT_TRUE(writeFile(dir / "a.txt", "input"));
        platform::SystemError error;
        platform::InputFile input;
        ASSERT_TRUE(input.open(platform::locateName(platform::locatePath(dir.path()), "a.txt"), true, false, error));
        char bytes[16];
        EXPECT_EQ(input.read(bytes, sizeof bytes), 5);
        if (written) {
            ASSERT_TRUE(writeFile(dir / "a.txt", "input, and a line more"));
        }
        EXPECT_EQ(input.unchanged(), !written) << written;
    }
}

}  // namespace
