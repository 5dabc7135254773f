// Log-to-disk output against a real file in a temporary folder: creation, bytes as received,
// preamble and postamble text, the Retry/Cancel question and what Cancel leaves behind, the log
// file opened once per read of the port, and the POSIX append's handling of short and interrupted writes; the
// POSIX read takes regular files only.

#include "engine/EngineTestSupport.h"
#include "fakes/TempDir.h"
#include "engine/output/QueuedLogOutput.h"
#include "platform/posix/PosixFileAccess.h"

#include <cerrno>
#include <csignal>
#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane::test {
namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class LogToDisk : public ::testing::Test {
protected:
    explicit LogToDisk() {
        config.LogFileName = folder.file("capture.log");
        rig = std::make_unique<EngineRig>(config);
        rig->Files = FakeFileAccess(&posix);
    }
    EngineRig& load() { return rig->load(); }

    TempDir folder;
    Configuration config = engineTestConfig();
    PosixFileAccess posix;
    std::unique_ptr<EngineRig> rig;
};

TEST_F(LogToDisk, FirstRecordCreatesTheFileAndBytesArriveAsSent) {
    load().send("1.5\r\n2.5\r\n").tick();
    EXPECT_EQ(readAll(config.LogFileName), "1.5\r\n2.5\r") << "the LF starts the next record's field";
    rig->send("\x01\x02\r").tick();
    EXPECT_EQ(readAll(config.LogFileName), "1.5\r\n2.5\r\n\x01\x02\r");
}

TEST_F(LogToDisk, PreambleDateCodesAndLiteralPostamble) {
    rig->Config.RecordPreamble = "{YEAR}-{MONTH}-{DAY} ";
    rig->Config.FieldPostamble[1] = "{TAB}";
    load().send("7\r").tick();
    EXPECT_EQ(readAll(config.LogFileName), "26-12-07 7\r{TAB}");
}

TEST_F(LogToDisk, UnwritableFileAsksRetryOrCancelWithTheSystemError) {
    rig->Config.LogFileName = folder.file("missing/capture.log");
    rig->Prompts.Answers = {MessageAnswer::Cancel};
    load().send("x\r").tick();
    ASSERT_EQ(rig->Prompts.Messages.size(), 1u);
    const FakePrompts::Shown& shown = rig->Prompts.Messages[0];
    EXPECT_EQ(shown.Title, "Quorvane - COM1 ERROR!");
    EXPECT_EQ(shown.Text,
              "File I/O Error Writing To: " + rig->Config.LogFileName + "\rNo such file or directory");
    EXPECT_EQ(shown.Buttons, MessageButtons::RetryCancel);
    EXPECT_EQ(shown.Icon, MessageIcon::Exclamation);
    EXPECT_EQ(rig->Prompts.Beeps, 1);
}

TEST_F(LogToDisk, CancelResetsAndSuspends) {
    rig->Config.LogFileName = folder.file("missing/capture.log");
    rig->Prompts.Answers = {MessageAnswer::Cancel};
    load();
    rig->Engine.SuspendMenu_Click();
    rig->Engine.Resume1_Click();
    rig->send("x\ry\r").tick();
    EXPECT_TRUE(rig->Engine.state().Suspended);
    EXPECT_FALSE(rig->Engine.state().OneRecordOnly);
    EXPECT_EQ(rig->View.Caption, "Quorvane - COM1 (S)");
    EXPECT_EQ(rig->View.RecordNumber, "");
    EXPECT_EQ(rig->Device.callsOf("purge").size(), 1u);
    rig->Engine.SuspendMenu_Click();
    rig->tick();
    EXPECT_EQ(rig->Prompts.Messages.size(), 1u) << "the purged record y never reaches the log";
}

TEST_F(LogToDisk, RetryAppendsOnceTheFileIsWritable) {
    rig->Files.Failures = {{0, "Read-only file system"}, {0, "Read-only file system"}};
    load().send("x\r").tick();
    EXPECT_EQ(rig->Prompts.Messages.size(), 2u);
    EXPECT_EQ(readAll(config.LogFileName), "x\r");
    EXPECT_FALSE(rig->Engine.state().Suspended);
}

