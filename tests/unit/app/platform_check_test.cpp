#include "app/platform_check.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(PlatformCheck, RefusesOnlyA16BitWindowsHost) {
    EXPECT_FALSE(platformSupported(0x80000003u));  // Win32 on Windows 3.1
    EXPECT_FALSE(platformSupported(0x80000A00u));  // minor byte ignored, major 0
    EXPECT_TRUE(platformSupported(0xC0000004u));   // Windows 95
    EXPECT_TRUE(platformSupported(0x80000005u));   // any later non-NT host
    EXPECT_TRUE(platformSupported(0x00003303u));   // Windows NT 3.51
    EXPECT_TRUE(platformSupported(0x00000000u));   // bit 31 clear always passes
}

TEST(PlatformCheck, OnlyTheLowByteCountsAsTheMajorVersion) {
    // 0x104 has major 4 in the low byte; a check that read 16 bits would see 260.
    EXPECT_TRUE(platformSupported(0x80000104u));
    // 0x0103: major 3 with minor 1 is refused, whatever the minor version.
    EXPECT_FALSE(platformSupported(0x80000103u));
}

TEST(PlatformCheck, TheRunningPlatformPasses) {
    const std::uint32_t version = runningPlatformVersion();
    EXPECT_EQ(version & 0x80000000u, 0u);
    EXPECT_TRUE(platformSupported(version));
}

}  // namespace
}  // namespace vexa
