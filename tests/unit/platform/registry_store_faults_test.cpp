// The file store against hostile or busy surroundings: what else sits in its place, a lock
// that never comes free, files too deep or too large, other programs writing meanwhile, and
// how often it touches the file.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/store/durable_file.h"
#include "platform/store/registry_file_store.h"
#include "platform/store/registry_text.h"
#include "platform/store/store_file.h"
#include "settings/registry_key_path.h"
#include "settings/settings_batch.h"
#include "settings/view_settings.h"
#include "support/temp_dir.h"

namespace vexa {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::writeFile;

const std::string vexaKey = "HKEY_LOCAL_MACHINE\\Software\\Varnel\\Vexa";
const std::string storedSettings =
    "REGEDIT4\n\n[" + vexaKey + "\\CurrentVersion]\n\"Version\"=dword:00010006\n\n[" + vexaKey +
    "\\View]\n\"Columns\"=dword:00000010\n\"Rows\"=dword:00000010\n\n[" + vexaKey + "\\Window]\n";

// Runs `body` in a child that is killed when it takes longer than `seconds`; its status.
int runWithin(unsigned seconds, const std::function<int()>& body) {
    pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(seconds);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void startSettings(ViewSettings& settings) {
    settings.currentVersion = 65542;
    settings.key.bind(settings.key.root(), "Varnel", "Vexa");
    SettingsBatch batch(settings.key);
    settings.reset();
    settings.load();
}

class RegistryStoreFaultsTest : public ::testing::Test {
  protected:
    std::string path() const { return dir.file("system.reg"); }
    testing::TempDir dir;
};

// Counts what happens to system.reg in the folder: opens (reads) and renames onto it (writes).
class FileEvents {
  public:
    explicit FileEvents(const std::string& folder) : fd_(::inotify_init1(IN_NONBLOCK)) {
        ::inotify_add_watch(fd_, folder.c_str(), IN_OPEN | IN_MOVED_TO);
    }
    ~FileEvents() { ::close(fd_); }
    // Opens and renames of system.reg since the last call.
    std::pair<int, int> take() {
        int opens = 0, renames = 0;
        alignas(inotify_event) char buffer[4096];
        ssize_t n;
        while ((n = ::read(fd_, buffer, sizeof buffer)) > 0) {
            for (char* p = buffer; p < buffer + n;) {
                auto* e = reinterpret_cast<inotify_event*>(p);
                if (e->len && std::string(e->name) == "system.reg") {
                    opens += (e->mask & IN_OPEN) != 0;
                    renames += (e->mask & IN_MOVED_TO) != 0;
                }
                p += sizeof(inotify_event) + e->len;
            }
        }
        return {opens, renames};
    }

  private:
    int fd_;
};

TEST_F(RegistryStoreFaultsTest, AStartReadsTheFileOnceAndASaveWritesItOnceWithoutRereading) {
    writeFile(path(), storedSettings);
    FileEvents events(dir.path());
    RegistryFileStore store(path());
    ViewSettings settings(store);
    startSettings(settings);
    EXPECT_EQ(settings.columns, 16);
    EXPECT_EQ(events.take(), std::make_pair(1, 0));

    settings.columns = 32;
    settings.rows = 8;
    settings.bounds = {1, 2, 300, 400};
    {
        SettingsBatch batch(settings.key);
        settings.save();
        // Nothing is written while the batch holds the key open.
        EXPECT_EQ(events.take(), std::make_pair(0, 0));
    }
    EXPECT_EQ(events.take(), std::make_pair(0, 1));
    auto parsed = parseRegistryText(readFile(path()));
    const RegistryNode* window = parsed.tree.find(splitKeyPath(vexaKey + "\\Window"));
    ASSERT_TRUE(window && window->value("Bounds.bottom"));
    EXPECT_EQ(window->value("Bounds.bottom")->data, (std::vector<std::uint8_t>{144, 1, 0, 0}));
}

TEST_F(RegistryStoreFaultsTest, AnotherProgramsWriteIsSeenAndKeptByChangesWaitingToBeWritten) {
    writeFile(path(), storedSettings);
    RegistryFileStore mine(path()), theirs(path());
    RegistryKeyPath myKey(mine, HKEY_LOCAL_MACHINE, "Varnel", "Vexa");
    RegistryKeyPath theirKey(theirs, HKEY_LOCAL_MACHINE, "Varnel", "Vexa");
    EXPECT_EQ(myKey.readInt("View", "Columns", 0), 16);
    {
        SettingsBatch batch(myKey);
        ASSERT_TRUE(myKey.writeInt("View", "Mine", 1));
        ASSERT_TRUE(theirKey.writeInt("View", "Theirs", 2));
        EXPECT_EQ(myKey.readInt("View", "Theirs", 0), 2);
        EXPECT_EQ(myKey.readInt("View", "Mine", 0), 1);
        EXPECT_EQ(theirKey.readInt("View", "Mine", 0), 0);
    }
    EXPECT_EQ(theirKey.readInt("View", "Mine", 0), 1);
    EXPECT_EQ(theirKey.readInt("View", "Theirs", 0), 2);
    EXPECT_EQ(theirKey.readInt("View", "Columns", 0), 16);
}

TEST_F(RegistryStoreFaultsTest, AFifoDeviceOrFolderInPlaceOfTheFileGivesDefaultsAndStaysAsItWas) {
    const std::string fifo = dir.file("fifo"), folder = dir.file("folder");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directory(folder);
    for (const std::string& target : {fifo, std::string("/dev/zero"), folder}) {
        fs::remove(path());
        fs::create_symlink(target, path());
        int status = runWithin(5, [&] {
            RegistryFileStore store(path());
            ViewSettings settings(store);
            startSettings(settings);
            if (settings.columns != 256 || settings.storedVersion != 0) return 1;
            return settings.putInt("View", "Columns", 16) ? 2 : 0;
        });
        EXPECT_EQ(status, 0) << target;
        EXPECT_TRUE(fs::is_symlink(path()));
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_EQ(dir.entries(), (std::set<std::string>{"fifo", "folder", "system.reg"}));
}

TEST_F(RegistryStoreFaultsTest, ALockHeldElsewhereFailsAWriteAfterABoundedWaitButNotReads) {
    writeFile(path(), storedSettings);
    int holder = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    RegistryFileStore store(path());
    RegistryKeyPath key(store, HKEY_LOCAL_MACHINE, "Varnel", "Vexa");
    EXPECT_EQ(key.readInt("View", "Columns", 0), 16);
    auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(key.writeInt("View", "Columns", 32));
    auto waited = std::chrono::steady_clock::now() - started;
    // The store gives the lock 1.5 s; the upper bound only proves that the wait ends.
    EXPECT_GE(waited, std::chrono::milliseconds(1000));
    EXPECT_LE(waited, std::chrono::milliseconds(15000));
    EXPECT_EQ(key.readInt("View", "Columns", 0), 16);
    EXPECT_EQ(readFile(path()), storedSettings);
    ::close(holder);
    EXPECT_TRUE(key.writeInt("View", "Columns", 32));
    EXPECT_EQ(key.readInt("View", "Columns", 0), 32);
}

// A file deeper than the limit: its readable sections survive, the whole is kept aside, and
// what replaces it is no larger than it was.
TEST_F(RegistryStoreFaultsTest, ADeepStoreStartsKeepsItsOtherValuesAndIsNotRewrittenLarger) {
    std::string deep = "HKEY_LOCAL_MACHINE\\Software";
    for (int i = 0; i < 8000; ++i) deep += "\\k";
    const std::string original = storedSettings + "\n[" + deep + "]\n\"x\"=dword:1\n" +
                                 "\n[HKEY_LOCAL_MACHINE\\Software\\Other]\n\"Keep\"=\"yes\"\n";
    writeFile(path(), original);
    ASSERT_EQ(runWithin(5,
                        [&] {
                            RegistryFileStore store(path());
                            ViewSettings settings(store);
                            startSettings(settings);
                            settings.columns = 32;
                            settings.rows = 8;
                            SettingsBatch batch(settings.key);
                            settings.save();
                            return settings.columns == 32 ? 0 : 1;
                        }),
              0);
    const std::string now = readFile(path());
    EXPECT_LE(now.size(), original.size());
    RegistryFileStore store(path());
    RegistryKeyPath key(store, HKEY_LOCAL_MACHINE, "Varnel", "Vexa");
    EXPECT_EQ(key.readInt("View", "Columns", 0), 32);
    RegKey other = 0;
    ASSERT_EQ(store.openKey(HKEY_LOCAL_MACHINE, "Software\\Other", KEY_READ, &other),
              ERROR_SUCCESS);
    std::uint8_t text[8] = {};
    std::uint32_t size = sizeof text;
    EXPECT_EQ(store.queryValue(other, "Keep", nullptr, text, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(text), size), std::string("yes", 4));
    store.closeKey(other);
    ASSERT_EQ(dir.entries().size(), 2u);
    EXPECT_EQ(readFile(dir.file(*std::next(dir.entries().begin()))), original);
}

// A file over the size limit is not read: defaults, and the first change keeps the file
// aside (a second link, not a copy in memory) and writes a small one.
TEST_F(RegistryStoreFaultsTest, AFileOverTheSizeLimitIsKeptAsideAndReplacedBySmallOne) {
    writeFile(path(), storedSettings);
    ASSERT_EQ(::truncate(path().c_str(), static_cast<off_t>(maxRegistryTextSize) + 1), 0);
    struct stat before {};
    ::stat(path().c_str(), &before);
    RegistryFileStore store(path());
    RegistryKeyPath key(store, HKEY_LOCAL_MACHINE, "Varnel", "Vexa");
    EXPECT_EQ(key.readInt("View", "Columns", 0), 0);
    ASSERT_TRUE(key.writeInt("View", "Columns", 32));
    EXPECT_LT(fs::file_size(path()), 1000u);
    auto entries = dir.entries();
    ASSERT_EQ(entries.size(), 2u);
    struct stat kept {};
    ::stat(dir.file(*std::next(entries.begin())).c_str(), &kept);
    EXPECT_EQ(kept.st_ino, before.st_ino);
    EXPECT_EQ(key.readInt("View", "Columns", 0), 32);
}

// Copies kept aside never replace one another: a taken name is passed over for the same name
// with "-1", "-2", ..., any other failure ends the search, and a thousand taken names fail it.
TEST_F(RegistryStoreFaultsTest, ACopyKeptAsideTakesTheFirstFreeNameAndNeverReplacesAnother) {
    std::vector<std::string> tried;
    auto takenTwice = [&tried](const std::string& name) {
        tried.push_back(name);
        return tried.size() < 3 ? EEXIST : 0;
    };
    EXPECT_EQ(createAside(path(), takenTwice), ERROR_SUCCESS);
    ASSERT_EQ(tried.size(), 3u);
    EXPECT_EQ(tried[0].rfind(path() + ".corrupt-", 0), 0u) << tried[0];
    EXPECT_EQ(tried[1], tried[0] + "-1");
    EXPECT_EQ(tried[2], tried[0] + "-2");

    tried.clear();
    auto denied = [&tried](const std::string& name) {
        tried.push_back(name);
        return EACCES;
    };
    EXPECT_EQ(createAside(path(), denied), ERROR_ACCESS_DENIED);
    EXPECT_EQ(tried.size(), 1u);
    EXPECT_EQ(createAside(path(), [](const std::string&) { return EEXIST; }),
              ERROR_REGISTRY_IO_FAILED);

    // On the disk, by copy and by link, one after another within the same second or not.
    writeFile(path(), "first");
    EXPECT_EQ(keepAside(path(), "copied"), ERROR_SUCCESS);
    EXPECT_EQ(keepAsideByLink(path()), ERROR_SUCCESS);
    EXPECT_EQ(keepAside(path(), "copied again"), ERROR_SUCCESS);
    std::multiset<std::string> kept;
    for (const std::string& name : dir.entries())
        if (name != "system.reg") kept.insert(readFile(dir.file(name)));
    EXPECT_EQ(kept, (std::multiset<std::string>{"copied", "copied again", "first"}));
}

}  // namespace
}  // namespace vexa
