#include "palette_io/file_io.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include "palette_io/command_failure.h"
#include "support/temp_dir.h"

namespace vexa {
namespace {

using testing::readText;
using testing::TempDir;
using testing::writeBytes;

template <typename F>
CommandFailure failureOf(F&& f) {
    try {
        f();
    } catch (const CommandFailure& e) {
        return e;
    }
    ADD_FAILURE() << "no CommandFailure";
    return CommandFailure::silent();
}

mode_t modeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

TEST(SaveFileTest, CommitReplacesTheTargetAndLeavesNoTemporaryFile) {
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    const std::string path = dir.file("out.txt");
    writeBytes(path, "old contents");
    ::chmod(path.c_str(), 0640);
    {
        SaveFile file(path);
        file.write(std::string_view("new "));
        file.write(std::string_view("contents"));
        EXPECT_EQ(readText(path), "old contents");  // nothing visible before the commit
        file.commit();
    }
    EXPECT_EQ(readText(path), "new contents");
    EXPECT_EQ(modeOf(path), 0640u);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"out.txt"});
}

TEST(SaveFileTest, AbandonedSaveLeavesTheOldFileAndRemovesTheTemporary) {
    TempDir dir;
    const std::string path = dir.file("keep.bmp");
    writeBytes(path, "previous");
    {
        SaveFile file(path);
        file.write(std::string_view("half"));
    }
    EXPECT_EQ(readText(path), "previous");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"keep.bmp"});
}

TEST(SaveFileTest, SaveThroughASymbolicLinkReplacesTheLinkedFile) {
    TempDir dir;
    writeBytes(dir.file("real.txt"), "old");
    ::symlink("real.txt", dir.file("link.txt").c_str());
    SaveFile file(dir.file("link.txt"));
    file.write(std::string_view("new"));
    file.commit();
    EXPECT_EQ(readText(dir.file("real.txt")), "new");
    struct stat st {};
    ASSERT_EQ(::lstat(dir.file("link.txt").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST(SaveFileTest, UnsuitableTargetsAreRefusedNamingThePath) {
    TempDir dir;
    const std::string folder = dir.file("folder");
    ::mkdir(folder.c_str(), 0755);
    CommandFailure e = failureOf([&] { SaveFile file(folder); });
    EXPECT_EQ(e.fileErrorKind(), FileErrorKind::accessDenied);
    EXPECT_EQ(e.message(), "Access to " + folder + " was denied.");

    const std::string missing = dir.file("no/such/folder.bmp");
    e = failureOf([&] { SaveFile file(missing); });
    EXPECT_EQ(e.fileErrorKind(), FileErrorKind::notFound);
    EXPECT_EQ(e.path(), missing);

    const std::string fifo = dir.file("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    e = failureOf([&] { SaveFile file(fifo); });
    EXPECT_EQ(e.fileErrorKind(), FileErrorKind::generalError);
    EXPECT_EQ(e.path(), fifo);
    struct stat st {};
    ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(SaveFileTest, WriteProtectedFileIsAccessDenied) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may write any file";
    TempDir dir;
    const std::string path = dir.file("locked.txt");
    writeBytes(path, "locked");
    ::chmod(path.c_str(), 0444);
    CommandFailure e = failureOf([&] { SaveFile file(path); });
    EXPECT_EQ(e.message(), "Access to " + path + " was denied.");
    EXPECT_EQ(readText(path), "locked");
}

// A file size limit makes the kernel refuse the write part-way, as a full disk would.
TEST(SaveFileTest, WriteFailingPartWayKeepsTheOldFile) {
    TempDir dir;
    const std::string path = dir.file("big.bmp");
    writeBytes(path, "the old palette");
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    CommandFailure e = failureOf([&] {
        SaveFile file(path);
        file.write(std::string(10000, 'x'));
        file.commit();
    });
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(e.category(), FailureCategory::FileError);
    EXPECT_EQ(e.path(), path);
    EXPECT_EQ(readText(path), "the old palette");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"big.bmp"});
}

TEST(ReadFileStartTest, ReadsAtMostTheAskedBytes) {
    TempDir dir;
    const std::string path = dir.file("data");
    writeBytes(path, "0123456789");
    EXPECT_EQ(readFileStart(path, 4), (std::vector<std::uint8_t>{'0', '1', '2', '3'}));
    EXPECT_EQ(readFileStart(path, 100).size(), 10u);
    writeBytes(path, "");
    EXPECT_TRUE(readFileStart(path, 14).empty());
}

TEST(ReadFileStartTest, OnlyRegularFilesAreOpened) {
    TempDir dir;
    CommandFailure e = failureOf([&] { readFileStart(dir.path(), 14); });
    EXPECT_EQ(e.fileErrorKind(), FileErrorKind::accessDenied);
    EXPECT_EQ(e.path(), dir.path());

    // A FIFO without a writer would block a plain open and read forever.
    const std::string fifo = dir.file("pipe.bmp");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    e = failureOf([&] { readFileStart(fifo, 14); });
    EXPECT_EQ(e.fileErrorKind(), FileErrorKind::generalError);
    EXPECT_EQ(e.message(), "An unknown error occurred while accessing " + fifo + ".");

    e = failureOf([&] { readFileStart("/dev/zero", 14); });
    EXPECT_EQ(e.fileErrorKind(), FileErrorKind::generalError);
    EXPECT_EQ(e.path(), "/dev/zero");

    e = failureOf([&] { readFileStart(dir.file("absent.bmp"), 14); });
    EXPECT_EQ(e.message(), dir.file("absent.bmp") + " was not found.");
}

TEST(ReadFileStartTest, UnreadableFileIsAccessDeniedWithThePath) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may read any file";
    TempDir dir;
    const std::string path = dir.file("secret.bmp");
    writeBytes(path, "BM");
    ::chmod(path.c_str(), 0);
    CommandFailure e = failureOf([&] { readFileStart(path, 14); });
    EXPECT_EQ(e.fileErrorKind(), FileErrorKind::accessDenied);
    EXPECT_EQ(e.path(), path);
}

}  // namespace
}  // namespace vexa
