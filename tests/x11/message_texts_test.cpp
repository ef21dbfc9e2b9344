// The texts of message boxes and of the file dialogs' questions name files the user chose.
// FLTK reads "@" in a label as the start of a symbol name and draws the rest as a symbol,
// so a name such as "palette@2x.bmp" must still be drawn as plain text.
// clang-format off
#include <gtest/gtest.h>  // before any X header: Xlib defines None and Bool
// clang-format on
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <functional>
#include <string>

#include "ui/message_box.h"
#include "ui/question_box.h"

namespace vexa {
namespace {

struct Shown {
    std::string label;    // the text box's label as FLTK holds it
    int drawnWidth = -1;  // its width as FLTK lays the label out, symbols included
    int plainWidth = -1;  // the width of the text as plain characters
    int windowX = 0, windowWidth = 0;
    bool seen = false;
};

Fl_Box* textBox(Fl_Window& window) {
    Fl_Box* longest = nullptr;
    for (int i = 0; i < window.children(); ++i) {
        auto* box = dynamic_cast<Fl_Box*>(window.child(i));
        if (!box || !box->label()) continue;
        if (!longest || std::string(box->label()).size() > std::string(longest->label()).size())
            longest = box;
    }
    return longest;
}

struct Probe {
    std::string text;
    Shown shown;
};

// Runs from the modal box's own loop: measures its text and closes it.
void inspectAndClose(void* data) {
    auto* probe = static_cast<Probe*>(data);
    Fl_Window* window = Fl::first_window();
    Fl_Box* box = window ? textBox(*window) : nullptr;
    if (!box) {
        Fl::repeat_timeout(0.05, inspectAndClose, data);
        return;
    }
    fl_font(box->labelfont(), box->labelsize());
    int w = 0, h = 0;
    fl_measure(box->label(), w, h, 1);
    probe->shown.label = box->label();
    probe->shown.drawnWidth = w;
    w = h = 0;
    fl_measure(probe->text.c_str(), w, h, 0);
    probe->shown.plainWidth = w;
    probe->shown.windowX = window->x();
    probe->shown.windowWidth = window->w();
    probe->shown.seen = true;
    window->hide();
}

Shown showAndMeasure(const std::string& text, const std::function<void()>& show) {
    Probe probe{text, {}};
    Fl::add_timeout(0.1, inspectAndClose, &probe);
    show();
    Fl::remove_timeout(inspectAndClose, &probe);
    return probe.shown;
}

class MessageTextsTest : public ::testing::Test {
  protected:
    void SetUp() override { fl_open_display(); }
};

const char* const kTexts[] = {
    "Access to /home/ann/palette@2x.bmp was denied.",
    "@home/pal.bmp was not found.",
    "Disk full while accessing /tmp/a@b@c.",
    "/tmp/x@@y.bmp already exists.\nDo you want to replace it?",
};

TEST_F(MessageTextsTest, MessageBoxDrawsAtSignsAsPlainText) {
    for (const char* text : kTexts) {
        const Shown shown = showAndMeasure(text, [&] { showMessageBox(text, MessageIcon::stop); });
        ASSERT_TRUE(shown.seen) << text;
        EXPECT_EQ(shown.drawnWidth, shown.plainWidth) << text << " shown as " << shown.label;
    }
}

TEST_F(MessageTextsTest, DialogQuestionsAndNoticesDrawAtSignsAsPlainText) {
    for (const char* text : kTexts) {
        Shown shown = showAndMeasure(text, [&] { askYesNo("Save As", text); });
        ASSERT_TRUE(shown.seen) << text;
        EXPECT_EQ(shown.drawnWidth, shown.plainWidth) << text << " shown as " << shown.label;
        shown = showAndMeasure(text, [&] { showNotice("Open", text); });
        ASSERT_TRUE(shown.seen) << text;
        EXPECT_EQ(shown.drawnWidth, shown.plainWidth) << text << " shown as " << shown.label;
    }
}

// A long path has no blank to wrap at; the box still fits on the screen, with the path
// broken into lines after a "/" and every character of it shown.
TEST_F(MessageTextsTest, LongPathsAreBrokenIntoLinesThatFitOnTheScreen) {
    std::string path = "/home/ann";
    for (int i = 0; i < 8; ++i) path += "/averyveryverylongfoldername" + std::to_string(i);
    const std::string text = "Access to " + path + "/palette.bmp was denied.";
    std::string withoutBreaks;
    const auto check = [&](const Shown& shown) {
        ASSERT_TRUE(shown.seen);
        EXPECT_GE(shown.windowX, 0);
        EXPECT_LE(shown.windowX + shown.windowWidth, Fl::w());
        withoutBreaks.clear();
        for (char c : shown.label)
            if (c != '\n') withoutBreaks += c;
        EXPECT_EQ(withoutBreaks, text);
    };
    check(showAndMeasure(text, [&] { showMessageBox(text, MessageIcon::stop); }));
    check(showAndMeasure(text, [&] { showNotice("Open", text); }));
}

TEST_F(MessageTextsTest, TextsWithoutAtSignsAreShownUnchanged) {
    const std::string text = "Out of memory.";
    const Shown shown =
        showAndMeasure(text, [&] { showMessageBox(text, MessageIcon::exclamation); });
    ASSERT_TRUE(shown.seen);
    EXPECT_EQ(shown.label, text);
}

}  // namespace
}  // namespace vexa
