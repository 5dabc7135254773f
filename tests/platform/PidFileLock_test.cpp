// The lock that keeps two runs off one file: refused while held, by whoever opened the file apart
// (this process too), with the holder named; free again when the holder lets go or dies.

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "fakes/TempDir.h"
#include "platform/posix/DeviceHolders.h"
#include "platform/posix/PidFileLock.h"

namespace quorvane {
namespace {

TEST(PidFileLock, ASecondHolderOfOneFileIsRefusedWithTheFirstNamedWhileOtherFilesBesideItAreFree) {
    test::TempDir dir;
    PidFileLock first(dir.file("a.queue.lock"));
    PidFileLock second(dir.file("a.queue.lock"));
    PidFileLock other(dir.file("b.queue.lock"));
    std::string problem;
    ASSERT_TRUE(first.acquire(problem)) << problem;
    EXPECT_FALSE(second.acquire(problem));
    EXPECT_EQ(problem, dir.file("a.queue.lock") + " is in use by " + DescribeProcess(getpid()));
    EXPECT_TRUE(other.acquire(problem)) << problem;
    first.release();
    EXPECT_TRUE(second.acquire(problem)) << problem;
}

TEST(PidFileLock, TheLockOfAKilledHolderIsFreeAtOnce) {
    test::TempDir dir;
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    if (child == 0) {
        PidFileLock lock(dir.file("q.lock"));
        std::string ignored;
        const char held = lock.acquire(ignored) ? '1' : '0';
        [[maybe_unused]] const auto n = write(ready[1], &held, 1);
        pause();
        _exit(0);
    }
    char held = 0;
    ASSERT_EQ(read(ready[0], &held, 1), 1);
    ASSERT_EQ(held, '1');
    PidFileLock lock(dir.file("q.lock"));
    std::string problem;
    EXPECT_FALSE(lock.acquire(problem));
    EXPECT_NE(problem.find("in use by process " + std::to_string(child)), std::string::npos) << problem;
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_TRUE(lock.acquire(problem)) << problem;
    close(ready[0]);
    close(ready[1]);
}

} // namespace
} // namespace quorvane
