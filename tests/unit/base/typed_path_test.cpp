#include "base/typed_path.h"

#include <gtest/gtest.h>

#include <cstdlib>

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

}  // namespace
}  // namespace vexa
