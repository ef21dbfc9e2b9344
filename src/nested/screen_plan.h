// The plan of the 8-bit screen that `vexa --nested` opens on a desktop without a palette,
// worked out before anything starts: its size, the programs that make it (Xephyr, twm) with
// the Debian packages that bring them, their arguments, twm's configuration, the messages
// for what is missing, and the exit status a session ends with.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/geometry.h"

namespace vexa::nested {

inline constexpr int kMinScreenSide = 100;
inline constexpr int kMaxScreenSide = 16384;

// "WxH" with both sides from kMinScreenSide to kMaxScreenSide; nothing otherwise.
std::optional<Size> parseScreenSize(std::string_view text);

// The largest of 1024x768, 800x600 and 640x480 that fits in `area` (the desktop's work
// area) with room for the window manager's frame around it; on a smaller desktop, the
// area less that room.
Size chooseScreenSize(Size area);

// The display number a server wrote to its -displayfd: the digits of one whole line.
std::optional<int> parseDisplayNumber(std::string_view line);

// The nested window's title.
inline constexpr const char* kNestedTitle = "Vexa: 8-bit screen";

// Xephyr's arguments after its name: the screen at depth 8 drawn in the desktop's window
// `parent` (0: a window of its own, with the title), and the display number written to
// `displayFd` once the server takes connections. On a desktop without the Render extension
// Xephyr crashes when a client makes a cursor, unless it draws the cursor itself
// (`softwareCursor`).
std::vector<std::string> xephyrArguments(Size size, int displayFd, bool softwareCursor,
                                         unsigned long parent = 0);

// twm's configuration in the nested screen: windows placed without asking, moved by their
// title bars, opened again from their icons; colormap focus is twm's own.
std::string_view twmConfiguration();

struct NeededProgram {
    const char* name;
    const char* package;  // the Debian package that installs it
};
inline constexpr NeededProgram kXephyr{"Xephyr", "xserver-xephyr"};
inline constexpr NeededProgram kTwm{"twm", "twm"};

// What to say when `missing` (not empty) cannot be found, naming their packages (lines
// without the program's prefix, as for say()).
std::string missingProgramsMessage(std::span<const NeededProgram> missing);

// What to say when there is no desktop to open the screen on, after `reason`; it tells
// an ssh user what to do instead.
std::string noDesktopMessage(std::string_view reason);

// How a session ended, for its exit status.
enum class SessionEnd {
    vexaEnded,     // Vexa's window was closed; `waitStatus` is Vexa's
    screenClosed,  // the server ended while Vexa ran; `waitStatus` is the server's
    signalled,     // the session was asked to end by `signal`
    windowClosed,  // the nested window was closed or destroyed on the desktop
};

// 0 for a session that ended as the user ended it (the nested window closed among them), Vexa's own status when it failed, 1
// when the server was killed, 128 + the signal when a signal ended the session.
int sessionStatus(SessionEnd end, int waitStatus, int signal = 0);

}  // namespace vexa::nested
