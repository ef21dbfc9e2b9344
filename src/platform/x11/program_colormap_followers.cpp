#include "platform/x11/program_colormap_followers.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

namespace vexa {

std::unique_ptr<ColormapFollowing> followInstalledColormap() {
    return std::make_unique<ProgramColormapFollowers>();
}

ProgramColormapFollowers::ProgramColormapFollowers() {
    for (Fl_Window* window = Fl::first_window(); window; window = Fl::next_window(window))
        follow(*window);
    Fl::add_system_handler(&ProgramColormapFollowers::dispatch, this);
}

ProgramColormapFollowers::~ProgramColormapFollowers() {
    Fl::remove_system_handler(&ProgramColormapFollowers::dispatch);
}

void ProgramColormapFollowers::follow(Fl_Window& window) {
    if (window.parent() || !window.shown()) return;
    const Window xid = fl_xid(&window);
    if (!xid || followers_.count(xid)) return;
    followers_.emplace(xid, std::make_unique<FltkColormapFollower>(window));
}

int ProgramColormapFollowers::dispatch(void* event, void* data) {
    auto& self = *static_cast<ProgramColormapFollowers*>(data);
    const XEvent& e = *static_cast<const XEvent*>(event);
    if (e.type == MapNotify) {
        if (Fl_Window* window = fl_find(e.xmap.window)) self.follow(*window);
    } else if (e.type == DestroyNotify) {
        // FLTK destroys a window's X window when it hides it.
        self.followers_.erase(e.xdestroywindow.window);
    }
    return 0;  // FLTK goes on with the event as usual
}

}  // namespace vexa
