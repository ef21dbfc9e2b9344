// Driving Vexa's windows the way a user does, for x11 and e2e tests: real keys and clicks
// through xdotool, message and question windows found by caption and read through their
// VEXA_MESSAGE_TEXT property, and peer programs run to completion.
#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace vexa::testing {

using namespace std::chrono_literals;

struct MessageWindow {
    Window window = 0;
    std::string text;
};

// A mapped window captioned `caption` that carries VEXA_MESSAGE_TEXT, polled until
// `timeout`. Message boxes, questions and notices all carry it; the chooser does not.
std::optional<MessageWindow> waitForMessage(::Display* display, const std::string& caption,
                                            std::chrono::milliseconds timeout = 5000ms);

// A mapped window captioned `caption` without VEXA_MESSAGE_TEXT (a chooser), or 0.
Window waitForChooser(::Display* display, const std::string& caption,
                      std::chrono::milliseconds timeout = 5000ms);

// True once no mapped window captioned `caption` is left.
bool waitUntilGone(::Display* display, const std::string& caption,
                   std::chrono::milliseconds timeout = 5000ms);

// Gives `window` the keyboard focus and presses the keys of `keys` (xdotool key names).
bool pressKeys(Window window, const std::string& keys);

// In a chooser: replaces the file name field's text by `name` and presses Enter.
bool typeFileName(Window chooser, const std::string& name);

// Clicks the left button at (x, y) of `window`.
bool clickAt(Window window, int x, int y);

// Runs a program to its end with its standard output captured; nothing after `timeout`.
std::optional<std::string> runProgram(const std::vector<std::string>& argv,
                                      std::chrono::milliseconds timeout = 10000ms);

}  // namespace vexa::testing
