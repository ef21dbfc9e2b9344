// The installed palette followed through RECORD on an 8-bit Xvfb: every state a burst of
// stores makes, exact and in order even when the server has carried out the next ones
// already, and the program named for each.
// clang-format off
#include <gtest/gtest.h>  // before any X header: Xlib defines None and Bool
// clang-format on
#include <poll.h>
#include <unistd.h>

#include "platform/x11/x11_display.h"
#include "x11_test_support.h"

namespace vexa {
namespace {

struct State {
    SystemPaletteSnapshot palette;
    std::string author;
};

// The states that arrive until there are `count`, or the liveness bound passes.
std::vector<State> collect(PaletteEvents& events, std::size_t count) {
    std::vector<State> states;
    const auto end = std::chrono::steady_clock::now() + testing::kLiveness;
    while (states.size() < count && std::chrono::steady_clock::now() < end) {
        pollfd ready{events.readyFd(), POLLIN, 0};
        if (::poll(&ready, 1, 100) <= 0) continue;
        events.takeArrived([&](const SystemPaletteSnapshot& palette, const std::string& author) {
            states.push_back({palette, author});
            return true;
        });
    }
    return states;
}

TEST(PaletteRecorderTest, EveryStoredStateComesInOrderWithTheProgramThatStoredIt) {
    testing::XConnection watching, storing;
    testing::ColormapHolder holder({"--color", "0-255=102030"});
    ASSERT_TRUE(
        testing::waitFor([&] { return testing::installedColormap(storing) == holder.colormap(); }));
    X11Display display(watching);
    const std::unique_ptr<PaletteEvents> events = display.followPaletteEvents();
    ASSERT_NE(events, nullptr);
    EXPECT_EQ(events->startPalette().count, 256);
    EXPECT_EQ(events->startPalette().entries[30], (PaletteEntry{0x10, 0x20, 0x30, 0}));

    // A hundred stores sent at once: the server has done them all before the first arrives.
    for (int i = 1; i <= 100; ++i) {
        XColor cell{};
        cell.pixel = 30;
        cell.red = static_cast<unsigned short>(i * 257);
        cell.flags = DoRed;
        XStoreColor(storing, holder.colormap(), &cell);
    }
    XStoreNamedColor(storing, holder.colormap(), "gold", 31, DoRed | DoGreen | DoBlue);
    XSync(storing, False);

    const std::vector<State> states = collect(*events, 101);
    ASSERT_EQ(states.size(), 101u);
    const std::string me = testing::programName(::getpid());
    for (int i = 1; i <= 100; ++i) {
        EXPECT_EQ(states[i - 1].palette.entries[30],
                  (PaletteEntry{std::uint8_t(i), 0x20, 0x30, 0}));
        EXPECT_EQ(states[i - 1].author, me);
    }
    EXPECT_EQ(states[100].palette.entries[31], (PaletteEntry{255, 215, 0, 0}));  // gold
    EXPECT_EQ(states[100].palette.entries[30].red, 100);

    // The holder's end: the server installs the default colormap, and the holder is named.
    const std::string holderName = testing::programName(holder.process().pid());
    holder.exit();
    const std::vector<State> ended = collect(*events, 1);
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_EQ(ended[0].author, holderName);
    const std::vector<testing::Rgb> shown = testing::installedColors(storing);
    EXPECT_EQ(ended[0].palette.entries[200],
              (PaletteEntry{shown[200].red, shown[200].green, shown[200].blue, 0}));
}

}  // namespace
}  // namespace vexa
