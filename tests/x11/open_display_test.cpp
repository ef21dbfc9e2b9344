// The program's connection on a private 8-bit Xvfb: an X error that nothing traps reaches
// standard error after "vexa: ", as every message of the program does, and the run goes on.
// clang-format off
#include <gtest/gtest.h>  // before any X header: Xlib defines None and Bool
// clang-format on
#include "platform/x11/open_display.h"

#include <FL/x.H>

namespace vexa {
namespace {

TEST(OpenDisplay, ToolkitMessagesCarryTheProgramsName) {
    const std::unique_ptr<X11Display> opened = openDisplay();
    ASSERT_NE(opened, nullptr);
    ::Display* display = fl_display;
    ::testing::internal::CaptureStderr();
    // No such window: the server answers with BadWindow.
    XMapWindow(display, 0x7fffffe);
    XSync(display, False);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.rfind("vexa: ", 0), 0u) << said;
    EXPECT_NE(said.find("X_MapWindow: BadWindow"), std::string::npos) << said;
}

}  // namespace
}  // namespace vexa
