// Settings of the main window: the version record under "CurrentVersion" and the window's
// on-top flag, bounds and show state under "Window". The operations that take the state
// from a window and put a window back are in window_state.cpp.
#pragma once

#include <cstdint>
#include <string>

#include "platform/window_ops.h"
#include "settings/settings_store.h"

namespace vexa {

// ShowWindow's minimised command: the only show state that is kept.
inline constexpr std::int32_t SW_SHOWMINIMIZED = 2;

class WindowSettings : public SettingsStore {
  public:
    explicit WindowSettings(Registry& registry);

    // Defaults, and the version record: the stored version is read, and the running one
    // written when they differ. storedVersion keeps what was read.
    void reset() override;
    void load() override;
    // Writes the window values. A value this run left as it was loaded is first read again,
    // so that what another copy of the program saved meanwhile is written back unchanged.
    void save() override;

    // The rectangle stored under entry + ".left" and the rest, read bottom, right, top,
    // left, each with the matching coordinate of `defaultRect`. Nothing is validated.
    Rect readRect(const std::string& section, const std::string& entry,
                  const Rect& defaultRect) const;

    // currentVersion as "major.minor", e.g. "1.6" for 65542.
    std::string versionText() const;

    // Takes the window's show state and, unless it is minimised or `withBounds` is false,
    // its rectangle; marks the settings modified when either changed. Does nothing without a
    // live window. A window that no longer stands as the user left it gives `lastKnown`
    // instead of its rectangle, or keeps the loaded bounds when that is empty.
    void captureWindowState(WindowOps* window, bool withBounds = true, const Rect& lastKnown = {});
    void updateBounds(const Rect& r);
    // Places the window at the stored bounds shifted into the desktop, topmost when onTop,
    // and brings it to the foreground; the stored show state is not applied. False, leaving
    // the window alone, when there is no live window or no stored bounds. Bounds smaller
    // than minWidth x minHeight are first enlarged around their centre.
    bool restoreWindowPlacement(WindowOps* window, std::int32_t minWidth = 0,
                                std::int32_t minHeight = 0);

    std::uint32_t storedVersion = 0;
    std::uint32_t currentVersion = 0;
    std::int32_t onTop = 0;
    Rect bounds;
    std::int32_t showState = 0;

  private:
    void readWindowValues();

    // The values as last reset, loaded or saved.
    struct Held {
        std::int32_t onTop = 0;
        Rect bounds;
        std::int32_t showState = 0;
    } held_;
};

}  // namespace vexa
