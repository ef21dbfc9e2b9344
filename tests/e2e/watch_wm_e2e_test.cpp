// --watch under twm with colormap focus: the window manager installing the colormap of the
// window under the pointer is named as the program behind the change.
#include <gtest/gtest.h>

#include "vexa_session.h"

namespace vexa::testing {
namespace {

TEST(WatchUnderTwmE2E, TheWindowManagerInstallingAColormapIsNamed) {
    XConnection x;
    ConfigHome home;
    movePointer(x, 1000, 700);
    ColormapHolder holder({"--color", "0-255=203040", "--no-install", "--geometry", "64x64+0+0"});
    ChildProcess watcher({"env", "XDG_CONFIG_HOME=" + home.path(), VEXA_BINARY, "--watch"});
    // Into the holder's window and out again until the watcher, started in between, sees
    // twm install the holder's colormap.
    std::optional<std::string> line;
    const auto [x0, y0] = rootPosition(x, holder.window());
    const auto installedHolders = [&] {
        return line && line->find(" 100: 32, 48, 64; ") != std::string::npos;
    };
    for (int i = 0; i < 100 && !installedHolders(); ++i) {
        movePointer(x, x0 + 30, y0 + 30);
        line = watcher.readLine(100ms);
        if (!installedHolders()) movePointer(x, 1000, 700);
    }
    ASSERT_TRUE(installedHolders()) << "--watch saw no install";
    const std::size_t by = line->rfind(" by twm[");
    ASSERT_NE(by, std::string::npos) << *line;
    // The process named is the window manager.
    const std::string pid = line->substr(by + 8, line->size() - by - 9);
    EXPECT_EQ(fileText("/proc/" + pid + "/comm"), "twm\n") << *line;
}

}  // namespace
}  // namespace vexa::testing
