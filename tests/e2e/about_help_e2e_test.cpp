// The About and Help windows of the real binary on a private 8-bit Xvfb without a window
// manager: the first start's About window, Help > Contents, the F1 key with and without
// modifiers, the one-Help guard, the way back from Help to About, and the read-only help text.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "ui/about_texts.h"
#include "ui/load_text_resource.h"
#include "vexa_session.h"

namespace vexa::testing {
namespace {

// The standard output of a shell command.
std::string commandOutput(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n = 0;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
        pclose(pipe);
    }
    return output;
}

int countWindows(const std::string& name) {
    const std::string lines =
        commandOutput("xdotool search --onlyvisible --name '^" + name + "$' 2>/dev/null");
    return static_cast<int>(std::count(lines.begin(), lines.end(), '\n'));
}

// True when the window carries the program's icon at 32 and 16 pixels.
bool hasAppIcons(Window window) {
    const std::string icons =
        commandOutput("xprop -id " + std::to_string(window) + " _NET_WM_ICON");
    return icons.find("Icon (32 x 32)") != std::string::npos &&
           icons.find("Icon (16 x 16)") != std::string::npos;
}

void setClipboard(const std::string& text) {
    if (FILE* pipe = popen("xclip -selection clipboard -i", "w")) {
        fwrite(text.data(), 1, text.size(), pipe);
        pclose(pipe);
    }
}

std::string clipboard() {
    return commandOutput("xclip -selection clipboard -o 2>/dev/null");
}

Window transientFor(::Display* display, Window window) {
    Window owner = 0;
    return XGetTransientForHint(display, window, &owner) ? owner : 0;
}

// True when top-level `upper` is stacked above top-level `lower` (no window manager: both
// are children of the root, listed bottom to top).
bool stackedAbove(::Display* display, Window upper, Window lower) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return false;
    int upperAt = -1, lowerAt = -1;
    for (unsigned int i = 0; i < count; ++i) {
        if (children[i] == upper) upperAt = static_cast<int>(i);
        if (children[i] == lower) lowerAt = static_cast<int>(i);
    }
    if (children) XFree(children);
    return upperAt >= 0 && lowerAt >= 0 && upperAt > lowerAt;
}

bool keys(Window window, const std::vector<std::string>& names) {
    std::vector<std::string> arguments{"windowfocus", "--sync",  std::to_string(window),
                                       "key",         "--delay", "40"};
    arguments.insert(arguments.end(), names.begin(), names.end());
    return xdotool(arguments);
}

// Proves that the palette window has handled everything sent to it so far: a press on
// the grid starts the readout, which writes the title; a modal window in front of it would
// take the press. Without a window manager, a window Vexa opened before is mapped by then.
bool readoutAnswers(::Display* x, Window window) {
    if (!xdotool({"mousemove", "--window", std::to_string(window), "5", "40", "mousedown", "1"}))
        return false;
    const bool answered = waitFor([&] { return title(x, window).rfind("Vexa - [", 0) == 0; });
    return xdotool({"mouseup", "1"}) && answered && waitForTitle(x, window, "Vexa") == "Vexa";
}

std::string helpAsShown() {
    std::string text;
    loadTextResource("HELP", "TXT", text);
    return toDisplayLineEnds(text);
}

class AboutHelpE2E : public ::testing::Test {
  protected:
    bool gone(const std::string& name) {
        return waitFor([&] { return findWindowByName(x, name, 0ms) == 0; });
    }

    XConnection x;
    ConfigHome home;
};

TEST_F(AboutHelpE2E, FirstStartOfAVersionOpensAboutAboveThePaletteWindowOnce) {
    {
        VexaProcess vexa(home);
        const Window window = vexa.waitForWindow(x);
        ASSERT_NE(window, 0u);
        const Window about = findWindowByName(x, "About Vexa");
        ASSERT_NE(about, 0u);
        EXPECT_EQ(transientFor(x, about), window);
        EXPECT_TRUE(waitFor([&] { return stackedAbove(x, about, window); }));
        EXPECT_TRUE(hasAppIcons(about));
        const auto texts = readStringProperty(x, about, "VEXA_DIALOG_TEXT");
        ASSERT_TRUE(texts.has_value());
        EXPECT_NE(texts->find("Vexa v1.6"), std::string::npos);
        EXPECT_NE(texts->find("Win32 Color Palette Tool\nBuilt on Nov 30 1996"), std::string::npos);
        ASSERT_TRUE(keys(about, {"Return"}));
        ASSERT_TRUE(gone("About Vexa"));
        ASSERT_TRUE(keys(window, {"Escape"}));
        EXPECT_TRUE(vexa.waitForExit().has_value());
    }
    VexaProcess again(home);
    const Window window = again.waitForWindow(x);
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(readoutAnswers(x, window)) << "a window stood in front of the palette window";
    EXPECT_EQ(findWindowByName(x, "About Vexa", 0ms), 0u);
}

