#include "platform/store/registry_file_store.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "platform/store/registry_text.h"
#include "settings/registry_key_path.h"
#include "settings/view_settings.h"

namespace vexa {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

const std::string vexaKey = "HKEY_LOCAL_MACHINE\\Software\\Varnel\\Vexa";

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> listing(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<std::int32_t> dwordIn(const ParsedRegistry& parsed, const std::string& key,
                                    const std::string& name) {
    const RegistryNode* node = parsed.tree.find(splitKeyPath(key));
    const RegistryValue* v = node ? node->value(name) : nullptr;
    if (!v || v->data.size() != 4) return std::nullopt;
    return static_cast<std::int32_t>(v->data[0] | v->data[1] << 8 | v->data[2] << 16 |
                                     static_cast<std::uint32_t>(v->data[3]) << 24);
}

// Runs `body` in a child process; the child's exit status is what body returns.
pid_t spawn(const std::function<int()>& body) {
    pid_t pid = ::fork();
    if (pid == 0) ::_exit(body());
    return pid;
}

int exitStatus(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

class RegistryFileStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/vexa-store-XXXXXX";
        ASSERT_TRUE(::mkdtemp(pattern));
        dir = pattern;
        folder = dir + "/config/vexa";
        path = folder + "/system.reg";
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add, ignored);
        for (const auto& e : fs::recursive_directory_iterator(dir, ignored))
            fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(dir, ignored);
    }
    void writeStore(const std::string& text) {
        fs::create_directories(folder);
        writeFile(path, text);
    }
    ino_t inode() const {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
    }

    std::string dir, folder, path;
};

