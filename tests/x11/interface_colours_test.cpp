// FLTK's colours matched to the installed colormap: under another program's colormap each
// colour index draws with that colormap's nearest entry, and FLTK's own allocations come
// back with the default colormap.
// clang-format off
#include <gtest/gtest.h>  // before any X header: Xlib defines None and Bool
// clang-format on
#include "platform/x11/interface_colours.h"

#include <FL/Fl.H>
#include <FL/x.H>

#include "x11_test_support.h"

namespace vexa {
namespace {

TEST(InterfaceColoursTest, ColoursFollowTheInstalledColormapAndComeBackWithTheDefault) {
    fl_open_display();
    const unsigned long black = fl_xpixel(FL_BLACK);
    const unsigned long grey = fl_xpixel(FL_BACKGROUND_COLOR);
    testing::ColormapHolder holder({"--color", "0-255=C08040", "--color", "200=000000", "--color",
                                    "77=C0C0C0", "--color", "201=FFFFFF"});
    const Colormap defaultMap = DefaultColormap(fl_display, fl_screen);

    EXPECT_TRUE(matchInterfaceColours(fl_display, holder.colormap()));
    EXPECT_EQ(fl_xpixel(FL_BLACK), 200u);
    EXPECT_EQ(fl_xpixel(FL_WHITE), 201u);
    EXPECT_EQ(fl_xpixel(FL_BACKGROUND_COLOR), 77u);  // FLTK's grey, nearest C0C0C0
    EXPECT_FALSE(matchInterfaceColours(fl_display, holder.colormap()));  // nothing changed

    EXPECT_TRUE(matchInterfaceColours(fl_display, defaultMap));
    EXPECT_EQ(fl_xpixel(FL_BLACK), black);
    EXPECT_EQ(fl_xpixel(FL_BACKGROUND_COLOR), grey);
    EXPECT_FALSE(matchInterfaceColours(fl_display, None));
}

}  // namespace
}  // namespace vexa
