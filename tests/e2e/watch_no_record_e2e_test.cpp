// --watch on a server without the RECORD extension: one note on standard error, then the
// changes as reading the palette finds them, without the program behind them.
#include <gtest/gtest.h>
#include <signal.h>

#include "vexa_session.h"

namespace vexa::testing {
namespace {

TEST(WatchWithoutRecordE2E, SaysSoOnceAndStillReportsChanges) {
    XConnection x;
    ConfigHome home;
    ColormapHolder holder({"--color", "0-255=102030"});
    ASSERT_TRUE(waitFor([&] { return installedColormap(x) == holder.colormap(); }));
    ChildProcess watcher(
        {"sh", "-c",
         "XDG_CONFIG_HOME='" + home.path() + "' exec '" + VEXA_BINARY + "' --watch 2>&1"});
    auto note = watcher.readLine();
    ASSERT_TRUE(note);
    EXPECT_EQ(note->rfind("vexa: the X server does not record requests", 0), 0u) << *note;

    // Stored again and again until a read after the start finds it.
    std::optional<std::string> line;
    for (int i = 1; i < 200 && !line; ++i) {
        XColor cell{};
        cell.pixel = 9;
        cell.red = static_cast<unsigned short>(i * 257);
        cell.flags = DoRed;
        XStoreColor(x, holder.colormap(), &cell);
        XSync(x, False);
        line = watcher.readLine(100ms);
    }
    ASSERT_TRUE(line) << "no change reported";
    EXPECT_EQ(line->substr(12, 4), " 9: ") << *line;
    EXPECT_EQ(line->find(" by "), std::string::npos) << *line;
    ::kill(watcher.pid(), SIGTERM);
    EXPECT_TRUE(watcher.wait().has_value());
}

}  // namespace
}  // namespace vexa::testing
