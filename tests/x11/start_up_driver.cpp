// vexa-test-start-up VERSION [bad_alloc|logic_error|filesystem_error]: runs the
// application's start-up with an injected platform version over a recording registry, then
// prints "call <line>" for every registry call it read or wrote, then "done after <n> calls"
// counting every registry call (the real binary cannot be handed a version), and exits with
// the application's exit status. With a second argument, the settings' load throws that
// exception when it reads View\Columns.
#include <FL/Fl.H>
#include <FL/x.H>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <stdexcept>
#include <string>

#include "app/palette_app.h"
#include "platform/x11/x11_display.h"
#include "recording_registry.h"

namespace {

class ThrowingRegistry : public vexa::test::RecordingRegistry {
  public:
    explicit ThrowingRegistry(std::string what) : what_(std::move(what)) {}

    vexa::RegResult queryValue(vexa::RegKey key, const std::string& name, std::uint32_t* type,
                               std::uint8_t* data, std::uint32_t* size) override {
        if (name == "Columns" && what_ == "bad_alloc") throw std::bad_alloc();
        if (name == "Columns" && what_ == "logic_error") throw std::logic_error("broken settings");
        if (name == "Columns" && what_ == "filesystem_error")
            throw std::filesystem::filesystem_error(
                "read", "/gone/system.reg", std::error_code(ENOENT, std::generic_category()));
        return RecordingRegistry::queryValue(key, name, type, data, size);
    }

  private:
    std::string what_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) return 2;
    fl_open_display();
    ThrowingRegistry registry(argc == 3 ? argv[2] : "");
    vexa::X11Display display(fl_display);
    vexa::PaletteApp app(registry, display,
                         static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 0)));
    app.startUp();
    for (const std::string& line : registry.valueCalls()) std::printf("call %s\n", line.c_str());
    std::printf("done after %zu calls\n", registry.calls().size());
    return app.exitStatus();
}
