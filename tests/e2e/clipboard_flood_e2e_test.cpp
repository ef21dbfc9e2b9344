// The clipboard under a flood of requests: another client asks for the copied palette
// 100,000 times at once; the window must still answer a menu command (bench/clipboard-flood.sh
// times how soon).
#include <gtest/gtest.h>

#include "vexa_session.h"

namespace vexa::testing {
namespace {

using ClipboardFloodE2E = VexaTest;

TEST_F(ClipboardFloodE2E, AMenuCommandIsAnsweredDuringAFloodOfRequests) {
    home.seedVersion();
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_TRUE(chooseMenu(window, {"alt+v", "c", "1"}));
    ASSERT_TRUE(chooseMenu(window, {"alt+e", "c"}));
    const Atom clipboard = XInternAtom(x, "CLIPBOARD", False);
    ASSERT_TRUE(waitFor([&] { return XGetSelectionOwner(x, clipboard) != None; }));
    const int height = windowGeometry(x, window).height;

    XConnection flood;
    const Window requestor =
        XCreateSimpleWindow(flood, DefaultRootWindow(flood.get()), 0, 0, 1, 1, 0, 0, 0);
    const Atom targets = XInternAtom(flood, "TARGETS", False);
    const Atom property = XInternAtom(flood, "VEXA_FLOOD", False);
    for (int i = 0; i < 100000; ++i) {
        XConvertSelection(flood, clipboard, targets, property, requestor, CurrentTime);
        if (i % 1000 == 999) XFlush(flood);
    }
    XSync(flood, False);

    // Shrink to Fit: 16 rows of 4 pixels make the window lower.
    ASSERT_TRUE(chooseMenu(window, {"alt+v", "s"}));
    EXPECT_TRUE(waitFor([&] { return windowGeometry(x, window).height != height; }));

    ASSERT_TRUE(chooseMenu(window, {"Escape"}));
    EXPECT_EQ(vexa->waitForExit(std::chrono::seconds(60)), 0);
}

}  // namespace
}  // namespace vexa::testing
