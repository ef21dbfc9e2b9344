// The changes of the installed palette as the display tells of them, request by request,
// with the program whose request made each one: what --watch follows instead of reading
// the palette on a timer when the display can tell.
#pragma once

#include <functional>
#include <string>

#include "base/palette_types.h"

namespace vexa {

class PaletteEvents {
  public:
    virtual ~PaletteEvents() = default;

    // The installed palette when the following began, as readSystemPaletteEntries gives it.
    virtual const SystemPaletteSnapshot& startPalette() const = 0;

    // Readable when the display has told of something; nothing arrives while nothing happens.
    virtual int readyFd() const = 0;

    // Handles what has arrived: calls `onState` with every palette the installed colours
    // took since the last call, in order, and the program that made it ("name[pid]", or the
    // client's resource base as 0x%08x). Stops and gives false when `onState` does. Throws
    // CommandFailure (ResourceUnavailable) when the screen cannot be reached.
    using StateHandler = std::function<bool(const SystemPaletteSnapshot&, const std::string&)>;
    virtual bool takeArrived(const StateHandler& onState) = 0;

    // Makes the display pass on what it has kept back: an X server hands over recorded
    // requests only when it next writes to some client, so a program that stores colours
    // and then waits without a round trip would otherwise not be heard of until the screen
    // next has something to say. Called when nothing has arrived for a while; waits for
    // nothing.
    virtual void nudge() = 0;
};

}  // namespace vexa
