#include "base/file_paths.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(FilePaths, ExtensionIsTheTextAfterTheLastDotOfTheFinalNameInAnyCase) {
    EXPECT_EQ(fileName("/a/b.d/SysPal.bmp"), "SysPal.bmp");
    EXPECT_EQ(fileName("/a/"), "");
    EXPECT_EQ(fileExtension("/a/b/pal.v2.Txt"), "Txt");
    EXPECT_EQ(fileExtension("/a/b.d/SysPal"), "");  // a dot in a folder name is no extension
    EXPECT_EQ(fileExtension("name."), "");
    EXPECT_TRUE(hasExtension("x.Bmp", "bmp"));
    EXPECT_FALSE(hasExtension("x.bmpx", "bmp"));
    EXPECT_FALSE(hasExtension("x.bm", "bmp"));
    EXPECT_FALSE(hasExtension("bmp", "bmp"));
}

}  // namespace
}  // namespace vexa