TEST_F(RegistryFileStoreTest, ANewStoreHoldsSoftwareAndReadingItWritesNothing) {
    RegistryFileStore store(path);
    RegKey software = 0;
    ASSERT_EQ(store.openKey(HKEY_LOCAL_MACHINE, "Software", KEY_READ | KEY_WRITE, &software),
              ERROR_SUCCESS);
    RegKey missing = 0;
    EXPECT_EQ(store.openKey(software, "Varnel", KEY_READ, &missing), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(missing, 0u);
    std::uint32_t size = 0;
    EXPECT_EQ(store.queryValue(software, "x", nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(store.closeKey(software), ERROR_SUCCESS);
    EXPECT_EQ(store.closeKey(software), ERROR_INVALID_HANDLE);
    EXPECT_EQ(store.openKey(12345, "Software", KEY_READ, &missing), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(fs::exists(dir + "/config"));
}

TEST_F(RegistryFileStoreTest, SettingsPersistAcrossRunsAsRegedit4Text) {
    auto start = [&](RegistryFileStore& store, ViewSettings& settings) {
        settings.currentVersion = 65542;
        settings.key.bind(settings.key.root(), "Varnel", "Vexa");
        settings.reset();
        settings.load();
        (void)store;
    };
    {
        RegistryFileStore store(path);
        ViewSettings settings(store);
        start(store, settings);
        EXPECT_EQ(settings.storedVersion, 0u);
        std::string text = readFile(path);
        EXPECT_EQ(text.rfind("REGEDIT4\n", 0), 0u);
        EXPECT_NE(text.find("\n[" + vexaKey + "\\CurrentVersion]\n\"Version\"=dword:00010006\n"),
                  std::string::npos)
            << text;
        EXPECT_NE(text.find("\n[" + vexaKey + "\\View]\n"), std::string::npos);
        EXPECT_NE(text.find("\n[" + vexaKey + "\\Window]\n"), std::string::npos);
        settings.columns = 16;
        settings.rows = 16;
        settings.bounds = {-40, 10, 300, 250};
        settings.save();
    }
    {
        ino_t before = inode();
        RegistryFileStore store(path);
        ViewSettings settings(store);
        start(store, settings);
        EXPECT_EQ(settings.storedVersion, 65542u);
        EXPECT_EQ(settings.columns, 16);
        EXPECT_EQ(settings.rows, 16);
        EXPECT_EQ(settings.bounds, (Rect{-40, 10, 300, 250}));
        // The same version at start changes nothing, so the file is not replaced.
        EXPECT_EQ(inode(), before);
    }
    EXPECT_EQ(listing(folder), (std::vector<std::string>{"system.reg"}));
}

TEST_F(RegistryFileStoreTest, NamesCompareWithoutCaseAndKeepTheirFirstSpelling) {
    RegistryFileStore store(path);
    RegKey a = 0, b = 0;
    ASSERT_EQ(store.createKey(HKEY_LOCAL_MACHINE, "Software\\Varnel", KEY_READ | KEY_WRITE, &a),
              ERROR_SUCCESS);
    ASSERT_EQ(
        store.createKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\VARNEL\\Vexa", KEY_READ | KEY_WRITE, &b),
        ERROR_SUCCESS);
    const std::uint8_t one[4] = {1, 0, 0, 0}, two[4] = {0x20, 0, 0, 0};
    EXPECT_EQ(store.setValue(b, "Columns", REG_DWORD, one, 4), ERROR_SUCCESS);
    EXPECT_EQ(store.setValue(b, "COLUMNS", REG_DWORD, two, 4), ERROR_SUCCESS);
    std::uint8_t buffer[4] = {};
    std::uint32_t size = 4, type = 0;
    EXPECT_EQ(store.queryValue(a, "vexa", &type, buffer, &size), ERROR_FILE_NOT_FOUND);
    RegKey c = 0;
    ASSERT_EQ(store.openKey(a, "VEXA", KEY_READ, &c), ERROR_SUCCESS);
    EXPECT_EQ(store.queryValue(c, "columns", &type, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(buffer[0], 0x20);
    for (RegKey k : {a, b, c}) EXPECT_EQ(store.closeKey(k), ERROR_SUCCESS);
    std::string text = readFile(path);
    EXPECT_NE(
        text.find("[HKEY_LOCAL_MACHINE\\Software\\Varnel\\Vexa]\n\"Columns\"=dword:00000020\n"),
        std::string::npos)
        << text;
    EXPECT_EQ(text.find("VARNEL"), std::string::npos);
    EXPECT_EQ(text.find("COLUMNS"), std::string::npos);
}

TEST_F(RegistryFileStoreTest, QueriesFollowTheRegistrysSizeRulesAndReadOnlyHandlesCannotSet) {
    RegistryFileStore store(path);
    RegKey key = 0;
    ASSERT_EQ(store.createKey(HKEY_LOCAL_MACHINE, "Software\\T", KEY_READ | KEY_WRITE, &key),
              ERROR_SUCCESS);
    const std::uint8_t text[] = "hello";
    ASSERT_EQ(store.setValue(key, "s", REG_SZ, text, 6), ERROR_SUCCESS);
    std::uint32_t size = 0;
    EXPECT_EQ(store.queryValue(key, "s", nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 6u);
    std::uint8_t small[4] = {};
    size = 4;
    EXPECT_EQ(store.queryValue(key, "s", nullptr, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(store.setValue(key, "bad\nname", REG_SZ, text, 6), ERROR_INVALID_PARAMETER);
    RegKey reader = 0;
    ASSERT_EQ(store.openKey(HKEY_LOCAL_MACHINE, "Software\\T", KEY_READ, &reader), ERROR_SUCCESS);
    EXPECT_EQ(store.setValue(reader, "s", REG_SZ, text, 6), ERROR_ACCESS_DENIED);
    store.closeKey(key);
    store.closeKey(reader);
}

TEST_F(RegistryFileStoreTest, AHandWrittenCrLfFileIsReadAndKeptByteExactThroughARewrite) {
    const std::string original =
        "REGEDIT4\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Varnel\\Vexa\\View]\r\n"
        "\"Columns\"=dword:00000020\r\n"
        "\"Rows\"=dword:00000008\r\n"
        "\"Title\"=\"My \\\"palette\\\"\"\r\n"
        "\"Names\"=hex(7):61,62,00,63,00,\\\r\n"
        "  00\r\n"
        "\"Blob\"=hex:00,ff,10\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Other]\r\n"
        "\"Keep\"=dword:00000001\r\n";
    writeStore(original);
    RegistryFileStore store(path);
    RegistryKeyPath key(store, HKEY_LOCAL_MACHINE, "Varnel", "Vexa");
    EXPECT_EQ(key.readInt("View", "Columns", 256), 32);
    EXPECT_EQ(key.readInt("view", "ROWS", 1), 8);
    EXPECT_EQ(readFile(path), original);  // reading existing keys writes nothing

    ASSERT_TRUE(key.writeInt("View", "Borders", 1));
    auto parsed = parseRegistryText(readFile(path));
    EXPECT_TRUE(parsed.clean);
    const RegistryNode* view = parsed.tree.find(splitKeyPath(vexaKey + "\\View"));
    ASSERT_TRUE(view);
    const std::string title = "My \"palette\"";
    EXPECT_EQ(view->value("Title")->data,
              std::vector<std::uint8_t>(title.c_str(), title.c_str() + title.size() + 1));
    EXPECT_EQ(view->value("Names")->type, 7u);
    EXPECT_EQ(view->value("Names")->data, (Bytes{'a', 'b', 0, 'c', 0, 0}));
    EXPECT_EQ(view->value("Blob")->type, REG_BINARY);
    EXPECT_EQ(view->value("Blob")->data, (Bytes{0, 0xFF, 0x10}));
    EXPECT_EQ(dwordIn(parsed, vexaKey + "\\View", "Borders"), 1);
    EXPECT_EQ(dwordIn(parsed, "HKEY_CURRENT_USER\\Software\\Other", "Keep"), 1);
    EXPECT_EQ(listing(folder), (std::vector<std::string>{"system.reg"}));
}

// A store file that is a symbolic link (kept with other settings elsewhere) stays a link:
// changes go to the file it points to.
TEST_F(RegistryFileStoreTest, AStoreThatIsALinkIsWrittenThroughTheLink) {
    const std::string elsewhere = dir + "/dotfiles";
    fs::create_directories(elsewhere);
    fs::create_directories(folder);
    writeFile(elsewhere + "/system.reg",
              "REGEDIT4\n\n[" + vexaKey + "\\View]\n\"Columns\"=dword:00000010\n");
    fs::create_symlink(elsewhere + "/system.reg", path);
    RegistryFileStore store(path);
    RegistryKeyPath key(store, HKEY_LOCAL_MACHINE, "Varnel", "Vexa");
    EXPECT_EQ(key.readInt("View", "Columns", 256), 16);
    ASSERT_TRUE(key.writeInt("View", "Rows", 16));
    ASSERT_TRUE(fs::is_symlink(path));
    const auto parsed = parseRegistryText(readFile(elsewhere + "/system.reg"));
    EXPECT_EQ(dwordIn(parsed, vexaKey + "\\View", "Columns"), 16);
    EXPECT_EQ(dwordIn(parsed, vexaKey + "\\View", "Rows"), 16);
    EXPECT_EQ(listing(elsewhere), (std::vector<std::string>{"system.reg"}));
    EXPECT_EQ(listing(folder), (std::vector<std::string>{"system.reg"}));
}

TEST_F(RegistryFileStoreTest, ACorruptFileIsKeptAsideBeforeTheFirstChangeReplacesIt) {
    const std::string original = std::string(
                                     "REGEDIT4\n"
                                     "[HKEY_LOCAL_MACHINE\\Software\\Varnel\\Vexa\\View]\n"
                                     "\"Columns\"=dword:00000010\n"
                                     "\x01\x02 torn ") +
                                 std::string(1, '\0') +
                                 "line\n"
                                 "\"Rows\"=dword:xyz\n";
    writeStore(original);
    RegistryFileStore store(path);
    RegistryKeyPath key(store, HKEY_LOCAL_MACHINE, "Varnel", "Vexa");
    EXPECT_EQ(key.readInt("View", "Columns", 256), 16);  // the lines that parse are used
    EXPECT_EQ(key.readInt("View", "Rows", 1), 1);
    EXPECT_EQ(listing(folder), (std::vector<std::string>{"system.reg"}));

    ASSERT_TRUE(key.writeInt("View", "Rows", 16));
    auto names = listing(folder);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0], "system.reg");
    EXPECT_EQ(names[1].rfind("system.reg.corrupt-", 0), 0u) << names[1];
    EXPECT_EQ(readFile(folder + "/" + names[1]), original);

    auto parsed = parseRegistryText(readFile(path));
    EXPECT_TRUE(parsed.clean);
    EXPECT_EQ(dwordIn(parsed, vexaKey + "\\View", "Columns"), 16);
    EXPECT_EQ(dwordIn(parsed, vexaKey + "\\View", "Rows"), 16);

    ASSERT_TRUE(key.writeInt("View", "Borders", 1));
    EXPECT_EQ(listing(folder).size(), 2u);
}

TEST_F(RegistryFileStoreTest, SurvivesSigkillInTheMiddleOfAStreamOfWrites) {
    const std::string stress = vexaKey + "\\Stress";
    std::int32_t lastA = 0;
    for (int round = 0; round < 6; ++round) {
        pid_t child = spawn([&] {
            RegistryFileStore store(path);
            RegistryKeyPath key(store, HKEY_LOCAL_MACHINE, "Varnel", "Vexa");
            for (std::int32_t i = key.readInt("Stress", "A", 0) + 1;; ++i)
                if (!key.writeInt("Stress", "A", i) || !key.writeInt("Stress", "B", i)) return 3;
        });
        ASSERT_GT(child, 0);
        // Wait until the child has made progress, then kill it at a varying moment.
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        for (;;) {
            auto a = dwordIn(parseRegistryText(readFile(path)), stress, "B");
            if (a && *a >= lastA + 3) break;
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the writer made no progress";
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        std::this_thread::sleep_for(std::chrono::microseconds(round * 700));
        ::kill(child, SIGKILL);
        ASSERT_EQ(exitStatus(child), 128 + SIGKILL);

        auto parsed = parseRegistryText(readFile(path));
        EXPECT_TRUE(parsed.clean);
        auto a = dwordIn(parsed, stress, "A");
        auto b = dwordIn(parsed, stress, "B");
        ASSERT_TRUE(a && b);
        // Each value is one the writer stored: B trails A by at most the write in flight.
        EXPECT_TRUE(*b == *a || *b == *a - 1) << *a << " " << *b;
        EXPECT_GE(*a, lastA);
        lastA = *a;
    }
    for (const auto& name : listing(folder))
        EXPECT_TRUE(name == "system.reg" || name == "system.reg.tmp") << name;
    // A temporary file left by a killed writer does not stand in the way.
    RegistryFileStore store(path);
    RegistryKeyPath key(store, HKEY_LOCAL_MACHINE, "Varnel", "Vexa");
    EXPECT_TRUE(key.writeInt("Stress", "A", -1));
    EXPECT_EQ(key.readInt("Stress", "A", 0), -1);
    EXPECT_EQ(listing(folder), (std::vector<std::string>{"system.reg"}));
}

TEST_F(RegistryFileStoreTest, TwoProcessesWritingAtOnceBothKeepTheirValues) {
    constexpr int perWriter = 30;
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    std::vector<pid_t> writers;
    for (int w = 1; w <= 2; ++w) {
        writers.push_back(spawn([&, w] {
            ::close(gate[1]);
            char c;
            if (::read(gate[0], &c, 1) != 0) return 5;  // both start when the gate closes
            RegistryFileStore store(path);
            RegistryKeyPath key(store, HKEY_LOCAL_MACHINE, "Varnel", "Vexa");
            for (int i = 0; i < perWriter; ++i)
                if (!key.writeInt("Race", "P" + std::to_string(w) + "." + std::to_string(i),
                                  w * 1000 + i))
                    return 3;
            return 0;
        }));
    }
    ::close(gate[0]);
    ::close(gate[1]);
    for (pid_t pid : writers) EXPECT_EQ(exitStatus(pid), 0);

    RegistryFileStore store(path);
    RegistryKeyPath key(store, HKEY_LOCAL_MACHINE, "Varnel", "Vexa");
    int found = 0;
    for (int w = 1; w <= 2; ++w)
        for (int i = 0; i < perWriter; ++i)
            found += key.readInt("Race", "P" + std::to_string(w) + "." + std::to_string(i), -1) ==
                     w * 1000 + i;
    EXPECT_EQ(found, 2 * perWriter);
    EXPECT_TRUE(parseRegistryText(readFile(path)).clean);
}

// Runs the settings probe as an unprivileged user (root may write anywhere).
class UnwritableStoreTest : public RegistryFileStoreTest {
  protected:
    void SetUp() override {
        RegistryFileStoreTest::SetUp();
        if (::geteuid() == 0 &&
            std::system("setpriv --reuid=65534 --regid=65534 --clear-groups true "
                        ">/dev/null 2>&1") != 0)
            GTEST_SKIP() << "setpriv cannot switch to an unprivileged user here";
        fs::permissions(dir, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                 fs::perms::others_read | fs::perms::others_exec);
        fs::create_directories(dir + "/config");
        fs::permissions(dir + "/config", fs::perms(0755));
        probe = dir + "/probe";
        fs::copy_file(VEXA_STORE_PROBE, probe);
        fs::permissions(probe, fs::perms(0755));
    }

    std::string runProbe(const std::string& store) {
        std::string command =
            ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
        command += probe + " " + store + " save";
        FILE* out = ::popen(command.c_str(), "r");
        std::string text;
        char buffer[256];
        while (out && std::fgets(buffer, sizeof buffer, out)) text += buffer;
        if (out) {
            EXPECT_EQ(::pclose(out), 0) << command;
        }
        return text;
    }

    std::string probe;
};

const std::string defaultsAndNoWrite =
    "stored=0 columns=256 rows=1 borders=0 state=0 bounds=0,0,0,0\nwrite=0\n";

TEST_F(UnwritableStoreTest, AStoreTheUserCanWriteIsWritten) {
    // The control case: the same probe and user do write when they may.
    fs::create_directories(folder);
    fs::permissions(folder, fs::perms(0777));
    EXPECT_EQ(runProbe(path),
              "stored=0 columns=256 rows=1 borders=0 state=0 bounds=0,0,0,0\nwrite=1\n");
    RegistryFileStore store(path);
    RegistryKeyPath key(store, HKEY_LOCAL_MACHINE, "Varnel", "Vexa");
    EXPECT_EQ(key.readInt("CurrentVersion", "Version", 0), 65542);
    EXPECT_EQ(key.readInt("View", "Columns", 0), 8);
}

TEST_F(UnwritableStoreTest, AFolderTheUserMayNotWriteGivesDefaultsAndWritesNothing) {
    const std::string stored = "REGEDIT4\n\n[" + vexaKey +
                               "\\CurrentVersion]\n\"Version\"=dword:00010006\n\n[" + vexaKey +
                               "\\View]\n\"Columns\"=dword:00000010\n\"Rows\"=dword:00000010\n";
    writeStore(stored);
    fs::permissions(path, fs::perms(0644));
    fs::permissions(folder, fs::perms(0555));
    EXPECT_EQ(runProbe(path), defaultsAndNoWrite);
    EXPECT_EQ(readFile(path), stored);
    EXPECT_EQ(listing(folder), (std::vector<std::string>{"system.reg"}));

    // No file yet, and a folder that may not be written: nothing appears.
    fs::create_directories(dir + "/empty");
    fs::permissions(dir + "/empty", fs::perms(0555));
    EXPECT_EQ(runProbe(dir + "/empty/system.reg"), defaultsAndNoWrite);
    EXPECT_TRUE(listing(dir + "/empty").empty());

    // A missing folder below a parent that may not be written.
    fs::permissions(dir + "/config", fs::perms(0555));
    EXPECT_EQ(runProbe(dir + "/config/other/system.reg"), defaultsAndNoWrite);
    EXPECT_FALSE(fs::exists(dir + "/config/other"));
}

TEST_F(UnwritableStoreTest, AFileTheUserMayNotWriteGivesDefaultsEvenInAWritableFolder) {
    const std::string stored = "REGEDIT4\n\n[" + vexaKey + "\\View]\n\"Columns\"=dword:00000010\n";
    writeStore(stored);
    fs::permissions(path, fs::perms(0444));
    fs::permissions(folder, fs::perms(0777));
    EXPECT_EQ(runProbe(path), defaultsAndNoWrite);
    EXPECT_EQ(readFile(path), stored);
    EXPECT_EQ(listing(folder), (std::vector<std::string>{"system.reg"}));
}

}  // namespace
}  // namespace vexa
