// The application object: it owns the settings for the whole run, checks the platform,
// names the registry location, loads the settings, runs the palette window until it
// closes, and writes the settings once, only when they changed. It is also the last
// station of command routing: About, Help and Exit.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "palette/start_geometry.h"
#include "platform/display.h"
#include "settings/view_settings.h"
#include "ui/command_table.h"

namespace vexa {

class PaletteWindow;

// The program's version 1.6: major in the high 16 bits, minor in the low 16 bits.
inline constexpr std::uint32_t kProgramVersion = 65542;
inline constexpr const char* kCompanyName = "Varnel";

inline constexpr const char* kPlatformMessage =
    "This application only runs under Windows 95 and Windows NT.";
inline constexpr const char* kPaletteModeMessage =
    "A color palette based display mode is needed for this application to run.";
inline constexpr const char* kNoMemoryMessage =
    "There is not enough memory to launch the application";

class PaletteApp {
  public:
    PaletteApp(Registry& registry, DisplayDevice& display, std::uint32_t platformVersion);
    PaletteApp(const PaletteApp&) = delete;
    PaletteApp& operator=(const PaletteApp&) = delete;

    // The whole life of the program: checks, loads the settings, runs the window, saves.
    void startUp();
    // 1 when start-up ended with one of its messages instead of running the window, so
    // that a script can tell that the program did not run; kFaultExitStatus when a fault of
    // the program ended it (program_fault.h); 0 otherwise.
    int exitStatus() const { return exitStatus_; }

    // Where the command line asks the window to go; nothing by default.
    void setStartOptions(const StartOptions& start) { startOptions_ = start; }

    // Ends the run as the close box does, closing any dialog open above the window.
    void endRun();
    // The display is gone: keeps what the run changed (the placement last seen and the
    // view) in the settings store. Makes no call to the display.
    void saveWithoutDisplay();

    // Handles the commands the palette window passes on; others are ignored.
    void onCommand(int id);

  private:
    static std::span<const CommandEntry<PaletteApp>> commandTable();
    void about();
    void help();
    void exitApp();
    // Steps of startUp: binding the settings' key, resetting and loading them; building the
    // window and running it until it closes.
    void loadSettings();
    void runWindow();
    void reportStartFailure(const char* message);

    // "Vexa": message box caption, resting title, application level of the registry key.
    std::string appName_;
    ViewSettings settings_;
    DisplayDevice& display_;
    std::uint32_t platformVersion_;
    PaletteWindow* mainWindow_ = nullptr;
    int exitStatus_ = 0;
    StartOptions startOptions_;
    // True while a Help window is open: at most one exists.
    bool helpShowing_ = false;
};

}  // namespace vexa
