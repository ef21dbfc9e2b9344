#include "nested/screen_plan.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>

namespace vexa::nested {
namespace {

TEST(ScreenPlan, SizesAreWxHWithinBounds) {
    EXPECT_EQ(parseScreenSize("1024x768"), (Size{1024, 768}));
    EXPECT_EQ(parseScreenSize("100x16384"), (Size{100, 16384}));
    for (const char* bad : {"", "x", "1024", "1024x", "x768", "99x768", "1024x16385", "+800x600",
                            "800x600+0+0", "800X600", "-800x600", "800x 600", "0x0"})
        EXPECT_FALSE(parseScreenSize(bad)) << bad;
}

TEST(ScreenPlan, TheDisplayNumberIsOneWholeLineOfDigits) {
    EXPECT_EQ(parseDisplayNumber("12"), 12);
    EXPECT_EQ(parseDisplayNumber("0"), 0);
    for (const char* bad : {"", "12abc", " 12", "1 2", "-1", "+3", "99999999999"})
        EXPECT_FALSE(parseDisplayNumber(bad)) << bad;
}

TEST(ScreenPlan, TheSizeIsTheLargestStandardOneThatFitsWithItsFrame) {
    EXPECT_EQ(chooseScreenSize({1920, 1050}), (Size{1024, 768}));
    EXPECT_EQ(chooseScreenSize({1040, 816}), (Size{1024, 768}));
    // A desktop of exactly 1024 x 768 has no room for the frame around such a screen.
    EXPECT_EQ(chooseScreenSize({1024, 768}), (Size{800, 600}));
    EXPECT_EQ(chooseScreenSize({800, 600}), (Size{640, 480}));
    EXPECT_EQ(chooseScreenSize({600, 400}), (Size{584, 352}));
    EXPECT_EQ(chooseScreenSize({50, 50}), (Size{kMinScreenSide, kMinScreenSide}));
}

TEST(ScreenPlan, XephyrDrawsTheCursorItselfOnlyWhenAsked) {
    const std::vector<std::string> plain = xephyrArguments({800, 600}, 3, false);
    EXPECT_NE(std::find(plain.begin(), plain.end(), "800x600x8"), plain.end());
    EXPECT_EQ(std::find(plain.begin(), plain.end(), "-sw-cursor"), plain.end());
    EXPECT_EQ(xephyrArguments({800, 600}, 3, true).back(), "-sw-cursor");
    // In the session's window, which has the title, or in one of its own with it.
    const std::vector<std::string> inside = xephyrArguments({800, 600}, 3, false, 0x2a00001);
    const auto parent = std::find(inside.begin(), inside.end(), "-parent");
    ASSERT_NE(parent, inside.end());
    EXPECT_EQ(*std::next(parent), "44040193");
    // Before the screen it is for: after it, Xephyr would make a second screen.
    EXPECT_LT(parent, std::find(inside.begin(), inside.end(), "-screen"));
    EXPECT_EQ(std::find(inside.begin(), inside.end(), "-title"), inside.end());
    EXPECT_NE(std::find(plain.begin(), plain.end(), "-title"), plain.end());
}

TEST(ScreenPlan, MissingProgramsAreNamedWithTheirPackages) {
    EXPECT_EQ(missingProgramsMessage(std::vector{kXephyr}),
              "--nested needs Xephyr to open an 8-bit screen, and it is not installed\n"
              "install the Debian package xserver-xephyr (sudo apt install "
              "xserver-xephyr)\n");
    EXPECT_EQ(missingProgramsMessage(std::vector{kXephyr, kTwm}),
              "--nested needs Xephyr and twm to open an 8-bit screen, and they are not "
              "installed\n"
              "install the Debian packages xserver-xephyr twm (sudo apt install "
              "xserver-xephyr twm)\n");
    const std::string noDesktop = noDesktopMessage("DISPLAY is not set");
    EXPECT_EQ(noDesktop.rfind("DISPLAY is not set\nover ssh", 0), 0u) << noDesktop;
    EXPECT_NE(noDesktop.find("ssh -X"), std::string::npos);
}

TEST(ScreenPlan, TheStatusTellsHowTheSessionEnded) {
    const int exited0 = 0, exited1 = 1 << 8, killed = SIGKILL;
    ASSERT_TRUE(WIFEXITED(exited1) && WEXITSTATUS(exited1) == 1 && WIFSIGNALED(killed));
    EXPECT_EQ(sessionStatus(SessionEnd::vexaEnded, exited0), 0);
    EXPECT_EQ(sessionStatus(SessionEnd::vexaEnded, exited1), 1);
    EXPECT_EQ(sessionStatus(SessionEnd::vexaEnded, killed), 1);
    // The user closed the nested window: Xephyr ends with a status of its own.
    EXPECT_EQ(sessionStatus(SessionEnd::screenClosed, exited1), 0);
    EXPECT_EQ(sessionStatus(SessionEnd::screenClosed, killed), 1);
    EXPECT_EQ(sessionStatus(SessionEnd::signalled, 0, SIGTERM), 143);
    EXPECT_EQ(sessionStatus(SessionEnd::signalled, 0, SIGINT), 130);
}

}  // namespace
}  // namespace vexa::nested
