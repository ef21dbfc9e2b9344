// Driving Vexa's windows the way a user does, for x11 and e2e tests: real keys and clicks
// through xdotool, message and question windows found by caption and read through their
// VEXA_MESSAGE_TEXT property, and peer programs run to completion.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "x11_test_support.h"  // also Xlib, after GoogleTest

namespace vexa::testing {

using namespace std::chrono_literals;

struct MessageWindow {
    Window window = 0;
    std::string text;
};

// A mapped window captioned `caption` that carries VEXA_MESSAGE_TEXT, polled until
// `timeout`. Message boxes, questions and notices all carry it; the chooser does not.
std::optional<MessageWindow> waitForMessage(::Display* display, const std::string& caption,
                                            std::chrono::milliseconds timeout = kLiveness);

// A mapped window captioned `caption` without VEXA_MESSAGE_TEXT (a chooser), or 0.
Window waitForChooser(::Display* display, const std::string& caption,
                      std::chrono::milliseconds timeout = kLiveness);

// True once no mapped window captioned `caption` is left.
bool waitUntilGone(::Display* display, const std::string& caption,
                   std::chrono::milliseconds timeout = kLiveness);

// Runs xdotool with `arguments`; true when it succeeded.
bool xdotool(const std::vector<std::string>& arguments);

// Gives `window` the keyboard focus unless it has it already (xdotool's --sync would then
// wait for a change that never comes, as under openbox once a window is activated).
bool focusOn(Window window);

// Gives `window` the keyboard focus and presses the keys of `keys` (xdotool key names,
// separated by blanks).
bool pressKeys(Window window, const std::string& keys);

// WM_NAME of a window.
std::string title(::Display* display, Window window);

// In a chooser: replaces the file name field's text by `name` and presses Enter.
bool typeFileName(Window chooser, const std::string& name);

// Clicks the left button at (x, y) of `window`.
bool clickAt(Window window, int x, int y);

// The answer of the CLIPBOARD owner to a request for one target.
struct SelectionReply {
    Atom type = None;
    int format = 0;
    std::vector<unsigned char> bytes;  // format 8 data
    std::vector<long> items;           // format 32 data
};

// Asks the CLIPBOARD owner for `target` as a requestor of our own; nothing when it refuses
// or does not answer. The reply is read from `window`, or from a window made for it.
std::optional<SelectionReply> requestClipboard(::Display* display, const std::string& target,
                                               Window window = None);

// Runs a program to its end with its standard output captured; nothing after `timeout`.
std::optional<std::string> runProgram(const std::vector<std::string>& argv,
                                      std::chrono::milliseconds timeout = kLiveness);

}  // namespace vexa::testing
