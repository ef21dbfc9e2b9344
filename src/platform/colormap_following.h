// Makes every top-level window of the program follow the installed colormap while the
// returned object lives: the main window, and the About, Help, file and message windows it
// opens. Under a window manager with colormap focus, moving the pointer into any of them then
// leaves the colormap that another program installed in place.
#pragma once

#include <memory>

namespace vexa {

class ColormapFollowing {
  public:
    virtual ~ColormapFollowing() = default;
};

// Follows for every window shown now and every one shown later.
std::unique_ptr<ColormapFollowing> followInstalledColormap();

}  // namespace vexa
