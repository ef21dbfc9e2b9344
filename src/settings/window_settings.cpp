#include "settings/window_settings.h"

#include <cstdio>
#include <utility>

namespace vexa {

namespace {
const std::string windowSection = "Window";
}

WindowSettings::WindowSettings(Registry& registry) : SettingsStore(registry, HKEY_LOCAL_MACHINE) {
    storedVersion = currentVersion;
}

void WindowSettings::reset() {
    modified = false;
    storedVersion = static_cast<std::uint32_t>(
        getInt("CurrentVersion", "Version", static_cast<std::int32_t>(storedVersion)));
    if (storedVersion != currentVersion)
        putInt("CurrentVersion", "Version", static_cast<std::int32_t>(currentVersion));
    onTop = 0;
    bounds = Rect{};
    showState = 0;
    held_ = {onTop, bounds, showState};
}

void WindowSettings::load() {
    onTop = getInt(windowSection, "On top", onTop);
    bounds = readRect(windowSection, "Bounds", bounds);
    showState = getInt(windowSection, "State", showState);
    if (showState != SW_SHOWMINIMIZED) showState = 0;
    held_ = {onTop, bounds, showState};
    modified = false;
}

// Two copies of the program share one store: each keeps what the other changed and it did not.
void WindowSettings::readWindowValues() {
    if (onTop == held_.onTop) onTop = getInt(windowSection, "On top", onTop);
    if (bounds == held_.bounds) bounds = readRect(windowSection, "Bounds", bounds);
    if (showState == held_.showState) {
        showState = getInt(windowSection, "State", showState);
        if (showState != SW_SHOWMINIMIZED) showState = 0;
    }
}

Rect WindowSettings::readRect(const std::string& section, const std::string& entry,
                              const Rect& defaultRect) const {
    Rect r;
    r.bottom = getInt(section, entry + ".bottom", defaultRect.bottom);
    r.right = getInt(section, entry + ".right", defaultRect.right);
    r.top = getInt(section, entry + ".top", defaultRect.top);
    r.left = getInt(section, entry + ".left", defaultRect.left);
    return r;
}

void WindowSettings::save() {
    readWindowValues();
    putInt(windowSection, "On top", onTop);
    // An empty rectangle leaves the stored bounds alone; a failed write stops the rest.
    if (!bounds.empty()) {
        const std::pair<const char*, std::int32_t> edges[] = {{"Bounds.left", bounds.left},
                                                              {"Bounds.top", bounds.top},
                                                              {"Bounds.right", bounds.right},
                                                              {"Bounds.bottom", bounds.bottom}};
        for (const auto& [entry, value] : edges)
            if (!putInt(windowSection, entry, value)) break;
    }
    putInt(windowSection, "State", showState);
    held_ = {onTop, bounds, showState};
    modified = false;
}

std::string WindowSettings::versionText() const {
    char text[24];
    std::snprintf(text, sizeof text, "%u.%u", static_cast<unsigned>(currentVersion >> 16),
                  static_cast<unsigned>(currentVersion & 0xFFFF));
    return text;
}

}  // namespace vexa