TEST_F(AboutHelpE2E, HelpContentsAndF1OpenHelpWithCloseFocused) {
    home.seedVersion();
    VexaProcess vexa(home);
    const Window window = vexa.waitForWindow(x);
    ASSERT_NE(window, 0u);

    ASSERT_TRUE(chooseMenu(window, {"alt+h", "c"}));
    Window help = findWindowByName(x, "Vexa Help");
    ASSERT_NE(help, 0u);
    EXPECT_EQ(transientFor(x, help), window);
    EXPECT_TRUE(stackedAbove(x, help, window));
    EXPECT_TRUE(hasAppIcons(help));
    // Close has the focus: Space presses it.
    ASSERT_TRUE(keys(help, {"space"}));
    ASSERT_TRUE(gone("Vexa Help"));

    ASSERT_TRUE(keys(window, {"shift+F1", "ctrl+F1", "alt+F1"}));
    ASSERT_TRUE(readoutAnswers(x, window)) << "F1 with a modifier opened a window";
    EXPECT_EQ(countWindows("Vexa Help"), 0) << "F1 with a modifier opened Help";

    ASSERT_TRUE(keys(window, {"F1"}));
    help = findWindowByName(x, "Vexa Help");
    ASSERT_NE(help, 0u);
    // Tab from Close into the text box selects the text from its first line on.
    setClipboard("before");
    ASSERT_TRUE(keys(help, {"Tab", "ctrl+c"}));
    EXPECT_TRUE(waitFor([&] { return clipboard() == helpAsShown(); }));
    ASSERT_TRUE(keys(help, {"Escape"}));
    EXPECT_TRUE(gone("Vexa Help"));
}

TEST_F(AboutHelpE2E, F1InHelpDoesNothingAndTheTextCannotBeChanged) {
    home.seedVersion();
    VexaProcess vexa(home);
    const Window window = vexa.waitForWindow(x);
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(keys(window, {"F1"}));
    const Window help = findWindowByName(x, "Vexa Help");
    ASSERT_NE(help, 0u);

    // Copying the text afterwards proves that Help has handled the keys.
    ASSERT_TRUE(keys(help, {"F1", "shift+F1", "ctrl+F1", "alt+F1", "F1", "Tab", "ctrl+c"}));
    EXPECT_TRUE(waitFor([&] { return clipboard() == helpAsShown(); }));
    EXPECT_EQ(countWindows("Vexa Help"), 1);

    setClipboard("PASTED");
    ASSERT_TRUE(
        xdotool({"mousemove", "--window", std::to_string(help), "100", "60", "click", "1"}));
    ASSERT_TRUE(keys(
        help, {"x", "y", "c", "space", "BackSpace", "Delete", "ctrl+x", "ctrl+v", "shift+Insert"}));
    ASSERT_TRUE(keys(help, {"ctrl+a", "ctrl+c"}));
    EXPECT_TRUE(waitFor([&] { return clipboard() == helpAsShown(); }))
        << clipboard().substr(0, 200);
    EXPECT_EQ(countWindows("Vexa Help"), 1) << "a key in the text box closed Help";
    // Enter presses the default button, Close, from the text box too.
    ASSERT_TRUE(keys(help, {"Return"}));
    EXPECT_TRUE(gone("Vexa Help"));
}

TEST_F(AboutHelpE2E, F1InAboutOpensHelpAboveItAndClosingHelpReturnsToAbout) {
    home.seedVersion();
    VexaProcess vexa(home);
    const Window window = vexa.waitForWindow(x);
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(chooseMenu(window, {"alt+h", "a"}));
    Window about = findWindowByName(x, "About Vexa");
    ASSERT_NE(about, 0u);

    // Escape after the keys closes About only when no Help stands in front of it.
    ASSERT_TRUE(keys(about, {"shift+F1", "ctrl+F1", "alt+F1", "Escape"}));
    ASSERT_TRUE(gone("About Vexa"));
    EXPECT_EQ(countWindows("Vexa Help"), 0);
    ASSERT_TRUE(chooseMenu(window, {"alt+h", "a"}));
    about = findWindowByName(x, "About Vexa");
    ASSERT_NE(about, 0u);

    ASSERT_TRUE(keys(about, {"F1"}));
    const Window help = findWindowByName(x, "Vexa Help");
    ASSERT_NE(help, 0u);
    EXPECT_EQ(transientFor(x, help), about);
    EXPECT_TRUE(stackedAbove(x, help, about));

    ASSERT_TRUE(keys(help, {"Escape"}));
    ASSERT_TRUE(gone("Vexa Help"));
    EXPECT_EQ(countWindows("About Vexa"), 1);
    // The keyboard is back with About: Enter presses its OK.
    ASSERT_TRUE(keys(about, {"Return"}));
    EXPECT_TRUE(gone("About Vexa"));
    EXPECT_EQ(countWindows("Vexa"), 1) << "the palette window should run on";
}

}  // namespace
}  // namespace vexa::testing
