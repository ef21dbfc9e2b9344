#include "platform/file_name_rules.h"

#include <gtest/gtest.h>

#include <set>

namespace vexa {
namespace {

// A small file system: /home/u with SysPal.bmp and notes, /home/u/pics a folder.
PathFacts fakeProbe(const std::string& path) {
    static const std::set<std::string> folders = {"/", "/home", "/home/u", "/home/u/pics",
                                                  "/home/u/old.bmp"};
    static const std::set<std::string> files = {"/home/u/SysPal.bmp", "/home/u/notes",
                                                "/home/u/pics/Sky.BMP"};
    if (folders.count(path)) return {true, true};
    if (files.count(path)) return {true, false};
    // A file used as a folder, or a name longer than the system takes.
    if (path.rfind("/home/u/notes/", 0) == 0 || path.size() > 255) return {false, false, true};
    return {};
}

TEST(FileNames, DefaultExtensionIsAddedOnlyToANameWithoutAnyDot) {
    EXPECT_EQ(withDefaultExtension("/u/SysPal", "bmp"), "/u/SysPal.bmp");
    EXPECT_EQ(withDefaultExtension("/u/SysPal.txt", "bmp"), "/u/SysPal.txt");
    EXPECT_EQ(withDefaultExtension("/u/SysPal.", "bmp"), "/u/SysPal.");
    EXPECT_EQ(withDefaultExtension("/u.d/SysPal", "bmp"), "/u.d/SysPal.bmp");
    EXPECT_EQ(folderOf("/x.bmp"), "/");
    EXPECT_EQ(folderOf("x.bmp"), ".");
}

TEST(SaveName, InitialNameGetsTheDefaultExtensionAndAsksBeforeReplacing) {
    const auto d = decideSaveName("/home/u/SysPal", "bmp", fakeProbe);
    EXPECT_EQ(d.step, DialogStep::askReplace);
    EXPECT_EQ(d.path, "/home/u/SysPal.bmp");
}

TEST(SaveName, NewFileAsksBeforeCreating) {
    const auto d = decideSaveName("/home/u/New", "bmp", fakeProbe);
    EXPECT_EQ(d.step, DialogStep::askCreate);
    EXPECT_EQ(d.path, "/home/u/New.bmp");
    const auto t = decideSaveName("/home/u/pal.txt", "bmp", fakeProbe);
    EXPECT_EQ(t.step, DialogStep::askCreate);
    EXPECT_EQ(t.path, "/home/u/pal.txt");
}

TEST(SaveName, ExistingFileWithoutExtensionIsStillGivenTheDefaultOne) {
    // "notes" exists, but the name the dialog saves to is notes.bmp, which does not.
    const auto d = decideSaveName("/home/u/notes", "bmp", fakeProbe);
    EXPECT_EQ(d.step, DialogStep::askCreate);
    EXPECT_EQ(d.path, "/home/u/notes.bmp");
}

TEST(SaveName, FoldersAreEnteredNotWritten) {
    EXPECT_EQ(decideSaveName("/home/u/pics", "bmp", fakeProbe).step, DialogStep::enterFolder);
    const auto d = decideSaveName("/home/u/old", "bmp", fakeProbe);
    EXPECT_EQ(d.step, DialogStep::enterFolder);
    EXPECT_EQ(d.path, "/home/u/old.bmp");
}

TEST(SaveName, MissingFolderAndEmptyNameAreRefused) {
    const auto d = decideSaveName("/home/u/gone/SysPal", "bmp", fakeProbe);
    EXPECT_EQ(d.step, DialogStep::refuseNoFolder);
    EXPECT_EQ(d.path, "/home/u/gone/SysPal.bmp");
    EXPECT_EQ(decideSaveName("", "bmp", fakeProbe).step, DialogStep::refuseEmpty);
    EXPECT_EQ(decideSaveName("/home/u/gone/", "bmp", fakeProbe).step, DialogStep::refuseEmpty);
}

TEST(SaveAndOpenName, ANameTheSystemCannotTakeIsRefusedAsAnInvalidPath) {
    const std::string longName = "/home/u/" + std::string(300, 'x');
    for (const std::string& chosen :
         {longName, std::string("/home/u/notes/a.bmp"), std::string("/home/u/notes/a")}) {
        for (const auto& d :
             {decideSaveName(chosen, "bmp", fakeProbe), decideOpenName(chosen, "bmp", fakeProbe)}) {
            EXPECT_EQ(d.step, DialogStep::refuseInvalidPath) << chosen;
            EXPECT_EQ(d.path, chosen);
            EXPECT_EQ(dialogQuestionText(d), chosen + " contains an invalid path.");
        }
    }
}

TEST(OpenName, AcceptsOnlyAnExistingFileInAnExistingFolder) {
    EXPECT_EQ(decideOpenName("/home/u/SysPal.bmp", "bmp", fakeProbe).step, DialogStep::accept);
    EXPECT_EQ(decideOpenName("/home/u/notes", "bmp", fakeProbe).step, DialogStep::accept);
    const auto missing = decideOpenName("/home/u/none.bmp", "bmp", fakeProbe);
    EXPECT_EQ(missing.step, DialogStep::refuseNoFile);
    EXPECT_EQ(missing.path, "/home/u/none.bmp");
    EXPECT_EQ(decideOpenName("/nowhere/x.bmp", "bmp", fakeProbe).step, DialogStep::refuseNoFolder);
    EXPECT_EQ(decideOpenName("/home/u/pics", "bmp", fakeProbe).step, DialogStep::enterFolder);
    EXPECT_EQ(decideOpenName("", "bmp", fakeProbe).step, DialogStep::refuseEmpty);
}

TEST(OpenName, NameWithoutExtensionIsLookedForWithTheDefaultOne) {
    const auto d = decideOpenName("/home/u/SysPal", "bmp", fakeProbe);
    EXPECT_EQ(d.step, DialogStep::accept);
    EXPECT_EQ(d.path, "/home/u/SysPal.bmp");
    // Letter case matters on this file system: Sky.bmp is not Sky.BMP.
    EXPECT_EQ(decideOpenName("/home/u/pics/Sky", "bmp", fakeProbe).step, DialogStep::refuseNoFile);
}

TEST(DialogTexts, NameThePathAndWhatIsAsked) {
    EXPECT_EQ(dialogQuestionText({DialogStep::askReplace, "/u/a.bmp"}),
              "/u/a.bmp already exists.\nDo you want to replace it?");
    EXPECT_EQ(dialogQuestionText({DialogStep::askCreate, "/u/a.bmp"}),
              "/u/a.bmp does not exist.\nDo you want to create it?");
    EXPECT_EQ(dialogQuestionText({DialogStep::refuseNoFolder, "/u/gone/a.bmp"}),
              "/u/gone\nThis folder does not exist.\nCheck the path and try again.");
    EXPECT_EQ(dialogQuestionText({DialogStep::refuseNoFile, "/u/a.bmp"}),
              "/u/a.bmp\nFile not found.\nCheck the file name and try again.");
    EXPECT_EQ(dialogQuestionText({DialogStep::accept, "/u/a.bmp"}), "");
}

}  // namespace
}  // namespace vexa
