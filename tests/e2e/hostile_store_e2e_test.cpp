// Start-up on settings stores that once kept the program from starting: a key nested far
// deeper than any real hive, a store of many thousand sibling keys, and a FIFO in place of
// the file. The window must come (bench/hostile-store.sh times how soon), and the other
// values in the store survive the exit save.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "vexa_session.h"

namespace vexa::testing {
namespace {

class HostileStoreE2E : public ::testing::Test {
  protected:
    void writeStore(const std::string& text) {
        std::filesystem::create_directories(home.path() + "/vexa");
        std::ofstream(home.storePath(), std::ios::binary) << text;
    }
    // Starts the program, waits for its window, then sets the grid to 16 columns
    // and ends the run. A store that keeps no version shows About first.
    void startChangeAndEnd(bool aboutFirst = false) {
        VexaProcess vexa(home);
        const Window window = vexa.waitForWindow(x);
        ASSERT_NE(window, 0u);
        if (aboutFirst) {
            const Window about = findWindowByName(x, "About Vexa");
            ASSERT_NE(about, 0u);
            ASSERT_TRUE(chooseMenu(about, {"Return"}));
            ASSERT_TRUE(waitFor([&] { return findWindowByName(x, "About Vexa", 0ms) == 0; }));
        }
        ASSERT_TRUE(chooseMenu(window, {"alt+v", "c", "1"}));
        ASSERT_TRUE(chooseMenu(window, {"Escape"}));
        EXPECT_EQ(vexa.waitForExit(), 0);
    }

    XConnection x;
    ConfigHome home;
    const std::string versionSection =
        "\n[HKEY_LOCAL_MACHINE\\Software\\Varnel\\Vexa\\CurrentVersion]\n"
        "\"Version\"=dword:00010006\n";
    const std::string foreign = "\n[HKEY_LOCAL_MACHINE\\Software\\Other]\n\"Keep\"=\"yes\"\n";
};

TEST_F(HostileStoreE2E, AKeyNestedDeeperThanAnyHiveNeitherCrashesNorGrowsTheStore) {
    for (int depth : {300000, 8000}) {
        std::string deep = "\n[HKEY_LOCAL_MACHINE\\Software";
        for (int i = 0; i < depth; ++i) deep += "\\a";
        const std::string original = "REGEDIT4\n" + versionSection + deep + "]\n" + foreign;
        writeStore(original);
        startChangeAndEnd();
        const std::string saved = home.storeText();
        EXPECT_LE(saved.size(), original.size()) << depth;
        EXPECT_NE(saved.find(foreign), std::string::npos) << depth;
        EXPECT_EQ(home.dword("View", "Columns"), 16u) << depth;
        std::filesystem::remove_all(home.path() + "/vexa");
    }
}

TEST_F(HostileStoreE2E, AStoreOfFortyThousandSiblingKeysStartsAndKeepsThemAll) {
    std::string text = "REGEDIT4\n" + versionSection;
    for (int i = 0; i < 40000; ++i)
        text += "\n[HKEY_LOCAL_MACHINE\\Software\\Sibling" + std::to_string(i) +
                "]\n\"Value\"=dword:" + std::to_string(10000000 + i) + "\n";
    writeStore(text);
    startChangeAndEnd();
    const std::string saved = home.storeText();
    EXPECT_EQ(home.dword("View", "Columns"), 16u);
    for (int i : {0, 20000, 39999})
        EXPECT_NE(saved.find("[HKEY_LOCAL_MACHINE\\Software\\Sibling" + std::to_string(i) +
                             "]\n\"Value\"=dword:" + std::to_string(10000000 + i) + "\n"),
                  std::string::npos)
            << i;
}

TEST_F(HostileStoreE2E, AFifoInPlaceOfTheStoreGivesDefaultsAndIsLeftAlone) {
    std::filesystem::create_directories(home.path() + "/vexa");
    ASSERT_EQ(::mkfifo(home.storePath().c_str(), 0600), 0);
    startChangeAndEnd(true);
    EXPECT_TRUE(std::filesystem::is_fifo(home.storePath()));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(home.path() + "/vexa"),
                            std::filesystem::directory_iterator()),
              1);
}

}  // namespace
}  // namespace vexa::testing
