// The X11 watch on a desktop's windows (platform/desktop_window_watch.h): the windows made
// on the desktop's root are noted from the start, the one of a given process is told by its
// client's resource range (X-Resource), and its DestroyNotify ends the watch.
#pragma once

#include <memory>
#include <string>

#include "platform/desktop_window_watch.h"

namespace vexa {

// A watch on `displayName`, once begun; nothing when the display does not open.
std::unique_ptr<DesktopWindowWatch> watchDesktopWindows(const std::string& displayName);

}  // namespace vexa