TEST_F(LogToDisk, RetryAfterAPartialWriteDoesNotRepeatTheWrittenPart) {
    rig->Config.FieldPostamble[1] = "END";
    rig->Files.Failures = {{3, "No space left on device"}};
    load().send("abcd\r").tick();
    EXPECT_EQ(readAll(config.LogFileName), "abcd\rEND");
    EXPECT_EQ(rig->Files.Appends, (std::vector<std::string>{"abcd\rEND", "d\rEND"}));
}

TEST(LogBatch, OneReadOfThePortOpensTheLogOnceForAllItsRecords) {
    EngineRig rig;
    rig.load().send("a\rb\rc\r").tick();
    EXPECT_EQ(rig.log(), "a\rb\rc\r");
    EXPECT_EQ(rig.Files.Appends.size(), 3u) << "each record is its own write";
    EXPECT_EQ(rig.Files.Opens, 1);
    EXPECT_EQ(rig.Files.Closes, 1);
}

// Both log outputs, three records delivered in or outside a batch, the write of one of them
// failing once: how often the file is opened, and that it is never open while a prompt shows.
struct BatchCase {
    const char* Name;
    bool Batch;
    int FailingRecord; // 0: none
    int LogOpens;      // LogOutput retries the failed record at once
    int QueuedOpens;   // QueuedLogOutput queues it and the records after it
};

const BatchCase kBatchCases[] = {
    {"OneBatch", true, 0, 1, 1},
    {"NoBatch", false, 0, 3, 3},
    {"FailureInBatch", true, 2, 2, 1},
    {"FailureOutsideBatch", false, 2, 4, 2},
};

void PrintTo(const BatchCase& c, std::ostream* out) {
    *out << c.Name;
}

class LogDeliveryBatch : public ::testing::TestWithParam<std::tuple<bool, BatchCase>> {};

TEST_P(LogDeliveryBatch, OpensAndClosesTheLog) {
    const auto& [queued, c] = GetParam();
    Configuration config = engineTestConfig();
    FakeFileAccess files;
    FakePrompts prompts;
    FakeClock clock;
    prompts.WhileShown = [&](const FakePrompts::Shown&) { EXPECT_EQ(files.openHandles(), 0); };
    std::unique_ptr<RecordDelivery> output;
    if (queued)
        output = std::make_unique<QueuedLogOutput>(config, files, prompts, clock);
    else
        output = std::make_unique<LogOutput>(config, files, prompts, clock);
    if (c.Batch)
        output->beginBatch();
    for (int record = 1; record <= 3; ++record) {
        if (record == c.FailingRecord)
            files.Failures = {{0, "Disk full"}};
        FieldSlots slots = InitialFieldSlots();
        slots[1] = std::string(1, static_cast<char>('0' + record));
        output->deliverRecord(slots, 1);
    }
    if (c.Batch)
        output->endBatch();
    EXPECT_EQ(prompts.Messages.empty(), c.FailingRecord == 0);
    EXPECT_EQ(files.Opens, queued ? c.QueuedOpens : c.LogOpens);
    EXPECT_EQ(files.Closes, files.Opens);
}

INSTANTIATE_TEST_SUITE_P(Outputs, LogDeliveryBatch,
                         ::testing::Combine(::testing::Bool(), ::testing::ValuesIn(kBatchCases)),
                         [](const auto& test) {
                             return std::string(std::get<0>(test.param) ? "Queued" : "Log") +
                                    std::get<1>(test.param).Name;
                         });

TEST(PosixAppend, AnOpenFileHasEachAppendInItAtOnce) {
    TempDir folder;
    PosixFileAccess files;
    std::string error;
    const std::unique_ptr<AppendFile> file = files.openForAppend(folder.file("a.log"), error);
    ASSERT_NE(file, nullptr) << error;
    EXPECT_TRUE(file->append("ab").ok());
    EXPECT_EQ(readAll(folder.file("a.log")), "ab");
    EXPECT_TRUE(file->append("c").ok());
    EXPECT_EQ(readAll(folder.file("a.log")), "abc");
    EXPECT_EQ(file->close(), "");
    EXPECT_EQ(files.openForAppend(folder.file("missing/a.log"), error), nullptr);
    EXPECT_EQ(error, "No such file or directory");
}

// write(2) stand-ins for PosixFileAccess.
int g_calls = 0;
ssize_t shortThenInterrupted(int fd, const void* data, size_t size) {
    ++g_calls;
    if (g_calls == 2) {
        errno = EINTR;
        return -1;
    }
    return ::write(fd, data, std::min<size_t>(size, 2));
}
ssize_t noProgress(int, const void*, size_t) {
    return 0;
}

