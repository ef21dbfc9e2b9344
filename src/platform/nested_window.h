// The desktop's window that the nested 8-bit screen is shown in. The session makes it and
// its server draws inside it, so that the desktop's request to close it comes to the
// session, which then ends its programs in order before the server goes.
#pragma once

#include <string>

#include "base/geometry.h"

namespace vexa {

class NestedWindow {
  public:
    virtual ~NestedWindow() = default;

    // Makes and shows the window, of `size` inside, titled `title`; false when it cannot.
    virtual bool show(Size size, const std::string& title) = 0;
    // The window's ID, for the server to draw in.
    virtual unsigned long id() const = 0;
    // Readable when the desktop has news; closed() then tells whether it is the end.
    virtual int fd() const = 0;
    // True once the window was asked to close or was destroyed, or the desktop went.
    virtual bool closed() = 0;
};

}  // namespace vexa
