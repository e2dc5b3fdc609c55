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
#include "scratch_files.h"

namespace {

class PlatformFileLock : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.ok()) << "no scratch directory: " << std::strerror(errno); }
    ScratchDir dir;
};

TEST_F(PlatformFileLock, CreatesTheFileAndHoldsIt) {
    platform::ExclusiveFileLock lock;
    EXPECT_FALSE(lock.held());
    EXPECT_EQ(lock.descriptor(), -1);
    ASSERT_TRUE(lock.acquire(dir / "lock"));
    EXPECT_TRUE(lock.held());
    EXPECT_TRUE(exists(dir / "lock"));
    EXPECT_TRUE(platform::descriptorIdentity(lock.descriptor()) == platform::fileIdentity(dir / "lock"));
    // Open for reading and writing.
    EXPECT_TRUE(platform::writeAll(lock.descriptor(), "held", 4));
    ASSERT_TRUE(seekTo(lock.descriptor(), 0));
    char back[4];
    EXPECT_EQ(platform::readSome(lock.descriptor(), back, sizeof back), 4);
    lock.release();
    EXPECT_FALSE(lock.held());
    EXPECT_EQ(lock.descriptor(), -1);
    EXPECT_EQ(readFile(dir / "lock"), "held");  // released, not removed
    lock.release();                              // a second release does nothing
    EXPECT_TRUE(lock.acquire(dir / "lock"));     // and it can be taken again
}

TEST_F(PlatformFileLock, NoDirectoryNoLock) {
    platform::ExclusiveFileLock lock;
    errno = 0;
    EXPECT_FALSE(lock.acquire(dir / "missing/lock"));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_FALSE(lock.held());
}

TEST_F(PlatformFileLock, SecondHolderWaitsForTheFirst) {
    const std::string path = dir / "lock";
    platform::ExclusiveFileLock first;
    ASSERT_TRUE(first.acquire(path));
    std::atomic<bool> released(false);
    bool sawRelease = false;
    bool acquired = false;
    std::thread waiter([&] {
        platform::ExclusiveFileLock second;
        acquired = second.acquire(path);
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
    ASSERT_TRUE(first.acquire(path));
    bool acquired = false;
    platform::FileIdentity held;
    platform::FileIdentity named;
    std::thread waiter([&] {
        platform::ExclusiveFileLock second;
        acquired = second.acquire(path);
        held = platform::descriptorIdentity(second.descriptor());
        named = platform::fileIdentity(path);
    });
    for (int i = 0; i < 1000; ++i) std::this_thread::yield();
    // The holder may remove the file while it holds it.
    EXPECT_TRUE(platform::removeFile(path));
    first.release();
    waiter.join();
    ASSERT_TRUE(acquired);
    // The waiter holds the file that now has the name, whichever it opened
    // first.
    EXPECT_TRUE(held.exists);
    EXPECT_TRUE(held == named);
}

}  // namespace
