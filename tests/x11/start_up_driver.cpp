// vexa-test-start-up VERSION: runs the application's start-up with an injected platform
// version over a recording registry, then prints "call <line>" for every registry call it
// read or wrote, then "done after <n> calls" counting every registry call (the real
// binary cannot be handed a version).
#include <FL/Fl.H>
#include <FL/x.H>

#include <cstdio>
#include <cstdlib>

#include "app/palette_app.h"
#include "platform/x11/x11_display.h"
#include "recording_registry.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    fl_open_display();
    vexa::test::RecordingRegistry registry;
    vexa::X11Display display(fl_display);
    vexa::PaletteApp app(registry, display,
                         static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 0)));
    app.startUp();
    for (const std::string& line : registry.valueCalls()) std::printf("call %s\n", line.c_str());
    std::printf("done after %zu calls\n", registry.calls().size());
    return 0;
}
