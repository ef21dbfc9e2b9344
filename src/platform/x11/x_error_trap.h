// Catches the X protocol errors of the requests made on one connection while it lives,
// instead of letting Xlib's default handler end the process. Another client can free a
// colormap between two of our requests, so every request on foreign resources runs in one.
#pragma once

#include <X11/Xlib.h>

namespace vexa {

class XErrorTrap {
  public:
    explicit XErrorTrap(Display* connection);
    ~XErrorTrap();
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;

    // Waits for the server to answer every request made so far; true when one failed.
    bool failed();

  private:
    static int handle(Display* connection, XErrorEvent* error);

    Display* connection_;
    XErrorTrap* outer_;
    int (*previousHandler_)(Display*, XErrorEvent*);
    bool failed_ = false;
};

}  // namespace vexa
