#include "base/typed_path.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "base/command_failure.h"
#include "support/temp_dir.h"

namespace vexa {
namespace {

TEST(TypedPath, RelativeNamesAndDotLevelsResolveAgainstTheFolderAtAnyLength) {
    EXPECT_EQ(typedNameToPath("SysPal.bmp", "/home/u"), "/home/u/SysPal.bmp");
    EXPECT_EQ(typedNameToPath("../x/./y.bmp", "/home/u/"), "/home/x/y.bmp");
    EXPECT_EQ(typedNameToPath("/a//b/../c", "/ignored"), "/a/c");
    EXPECT_EQ(typedNameToPath("pics/", "/home/u"), "/home/u/pics/");
    EXPECT_EQ(typedNameToPath("../../..", "/home"), "/");
    // Nothing is cut: the old buffers ended at 2047 bytes.
    const std::string longName(5000, 'n');
    EXPECT_EQ(typedNameToPath(longName, "/tmp"), "/tmp/" + longName);
}

TEST(TypedPath, TildeAndVariablesAreExpanded) {
    ::setenv("HOME", "/home/me", 1);
    ::setenv("VEXA_TYPED_PATH_TEST", "pal", 1);
    ::unsetenv("VEXA_TYPED_PATH_UNSET");
    EXPECT_EQ(typedNameToPath("~", "/x"), "/home/me");
    EXPECT_EQ(typedNameToPath("~/a.bmp", "/x"), "/home/me/a.bmp");
    EXPECT_EQ(typedNameToPath("~root/a", "/x"), "/root/a");
    EXPECT_EQ(typedNameToPath("$VEXA_TYPED_PATH_TEST/b.bmp", "/x"), "/x/pal/b.bmp");
    EXPECT_EQ(typedNameToPath("$VEXA_TYPED_PATH_UNSET.bmp", "/x"), "/x/$VEXA_TYPED_PATH_UNSET.bmp");
    EXPECT_EQ(typedNameToPath("a~b$", "/x"), "/x/a~b$");
}

// A removed working folder has no path: a relative name there is a missing file, named as
// typed; a full name still resolves.
TEST(TypedPath, ARelativeNameInARemovedWorkingFolderIsNotFound) {
    testing::TempDir dir;
    const std::string gone = dir.file("gone");
    ASSERT_EQ(::mkdir(gone.c_str(), 0700), 0);
    const std::filesystem::path before = std::filesystem::current_path();
    ASSERT_EQ(::chdir(gone.c_str()), 0);
    ASSERT_EQ(::rmdir(gone.c_str()), 0);
    std::string message = "no failure";
    try {
        typedNameToPath("x.bmp", ".");
    } catch (const CommandFailure& failure) {
        message = failure.message();
    }
    EXPECT_EQ(typedNameToPath("/tmp/a.bmp", "."), "/tmp/a.bmp");
    std::filesystem::current_path(before);
    EXPECT_EQ(message, "x.bmp was not found.");
}

}  // namespace
}  // namespace vexa
