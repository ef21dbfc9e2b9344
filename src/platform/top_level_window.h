// A top-level window of the program as the layers below the windows see it: the thing the
// window system's operations (main_window_ops.h, window_text.h) act on. The windows layer
// derives each of its top-level windows from its toolkit's window class and from this; the
// window system's implementation, which knows the toolkit too, reaches the toolkit's window
// through it. Nothing here names the toolkit.
#pragma once

namespace vexa {

class TopLevelWindow {
  public:
    virtual ~TopLevelWindow() = default;

  protected:
    TopLevelWindow() = default;
    TopLevelWindow(const TopLevelWindow&) = default;
    TopLevelWindow& operator=(const TopLevelWindow&) = default;
};

}  // namespace vexa