TEST(PosixAppend, ShortAndInterruptedWritesStillWriteEverything) {
    TempDir folder;
    g_calls = 0;
    PosixFileAccess files(&shortThenInterrupted);
    const AppendResult result = files.appendToFile(folder.file("a.log"), "abcde");
    EXPECT_TRUE(result.ok());
    EXPECT_EQ(result.Written, 5u);
    EXPECT_EQ(readAll(folder.file("a.log")), "abcde");
}

TEST(PosixAppend, AWriteWithoutProgressIsAnError) {
    TempDir folder;
    PosixFileAccess files(&noProgress);
    const AppendResult result = files.appendToFile(folder.file("a.log"), "abc");
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.Written, 0u);
}

TEST(PosixAppend, ReadFileRefusesFilesOverTheLimit) {
    TempDir folder;
    PosixFileAccess files;
    ASSERT_TRUE(files.appendToFile(folder.file("f"), "12345").ok());
    EXPECT_EQ(files.readFile(folder.file("f"), 5), "12345");
    EXPECT_EQ(files.readFile(folder.file("f"), 4), std::nullopt);
    EXPECT_EQ(files.readFile(folder.file("none"), 100), std::nullopt);
}

TEST(PosixAppend, ReadFileRefusesFifosAndDevicesWithoutWaiting) {
    TempDir folder;
    const std::string fifo = folder.file("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    PosixFileAccess files;
    auto read = std::async(std::launch::async, [&] { return files.readFile(fifo, 100); });
    const bool returned = read.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    if (!returned) {
        // Lets a reader stuck in open() go, so the test can end.
        ::close(::open(fifo.c_str(), O_WRONLY));
    }
    EXPECT_TRUE(returned);
    EXPECT_EQ(read.get(), std::nullopt);
    EXPECT_EQ(files.readFile("/dev/null", 100), std::nullopt);
}

enum class FifoReader { None, Stalled, Gone };

class PosixAppendToFifo : public ::testing::TestWithParam<FifoReader> {};

// A FIFO as the log: every append returns at once (a blocked one would stop the engine) and says
// why it failed; a reader that left does not end the program through SIGPIPE.
TEST_P(PosixAppendToFifo, FailsAtOnceAndSaysWhy) {
    TempDir folder;
    const std::string fifo = folder.file("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto previous = ::signal(SIGPIPE, SIG_DFL);
    int reader = -1;
    if (GetParam() != FifoReader::None)
        reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    PosixFileAccess files;
    std::string error;
    std::unique_ptr<AppendFile> file = files.openForAppend(fifo, error);
    const std::string bytes(1 << 20, 'r'); // more than a pipe holds
    AppendResult result;
    if (GetParam() == FifoReader::Gone)
        ::close(reader);
    auto append = std::async(std::launch::async, [&] {
        return GetParam() == FifoReader::None ? files.appendToFile(fifo, bytes) : file->append(bytes);
    });
    ASSERT_EQ(append.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    result = append.get();
    const char* const kWhy[] = {"no program is reading this FIFO",
                                "the program reading this FIFO is not keeping up",
                                "the program reading this FIFO has closed it"};
    EXPECT_EQ(result.Error, kWhy[static_cast<int>(GetParam())]);
    EXPECT_EQ(result.Busy, GetParam() == FifoReader::Stalled);
    EXPECT_EQ(result.Written > 0, GetParam() == FifoReader::Stalled);
    EXPECT_EQ(file == nullptr, GetParam() == FifoReader::None);
    EXPECT_EQ(error.empty(), GetParam() != FifoReader::None);
    file.reset();
    if (GetParam() == FifoReader::Stalled)
        ::close(reader);
    ::signal(SIGPIPE, previous);
}

std::string fifoReaderName(const ::testing::TestParamInfo<FifoReader>& reader) {
    constexpr const char* kNames[] = {"NoReader", "StalledReader", "ReaderGone"};
    return kNames[static_cast<int>(reader.param)];
}

INSTANTIATE_TEST_SUITE_P(Readers, PosixAppendToFifo,
                         ::testing::Values(FifoReader::None, FifoReader::Stalled, FifoReader::Gone),
                         fifoReaderName);

} // namespace
} // namespace quorvane::test
