#include "base/file_io.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <utility>

#include "base/command_failure.h"
#include "support/fsync_fault.h"
#include "support/temp_dir.h"

namespace vexa {
namespace {

using testing::readFile;
using testing::TempDir;
using testing::writeFile;

template <typename F>
std::string failureOf(F&& f) {
    try {
        f();
    } catch (const CommandFailure& e) {
        return e.message();
    }
    return "no failure";
}

TEST(SaveFileTest, OnlyACommittedSaveReplacesTheFileAndKeepsItsMode) {
    TempDir dir;
    const std::string path = dir.file("out.txt");
    writeFile(path, "old");
    ::chmod(path.c_str(), 0640);
    SaveFile(path).write(std::string_view("abandoned"));
    EXPECT_EQ(readFile(path), "old");
    {
        SaveFile file(path);
        file.write(std::string_view("new"));
        file.commit();
    }
    EXPECT_EQ(readFile(path), "new");
    struct stat st {};
    ::stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(dir.entries(), std::set<std::string>{"out.txt"});
}

// An unnamed save shows in its folder only once committed: a writer killed before then
// leaves nothing, and the file it replaces stays.
TEST(SaveFileTest, AnUnnamedSaveAppearsOnlyWhenCommitted) {
    TempDir dir;
    const std::string path = dir.file("rec.gif");
    writeFile(path, "older");
    {
        SaveFile file(path, TemporaryName::unnamed);
        file.write(std::string_view("abandoned"));
        EXPECT_EQ(dir.entries(), std::set<std::string>{"rec.gif"});
    }
    EXPECT_EQ(readFile(path), "older");
    SaveFile file(path, TemporaryName::unnamed);
    file.write(std::string_view("new"));
    EXPECT_EQ(dir.entries(), std::set<std::string>{"rec.gif"});
    file.commit();
    EXPECT_EQ(readFile(path), "new");
    EXPECT_EQ(dir.entries(), std::set<std::string>{"rec.gif"});
    EXPECT_EQ(failureOf([&] { SaveFile f(dir.file("no/a.gif"), TemporaryName::unnamed); }),
              dir.file("no/a.gif") + " was not found.");
}

// A file size limit makes the kernel refuse the write part-way, as a full disk does.
TEST(SaveFileTest, WriteFailingPartWayKeepsTheOldFile) {
    TempDir dir;
    const std::string path = dir.file("big.bmp");
    writeFile(path, "the old palette");
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    auto handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small{4096, saved.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string message = failureOf([&] {
        SaveFile file(path);
        file.write(std::string(10000, 'x'));
        file.commit();
    });
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
    EXPECT_EQ(message, "An unknown error occurred while accessing " + path + ".");
    EXPECT_EQ(readFile(path), "the old palette");
    EXPECT_EQ(dir.entries(), std::set<std::string>{"big.bmp"});
}

TEST(SaveFileTest, UnsuitableTargetsAreRefusedNamingThePath) {
    TempDir dir;
    ::mkfifo(dir.file("pipe").c_str(), 0644);
    EXPECT_EQ(failureOf([&] { SaveFile f(dir.path()); }),
              "Access to " + dir.path() + " was denied.");
    EXPECT_EQ(failureOf([&] { SaveFile f(dir.file("pipe")); }),
              "An unknown error occurred while accessing " + dir.file("pipe") + ".");
    EXPECT_EQ(failureOf([&] { SaveFile f(dir.file("no/a.bmp")); }),
              dir.file("no/a.bmp") + " was not found.");
}

// Runs `work` in a child process as a user without root's rights (root may write any file,
// so the child drops to nobody); the message of the CommandFailure it raised, or
// "no failure".
template <typename F>
std::string failureAsUnprivileged(F&& work) {
    int out[2];
    if (::pipe(out) != 0) return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
        const std::string message = failureOf(work);
        ::_exit(::write(out[1], message.data(), message.size()) < 0 ? 4 : 0);
    }
    ::close(out[1]);
    std::string message;
    char buffer[256];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) message.append(buffer, n);
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "the child failed";
    return message;
}

// A folder where anyone may create files: only the check of the file itself keeps a
// write-protected file from being replaced by a rename.
TEST(SaveFileTest, AWriteProtectedFileIsRefusedAndKept) {
    TempDir dir;
    ::chmod(dir.path().c_str(), 0777);
    const std::string path = dir.file("ro.txt");
    writeFile(path, "kept");
    ::chmod(path.c_str(), 0444);
    EXPECT_EQ(failureAsUnprivileged([&] {
                  SaveFile file(path);
                  file.write(std::string_view("new"));
                  file.commit();
              }),
              "Access to " + path + " was denied.");
    ::chmod(dir.path().c_str(), 0700);
    EXPECT_EQ(readFile(path), "kept");
    EXPECT_EQ(dir.entries(), std::set<std::string>{"ro.txt"});
}

// A failure the disk reports only when the bytes are flushed is the save's failure too.
TEST(SaveFileTest, AFailedFlushIsReportedAndThePreviousFileKept) {
    TempDir dir;
    const std::string path = dir.file("pal.bmp");
    writeFile(path, "previous");
    for (const auto& [error, message] :
         {std::pair{EIO, "A hardware I/O error was reported while accessing " + path + "."},
          std::pair{ENOSPC, "Disk full while accessing " + path + "."}}) {
        EXPECT_EQ(failureOf([&] {
                      SaveFile file(path);
                      file.write(std::string_view("new palette"));
                      testing::failNextFsync(error);
                      file.commit();
                  }),
                  message);
        EXPECT_EQ(readFile(path), "previous");
        EXPECT_EQ(dir.entries(), std::set<std::string>{"pal.bmp"});
    }
}

// Runs `save` as a user who may write the file but not create files in its folder; true
// when it succeeded.
template <typename F>
bool savedByFileOnlyWriter(const TempDir& dir, const std::string& path, F&& save) {
    ::chmod(dir.path().c_str(), 0755);  // folder: readable, not writable, for the child
    ::chmod(path.c_str(), 0666);        // file: writable for everyone
    const std::string message = failureAsUnprivileged([&] {
        ::chmod(dir.path().c_str(), 0555);  // for a child that owns the folder
        save();
    });
    ::chmod(dir.path().c_str(), 0700);
    return message == "no failure";
}

// A file the user may write is saved even where no new file can be created next to it:
// then it is written in place, and a failure keeps what was written.
TEST(SaveFileTest, AWritableFileInAFolderWithoutWritePermissionIsWrittenInPlace) {
    TempDir dir;
    const std::string path = dir.file("shared.bmp");
    writeFile(path, "the old palette, longer than the new one");
    EXPECT_TRUE(savedByFileOnlyWriter(dir, path, [&] {
        SaveFile file(path);
        file.write(std::string_view("new"));
        file.commit();
    }));
    EXPECT_EQ(readFile(path), "new");
    EXPECT_EQ(dir.entries(), std::set<std::string>{"shared.bmp"});

    EXPECT_FALSE(savedByFileOnlyWriter(dir, path, [&] {
        SaveFile file(path);
        file.write(std::string_view("partial"));
        throw CommandFailure::resourceUnavailable();  // as a failed palette read does
    }));
    EXPECT_EQ(readFile(path), "partial");
    EXPECT_EQ(dir.entries(), std::set<std::string>{"shared.bmp"});
}

TEST(ReadFileStartTest, ReadsOnlyRegularFilesAndNeverBlocks) {
    TempDir dir;
    writeFile(dir.file("data"), "0123456789");
    EXPECT_EQ(readFileStart(dir.file("data"), 4), (std::vector<std::uint8_t>{'0', '1', '2', '3'}));
    EXPECT_EQ(readFileStart(dir.file("data"), 100).size(), 10u);
    // A file that says it is empty is read as far as it goes.
    const std::vector<std::uint8_t> maps = readFileStart("/proc/self/maps", 1 << 20);
    EXPECT_GT(maps.size(), 1000u);
    EXPECT_EQ(maps.back(), '\n');
    // A FIFO without a writer would block a plain open; a device would read forever.
    ::mkfifo(dir.file("pipe.bmp").c_str(), 0644);
    EXPECT_EQ(failureOf([&] { readFileStart(dir.file("pipe.bmp"), 14); }),
              "An unknown error occurred while accessing " + dir.file("pipe.bmp") + ".");
    EXPECT_EQ(failureOf([&] { readFileStart("/dev/zero", 14); }),
              "An unknown error occurred while accessing /dev/zero.");
    EXPECT_EQ(failureOf([&] { readFileStart(dir.path(), 14); }),
              "Access to " + dir.path() + " was denied.");
    EXPECT_EQ(failureOf([&] { readFileStart(dir.file("gone"), 14); }),
              dir.file("gone") + " was not found.");
}

}  // namespace
}  // namespace vexa
