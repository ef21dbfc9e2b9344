// The clipboard as other programs see it: vexa-test-clipboard-owner copies a known palette
// through Vexa's clipboard code, and xclip and a plain Xlib requestor ask for its targets.
#include <X11/Xatom.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <memory>
#include <string>
#include <vector>

#include "ui_driver.h"
#include "x11_test_support.h"

namespace vexa::testing {
namespace {

// The colour of entry i of the owner's palette for `seed`.
Rgb ownerColour(int i, int seed) {
    return {static_cast<std::uint8_t>(i + seed), static_cast<std::uint8_t>(255 - i),
            static_cast<std::uint8_t>(3 * i + seed)};
}

// Asks for `target` of CLIPBOARD as a requestor of our own and reads the reply.
std::optional<SelectionReply> request(::Display* x, const std::string& target,
                                      Window given = None) {
    return requestClipboard(x, target, given);
}

std::optional<Colormap> copiedColormap(::Display* x) {
    const auto reply = request(x, "COLORMAP");
    if (!reply || reply->type != XInternAtom(x, "COLORMAP", False) || reply->items.size() != 1)
        return std::nullopt;
    return static_cast<Colormap>(reply->items[0]);
}

std::optional<std::string> xclipOut(const std::string& target) {
    return runProgram({"xclip", "-selection", "clipboard", "-t", target, "-o"});
}

class ClipboardTest : public ::testing::Test {
  protected:
    void startOwner(const std::vector<std::string>& arguments = {}) {
        std::vector<std::string> argv{VEXA_TEST_CLIPBOARD_OWNER};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        owner_ = std::make_unique<ChildProcess>(argv);
        ASSERT_EQ(owner_->readLine(), "OWNED");
    }
    void copyAgain(int seed) {
        ASSERT_TRUE(owner_->writeInput("copy " + std::to_string(seed) + "\n"));
        ASSERT_EQ(owner_->readLine(), "OWNED");
    }

    XConnection x_;
    std::unique_ptr<ChildProcess> owner_;
};

TEST_F(ClipboardTest, TextTargetIsTheListing) {
    startOwner({"--count", "16"});
    const auto text = xclipOut("text/plain");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->rfind("Vexa - Win32 Color Palette Tool\r\n", 0), 0u);
    EXPECT_NE(text->find("Number of entries: 16\r\n"), std::string::npos);
    EXPECT_NE(text->find("\r\n  7:   7, 248,  21\r\n"), std::string::npos);
    EXPECT_NE(text->find("\r\n 15:  15, 240,  45\r\n"), std::string::npos);
    EXPECT_EQ(text->find(" 16: "), std::string::npos);
}

// Terminals and editors ask for X text: the same listing with LF line ends.
TEST_F(ClipboardTest, TextTargetsGiveTheListingWithLfLineEnds) {
    startOwner({"--count", "16"});
    const auto plain = xclipOut("text/plain");
    ASSERT_TRUE(plain);
    std::string expected;
    for (char c : *plain)
        if (c != '\r') expected += c;
    ASSERT_EQ(expected.size() + 24, plain->size()) << "eight header and sixteen entry lines";
    for (const char* target : {"UTF8_STRING", "STRING", "TEXT"})
        EXPECT_EQ(xclipOut(target), expected) << target;
    EXPECT_EQ(runProgram({"xsel", "--clipboard", "--output"}), expected);
    const auto reply = request(x_, "TEXT");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->type, XA_STRING);
    const auto targets = xclipOut("TARGETS");
    ASSERT_TRUE(targets);
    for (const char* name : {"UTF8_STRING\n", "STRING\n", "TEXT\n", "text/plain\n"})
        EXPECT_NE(targets->find(name), std::string::npos) << name;
}

TEST_F(ClipboardTest, ColormapTargetHoldsTheCopiedEntries) {
    startOwner({"--count", "16", "--seed", "3"});
    const auto colormap = copiedColormap(x_);
    ASSERT_TRUE(colormap);
    const auto colours = colormapColors(x_, *colormap);
    ASSERT_GE(colours.size(), 16u);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(colours[i], ownerColour(i, 3)) << i;
}

TEST_F(ClipboardTest, TimestampIsAnsweredAndUnofferedTargetsAreRefused) {
    startOwner();
    const auto stamp = request(x_, "TIMESTAMP");
    ASSERT_TRUE(stamp);
    EXPECT_EQ(stamp->type, XA_INTEGER);
    ASSERT_EQ(stamp->items.size(), 1u);
    EXPECT_NE(stamp->items[0], 0);
    EXPECT_FALSE(request(x_, "image/png")) << "an unoffered target must be refused";
}

