// Locked append and in-place trimming of the log file.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "infra/LogFile.h"
#include "infra/LogFixture.h"
#include "infra/Logger.h"
#include "support/WaitFor.h"

namespace voltaris {
namespace {

using test::ReadFile;

// Holds the writer lock on a file, as another writer would, until released.
class HeldLock {
public:
    explicit HeldLock(const std::string& path)
        : m_fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666)) {
        EXPECT_GE(m_fd, 0);
        EXPECT_EQ(::flock(m_fd, LOCK_EX | LOCK_NB), 0);
    }
    ~HeldLock() { release(); }
    void release() {
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }

private:
    int m_fd;
};

// Descriptors of this process open on the file `path`.
int OpenDescriptorsOn(const std::string& path) {
    const std::filesystem::path file = std::filesystem::canonical(path);
    int count = 0;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", ec)) {
        std::error_code gone;  // a descriptor may close meanwhile
        count += std::filesystem::read_symlink(entry.path(), gone) == file ? 1 : 0;
    }
    return count;
}

class LogFileTest : public test::LogFixture {
protected:
    void writeFile(const std::string& text) {
        std::ofstream(logPath(), std::ios::binary | std::ios::trunc) << text;
    }
};

TEST_F(LogFileTest, AppendCreatesThenExtendsAndReportsLength) {
    EXPECT_EQ(AppendLogLine(logPath(), "one\r\n"), 5);
    EXPECT_EQ(AppendLogLine(logPath(), "two\r\n"), 10);
    EXPECT_EQ(ReadFile(logPath()), "one\r\ntwo\r\n");
    EXPECT_EQ(AppendLogLine(m_dir + "/no/such/folder.log", "x\r\n"), std::nullopt);
}

TEST_F(LogFileTest, LockedFileIsGivenUpAfterAboutOneSecond) {
    enableLog({{"LogInfo", 1}});
    Logger logger;
    logger.init("VoltarisRT");
    writeFile("held\r\n");
    HeldLock other(logPath());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(logger.write("voltaris", LogInfo, "dropped"), -1);
    EXPECT_GE(std::chrono::steady_clock::now() - start, kLogLockWait);
    EXPECT_EQ(ReadFile(logPath()), "held\r\n");
    EXPECT_FALSE(TrimLogFile(logPath(), 1, std::chrono::milliseconds(30)));
}

TEST_F(LogFileTest, WriterWaitsForALockReleasedInTime) {
    writeFile("held\r\n");
    HeldLock other(logPath());
    // Released once the writer has opened the file and waits for the lock beside the holder.
    std::thread releaser([&] {
        EXPECT_TRUE(test::WaitFor("the writer opens the held file",
                                  [&] { return OpenDescriptorsOn(logPath()) >= 2; }));
        other.release();
    });
    EXPECT_EQ(AppendLogLine(logPath(), "after\r\n"), 13);
    releaser.join();
    EXPECT_EQ(ReadFile(logPath()), "held\r\nafter\r\n");
}

TEST_F(LogFileTest, TrimDropsThePartialLineAtTheCut) {
    writeFile("first\r\nsecond\r\nthird\r\n");
    ASSERT_TRUE(TrimLogFile(logPath(), 10));  // cut inside "second"
    EXPECT_EQ(ReadFile(logPath()), "third\r\n");
}

TEST_F(LogFileTest, TrimAtALineStartDropsThatLine) {
    writeFile("first\r\nsecond\r\nthird\r\n");
    ASSERT_TRUE(TrimLogFile(logPath(), 15));  // cut at the start of "second"
    EXPECT_EQ(ReadFile(logPath()), "third\r\n");
    writeFile("first\r\nsecond\r\n");
    ASSERT_TRUE(TrimLogFile(logPath(), 15));  // cut at the very start
    EXPECT_EQ(ReadFile(logPath()), "second\r\n");
}

TEST_F(LogFileTest, OneLineOrLessAfterTheCutEmptiesTheFile) {
    writeFile("first\r\nsecond\r\n");
    ASSERT_TRUE(TrimLogFile(logPath(), 8));  // exactly "second\r\n"
    EXPECT_EQ(ReadFile(logPath()), "");
    writeFile("first\r\nsecond\r\n");
    ASSERT_TRUE(TrimLogFile(logPath(), 3));  // part of it
    EXPECT_EQ(ReadFile(logPath()), "");
}

TEST_F(LogFileTest, NothingToKeepOrMoreThanTheFileLeavesItAlone) {
    const std::string text = "first\r\nsecond\r\n";
    writeFile(text);
    ASSERT_TRUE(TrimLogFile(logPath(), 0));
    ASSERT_TRUE(TrimLogFile(logPath(), -1000));
    ASSERT_TRUE(TrimLogFile(logPath(), 16));
    EXPECT_EQ(ReadFile(logPath()), text);
}

TEST_F(LogFileTest, LongPartialLineIsDroppedWhole) {
    writeFile("old\r\n" + std::string(600, 'p') + "\r\nkept\r\n");
    ASSERT_TRUE(TrimLogFile(logPath(), 400));
    EXPECT_EQ(ReadFile(logPath()), "kept\r\n");
}

TEST_F(LogFileTest, LargeFileKeepsItsExactTail) {
    std::string text;
    for (int i = 0; text.size() < 300'000; ++i) {
        text += "line " + std::to_string(i) + std::string(static_cast<std::size_t>(i % 97), '-') +
                "\r\n";
    }
    writeFile(text);
    const std::size_t keep = 150'000;
    ASSERT_TRUE(TrimLogFile(logPath(), static_cast<std::int64_t>(keep)));
    const std::size_t start = text.find('\n', text.size() - keep) + 1;
    EXPECT_EQ(ReadFile(logPath()), text.substr(start));
}

}  // namespace
}  // namespace voltaris
