// Start-up on displays the program cannot use: a depth-24 TrueColor screen has no hardware
// palette, and no display at all cannot show a message.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "vexa_session.h"

namespace vexa::testing {
namespace {

TEST(StartUpE2E, ATrueColorDisplayGetsThePaletteModeMessageAfterTheVersionWasStored) {
    XConnection x;
    ConfigHome home;
    // Standard error comes through the child's output pipe.
    setenv("XDG_CONFIG_HOME", home.path().c_str(), 1);
    ChildProcess vexa({"sh", "-c", std::string("exec '") + VEXA_BINARY + "' 2>&1"});
    EXPECT_EQ(vexa.readLine(),
              "vexa: A color palette based display mode is needed for this application to run.");
    const Window box = findWindowByName(x, "Vexa");
    ASSERT_NE(box, 0u);
    EXPECT_EQ(readStringProperty(x, box, "VEXA_MESSAGE_TEXT"),
              "A color palette based display mode is needed for this application to run.");
    // The box stands in the middle of the 1024 x 768 screen.
    XWindowAttributes attributes{};
    ASSERT_TRUE(XGetWindowAttributes(x, box, &attributes));
    const auto [left, top] = rootPosition(x, box);
    EXPECT_NEAR(left + attributes.width / 2, 512, 2);
    EXPECT_NEAR(top + attributes.height / 2, 384, 2);
    // reset() ran before the window was built: the version record is already there.
    EXPECT_EQ(home.dword("CurrentVersion", "Version"), 65542u);
    EXPECT_FALSE(vexa.wait(300ms).has_value()) << "ended before the message was dismissed";

    ASSERT_TRUE(xdotool({"windowfocus", "--sync", std::to_string(box), "key", "Return"}));
    // After the box, which keeps its text, a terminal user learns the way out.
    EXPECT_EQ(vexa.readLine(),
              "vexa: for an 8-bit screen of its own on this desktop, run: vexa --nested");
    // A script sees that the program did not run.
    const std::optional<int> status = vexa.wait();
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 1) << "status " << *status;
    // Nothing was marked modified, so nothing but the version record was written.
    EXPECT_FALSE(home.dword("View", "Columns").has_value());
    EXPECT_FALSE(home.dword("Window", "Bounds.left").has_value());
}

TEST(StartUpE2E, NoDisplayIsReportedOnStandardErrorWithAFailingStatus) {
    ConfigHome home;
    const std::string command =
        "DISPLAY=:none XDG_CONFIG_HOME='" + home.path() + "' '" + VEXA_BINARY + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    const int status = pclose(pipe);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 0);
    EXPECT_NE(output.find("cannot open display"), std::string::npos) << output;
    // The settings were never touched.
    EXPECT_TRUE(home.storeText().empty());
}

}  // namespace
}  // namespace vexa::testing