TEST_F(ClipboardTest, MultipleAnswersEveryPairAndMarksTheRefusedOnes) {
    startOwner();
    const Window window = XCreateSimpleWindow(x_, x_.root(), 0, 0, 1, 1, 0, 0, 0);
    const Atom colormapReply = XInternAtom(x_, "VEXA_TEST_COLORMAP", False);
    const Atom pngReply = XInternAtom(x_, "VEXA_TEST_PNG", False);
    const Atom pairs[] = {XInternAtom(x_, "COLORMAP", False), colormapReply,
                          XInternAtom(x_, "image/png", False), pngReply};
    XChangeProperty(x_, window, XInternAtom(x_, "VEXA_TEST_REPLY", False),
                    XInternAtom(x_, "ATOM_PAIR", False), 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(pairs), 4);
    const auto reply = request(x_, "MULTIPLE", window);
    ASSERT_TRUE(reply);
    ASSERT_EQ(reply->items.size(), 4u);
    EXPECT_EQ(static_cast<Atom>(reply->items[0]), pairs[0]);
    EXPECT_EQ(static_cast<Atom>(reply->items[2]), static_cast<Atom>(None));
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(x_, window, colormapReply, 0, 4, False, AnyPropertyType, &type, &format,
                       &count, &after, &data);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(static_cast<Colormap>(*reinterpret_cast<long*>(data)), copiedColormap(x_));
    XFree(data);
    XDestroyWindow(x_, window);
}

TEST_F(ClipboardTest, AnotherProgramTakingTheClipboardDropsTheCopy) {
    startOwner();
    const auto colormap = copiedColormap(x_);
    ASSERT_TRUE(colormap);
    ChildProcess taker({"sh", "-c", "printf other | xclip -selection clipboard -i -quiet"});
    EXPECT_TRUE(
        waitFor([&] { return xclipOut("UTF8_STRING") == std::optional<std::string>("other"); }));
    EXPECT_TRUE(waitFor([&] { return !colormapExists(x_, *colormap); }))
        << "the dropped copy's colormap is still alive";
    // The owner keeps running and can copy again.
    copyAgain(5);
    const auto again = copiedColormap(x_);
    ASSERT_TRUE(again);
    EXPECT_EQ(colormapColors(x_, *again)[200], ownerColour(200, 5));
}

TEST_F(ClipboardTest, ALossNoticedOnlyAfterANewerCopyKeepsTheNewerCopy) {
    startOwner();
    const Atom clipboard = XInternAtom(x_, "CLIPBOARD", False);
    const Window stopped = XGetSelectionOwner(x_, clipboard);
    // The owner sleeps while another program takes the clipboard and a new copy is asked
    // for; it wakes with both the stale loss and the request waiting. Nothing may ask the
    // sleeping owner for the clipboard: the answer would come only when it wakes.
    ASSERT_EQ(kill(owner_->pid(), SIGSTOP), 0);
    ChildProcess taker({"sh", "-c", "printf other | xclip -selection clipboard -i -quiet"});
    ASSERT_TRUE(waitFor([&] { return XGetSelectionOwner(x_, clipboard) != stopped; }));
    EXPECT_EQ(xclipOut("UTF8_STRING"), std::optional<std::string>("other"));
    ASSERT_TRUE(owner_->writeInput("copy 5\n"));
    ASSERT_EQ(kill(owner_->pid(), SIGCONT), 0);
    ASSERT_EQ(owner_->readLine(), "OWNED");
    const auto colormap = copiedColormap(x_);
    ASSERT_TRUE(colormap);
    EXPECT_EQ(colormapColors(x_, *colormap)[60], ownerColour(60, 5));
}

TEST_F(ClipboardTest, CopyingAgainReplacesTheColoursAndFreesTheOldColormap) {
    startOwner({"--seed", "1"});
    const auto first = copiedColormap(x_);
    ASSERT_TRUE(first);
    copyAgain(2);
    const auto second = copiedColormap(x_);
    ASSERT_TRUE(second);
    EXPECT_NE(*first, *second);
    EXPECT_FALSE(colormapExists(x_, *first));
    EXPECT_EQ(colormapColors(x_, *second)[100], ownerColour(100, 2));
    const auto bytes = xclipOut("image/bmp");
    ASSERT_TRUE(bytes);
    EXPECT_EQ(static_cast<unsigned char>((*bytes)[54 + 4 * 100 + 2]), ownerColour(100, 2).red);
}

