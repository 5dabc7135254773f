// Saving and reading configuration files on a real file system, with write(2) and fsync(2) made to
// fail where a save can fail. Messages and the file commands are tested in ConfigFiles_test.cpp.

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "config/ConfigFiles.h"
#include "fakes/SpecialFiles.h"
#include "fakes/TempDir.h"
#include "platform/posix/PosixConfigFileAccess.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;

ssize_t failingWrite(int, const void*, size_t) {
    errno = ENOSPC;
    return -1;
}
// Half the bytes reach the file, then the disk is full.
ssize_t halfThenFull(int fd, const void* data, size_t size) {
    static bool wroteHalf = false;
    wroteHalf = !wroteHalf;
    if (!wroteHalf) {
        errno = ENOSPC;
        return -1;
    }
    return ::write(fd, data, size / 2);
}
int failingSync(int) {
    errno = EIO;
    return -1;
}

struct FailingSave {
    const char* Name;
    PosixConfigFileAccess::WriteFunction Write;
    PosixConfigFileAccess::SyncFunction Sync;
};

class FailedSave : public testing::TestWithParam<FailingSave> {};

TEST_P(FailedSave, LeavesThePreviousFileWholeAndNoTemporaryFile) {
    test::TempDir dir;
    const std::string path = dir.file("lab.QV3");
    std::ofstream(path, std::ios::binary) << "old contents";
    PosixConfigFileAccess files(GetParam().Write, GetParam().Sync);
    EXPECT_FALSE(files.replaceFile(path, std::string(10000, 'n')).empty());
    EXPECT_EQ(ReadWholeFile(path).value_or(""), "old contents");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1);
}

INSTANTIATE_TEST_SUITE_P(Steps, FailedSave,
                         testing::Values(FailingSave{"WriteFails", &failingWrite, nullptr},
                                         FailingSave{"DiskFillsHalfWay", &halfThenFull, nullptr},
                                         FailingSave{"SyncFails", nullptr, &failingSync}),
                         [](const testing::TestParamInfo<FailingSave>& p) {
                             return std::string(p.param.Name);
                         });

TEST(PosixConfigFileAccess, ReplaceKeepsPermissionsAndReplacesTheFileBehindALink) {
    test::TempDir dir;
    const std::string real = dir.file("real.QV3");
    std::ofstream(real) << "old";
    ASSERT_EQ(chmod(real.c_str(), 0640), 0);
    fs::create_symlink(real, dir.file("link.QV3"));
    PosixConfigFileAccess files;
    EXPECT_EQ(files.replaceFile(dir.file("link.QV3"), "new"), "");
    EXPECT_TRUE(fs::is_symlink(dir.file("link.QV3")));
    EXPECT_EQ(ReadWholeFile(real).value_or(""), "new");
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

class SaveOverSpecialFile : public testing::TestWithParam<test::SpecialFile> {};

// Renaming a new file over a device node, a FIFO or a socket would destroy it (as root, /dev/null
// itself); a save refuses, says what is there, and leaves it and any link to it as they were.
TEST_P(SaveOverSpecialFile, IsRefusedWithWhatIsThereAndLeavesItAsItWas) {
    test::TempDir dir;
    const std::string path = dir.file("lab.QV3");
    if (!test::makeSpecialFile(GetParam(), path))
        GTEST_SKIP() << "cannot make " << GetParam().Kind << " here";
    const mode_t before = test::fileType(path, false);
    const mode_t behind = test::fileType(path, true);
    const std::string error = PosixConfigFileAccess().replaceFile(path, "new");
    EXPECT_NE(error.find(GetParam().Kind), std::string::npos) << error;
    EXPECT_EQ(test::fileType(path, false), before);
    EXPECT_EQ(test::fileType(path, true), behind);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), GetParam().BehindLink ? 2 : 1);
}

INSTANTIATE_TEST_SUITE_P(Kinds, SaveOverSpecialFile, testing::ValuesIn(test::kSpecialFiles),
                         [](const auto& p) { return std::string(p.param.Name); });

TEST(PosixConfigFileAccess, SaveThroughADanglingLinkMakesTheFileItNamesAndKeepsTheLink) {
    test::TempDir dir;
    fs::create_symlink("made.QV3", dir.file("link.QV3"));
    EXPECT_EQ(PosixConfigFileAccess().replaceFile(dir.file("link.QV3"), "new"), "");
    EXPECT_TRUE(fs::is_symlink(dir.file("link.QV3")));
    EXPECT_EQ(ReadWholeFile(dir.file("made.QV3")).value_or(""), "new");
}

TEST(PosixConfigFileAccess, ReadHeadGivesTheStartAndTheSizeAndRefusesWhatIsNoRegularFile) {
    test::TempDir dir;
    const std::string path = dir.file("lab.QV3");
    std::ofstream(path) << "0123456789";
    ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0600), 0);
    PosixConfigFileAccess files;
    const FileHead head = files.readHead(path, 4);
    EXPECT_TRUE(head.ok());
    EXPECT_EQ(head.Bytes, "0123");
    EXPECT_EQ(head.Size, 10u);
    EXPECT_EQ(files.readHead(dir.file("fifo"), 4).Outcome, FileHead::Status::NotRegularFile);
    EXPECT_EQ(files.readHead(dir.path().string(), 4).Outcome, FileHead::Status::NotRegularFile);
    EXPECT_EQ(files.readHead(dir.file("none"), 4).Outcome, FileHead::Status::CannotOpen);
}

} // namespace
} // namespace quorvane
