// The exclusive lock between runs, held on a named file: created when
// missing, waited for while another holds it, and a lock file removed by
// its holder made anew for the next one.
#include "platform/file_lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>
#include <thread>

#include "platform/descriptors.h"
#include "platform/file_ops.h"
#include "support/scratch_files.h"

namespace {

class PlatformFileLock : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.ok()) << "no scratch directory: " << std::strerror(errno); }
    ScratchDir dir;
};

platform::FileLocation at(const std::string& path) { return platform::FileLocation{path}; }

TEST_F(PlatformFileLock, CreatesTheFileHoldsItAndRemovesIt) {
    platform::ExclusiveFileLock lock;
    std::string err;
    EXPECT_FALSE(lock.held());
    ASSERT_TRUE(lock.acquire(at(dir / "lock"), &err)) << err;
    EXPECT_TRUE(lock.held());
    EXPECT_TRUE(exists(dir / "lock"));
    EXPECT_TRUE(lock.identity() == platform::fileIdentity(dir.at("lock")));
    lock.release();
    EXPECT_FALSE(lock.held());
    EXPECT_FALSE(exists(dir / "lock"));  // the holder removes it
    lock.release();                       // a second release does nothing
    EXPECT_TRUE(lock.acquire(at(dir / "lock"), &err));  // and it can be taken again
}

// On Windows the name stays taken until the holder's handle is closed.
#if !defined(_WIN32)
TEST_F(PlatformFileLock, LeavesAFileThatIsNotTheOneItHeld) {
    platform::ExclusiveFileLock lock;
    std::string err;
    ASSERT_TRUE(lock.acquire(at(dir / "lock"), &err)) << err;
    ASSERT_TRUE(platform::removeFile(dir.at("lock")));
    ASSERT_TRUE(writeFile(dir / "lock", "someone else's"));
    lock.release();
    EXPECT_EQ(readFile(dir / "lock"), "someone else's");
}
#endif

TEST_F(PlatformFileLock, NoDirectoryNoLock) {
    platform::ExclusiveFileLock lock;
    std::string err;
    EXPECT_FALSE(lock.acquire(at(dir / "missing/lock"), &err));
    EXPECT_NE(err.find("lock"), std::string::npos) << err;
    EXPECT_FALSE(lock.held());
}

TEST_F(PlatformFileLock, SecondHolderWaitsForTheFirst) {
    const std::string path = dir / "lock";
    platform::ExclusiveFileLock first;
    std::string err;
    ASSERT_TRUE(first.acquire(at(path), &err)) << err;
    std::atomic<bool> released(false);
    bool sawRelease = false;
    bool acquired = false;
    std::thread waiter([&] {
        platform::ExclusiveFileLock second;
        std::string secondErr;
        acquired = second.acquire(at(path), &secondErr);
        sawRelease = released.load();
    });
    // However the threads are scheduled, the waiter gets the lock only
    // after this release.
    for (int i = 0; i < 1000; ++i) std::this_thread::yield();
    released = true;
    first.release();
    waiter.join();
    EXPECT_TRUE(acquired);
    EXPECT_TRUE(sawRelease);
}

TEST_F(PlatformFileLock, RemovedByItsHolderMadeAnewForTheNext) {
    const std::string path = dir / "lock";
    platform::ExclusiveFileLock first;
    std::string err;
    ASSERT_TRUE(first.acquire(at(path), &err)) << err;
    bool acquired = false;
    platform::FileIdentity held;
    platform::FileIdentity named;
    std::thread waiter([&] {
        platform::ExclusiveFileLock second;
        std::string secondErr;
        acquired = second.acquire(at(path), &secondErr);
        held = second.identity();
        named = platform::fileIdentity(platform::locatePath(path));
    });
    for (int i = 0; i < 1000; ++i) std::this_thread::yield();
    // The holder removes the file while it still holds it.
    first.release();
    waiter.join();
    ASSERT_TRUE(acquired);
    // The waiter holds the file that now has the name, whichever it opened
    // first.
    EXPECT_TRUE(held.exists);
    EXPECT_TRUE(held == named);
}

}  // namespace
