// A watch on a desktop for the end of one top-level window of another program: the nested
// session follows the window its server shows there, so that a window destroyed without a
// close request still ends the session.
#pragma once

#include <sys/types.h>

#include <string>

namespace vexa {

class DesktopWindowWatch {
  public:
    virtual ~DesktopWindowWatch() = default;

    // Notes the top-level windows made from now on.
    virtual void begin() = 0;
    // Follows the top-level window made since the watch began by process `pid` (or, where
    // the desktop cannot tell a window's process, the one titled `title`), now or once it
    // is made. False when it is already gone.
    virtual bool follow(pid_t pid, const std::string& title) = 0;
    // Readable when the desktop has news; gone() then tells whether it is the end.
    virtual int fd() const = 0;
    // True once the window followed was destroyed.
    virtual bool gone() = 0;
};

}  // namespace vexa
