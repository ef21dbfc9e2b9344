// Makes every top-level window of the program follow the installed colormap while it is
// shown: the main window, and the About, Help, file and message windows it opens. Under a
// window manager with colormap focus, moving the pointer into any of them then leaves the
// colormap that another program installed in place, so Save As or Copy still capture it.
#pragma once

#include <X11/Xlib.h>

#include <map>
#include <memory>

#include "platform/colormap_following.h"
#include "platform/x11/colormap_follower.h"

namespace vexa {

class ProgramColormapFollowers : public ColormapFollowing {
  public:
    // Follows for every FLTK window shown now and every one shown later.
    ProgramColormapFollowers();
    ~ProgramColormapFollowers() override;
    ProgramColormapFollowers(const ProgramColormapFollowers&) = delete;
    ProgramColormapFollowers& operator=(const ProgramColormapFollowers&) = delete;

  private:
    static int dispatch(void* event, void* data);
    void follow(Fl_Window& window);

    std::map<Window, std::unique_ptr<FltkColormapFollower>> followers_;
};

}  // namespace vexa