TEST_F(ClipboardTest, ClosingGivesTheSelectionUp) {
    startOwner();
    const Atom clipboard = XInternAtom(x_, "CLIPBOARD", False);
    ASSERT_NE(XGetSelectionOwner(x_, clipboard), None);
    owner_->closeInput();
    ASSERT_TRUE(owner_->wait());
    EXPECT_EQ(XGetSelectionOwner(x_, clipboard), None);
}

// Plays a clipboard manager: owns CLIPBOARD_MANAGER and waits for a program's request to
// save its clipboard before it exits.
class FakeClipboardManager {
  public:
    explicit FakeClipboardManager(::Display* x)
        : x_(x), window_(XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 1, 1, 0, 0, 0)) {
        XSetSelectionOwner(x_, XInternAtom(x_, "CLIPBOARD_MANAGER", False), window_, CurrentTime);
        XSync(x_, False);  // the manager is in place before the owner is told to exit
    }
    ~FakeClipboardManager() { XDestroyWindow(x_, window_); }

    std::optional<XSelectionRequestEvent> awaitSaveRequest() {
        XEvent event{};
        if (!waitFor([&] { return XCheckTypedWindowEvent(x_, window_, SelectionRequest, &event); }))
            return std::nullopt;
        return event.xselectionrequest;
    }
    // The targets the requestor asks to have saved.
    std::vector<std::string> targetsToSave(const XSelectionRequestEvent& request) {
        std::vector<std::string> names;
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (request.property == None ||
            XGetWindowProperty(x_, request.requestor, request.property, 0, 1024, False, XA_ATOM,
                               &type, &format, &count, &after, &data) != Success)
            return names;
        for (unsigned long i = 0; data && format == 32 && i < count; ++i) {
            char* name = XGetAtomName(x_, reinterpret_cast<Atom*>(data)[i]);
            names.push_back(name);
            XFree(name);
        }
        if (data) XFree(data);
        return names;
    }
    std::optional<SelectionReply> fetch(const std::string& target) {
        return requestClipboard(x_, target, window_);
    }
    void answer(const XSelectionRequestEvent& request) {
        XEvent reply{};
        reply.xselection.type = SelectionNotify;
        reply.xselection.requestor = request.requestor;
        reply.xselection.selection = request.selection;
        reply.xselection.target = request.target;
        reply.xselection.property = request.property;
        reply.xselection.time = request.time;
        XSendEvent(x_, request.requestor, False, NoEventMask, &reply);
        XFlush(x_);
    }

  private:
    ::Display* x_;
    Window window_;
};

TEST_F(ClipboardTest, OnExitTheCopyIsHandedToAClipboardManager) {
    startOwner({"--count", "16"});
    FakeClipboardManager manager(x_);
    owner_->closeInput();
    const auto request = manager.awaitSaveRequest();
    ASSERT_TRUE(request) << "no request to save the clipboard";
    char* target = XGetAtomName(x_, request->target);
    EXPECT_STREQ(target, "SAVE_TARGETS");
    XFree(target);
    // The colormap dies with the program's connection: only the data that outlives it.
    EXPECT_EQ(
        manager.targetsToSave(*request),
        (std::vector<std::string>{"image/bmp", "text/plain", "UTF8_STRING", "STRING", "TEXT"}));
    const auto text = manager.fetch("text/plain");
    ASSERT_TRUE(text);
    const std::string listing(text->bytes.begin(), text->bytes.end());
    EXPECT_EQ(listing.rfind("Vexa - Win32 Color Palette Tool\r\n", 0), 0u);
    EXPECT_NE(listing.find("Number of entries: 16\r\n"), std::string::npos);
    const auto utf8 = manager.fetch("UTF8_STRING");
    ASSERT_TRUE(utf8);
    const std::string lines(utf8->bytes.begin(), utf8->bytes.end());
    EXPECT_EQ(lines.rfind("Vexa - Win32 Color Palette Tool\n", 0), 0u);
    EXPECT_EQ(lines.find('\r'), std::string::npos);
    const auto bitmap = manager.fetch("image/bmp");
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->bytes.size(), 9270u);
    manager.answer(*request);
    EXPECT_EQ(owner_->wait(), 0);
}

TEST_F(ClipboardTest, AClipboardManagerThatNeverAnswersDoesNotKeepTheProgram) {
    startOwner();
    FakeClipboardManager manager(x_);
    owner_->closeInput();
    ASSERT_TRUE(manager.awaitSaveRequest());
    // The program gives the manager 3 s.
    EXPECT_EQ(owner_->wait(3000ms + kLiveness), 0);
}

}  // namespace
}  // namespace vexa::testing
