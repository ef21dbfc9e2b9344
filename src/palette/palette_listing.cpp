#include "palette/palette_listing.h"

#include <algorithm>
#include <cstdio>

#include "palette/file_formats.h"

namespace vexa {

std::string printedPalette(const FileFormat& format, int entryCount,
                           const SystemPaletteSnapshot& snapshot, const std::tm* local) {
    return format.encode({snapshot, entryCount, local, "System palette"});
}

std::string watchTime(const std::tm& local, int milliseconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour % 100, local.tm_min % 100,
                  local.tm_sec % 100, std::clamp(milliseconds, 0, 999));
    return text;
}

std::string changeLine(const std::string& time, int entryCount, const SystemPaletteSnapshot& before,
                       const SystemPaletteSnapshot& after, const std::string& author) {
    std::string line;
    const int n = std::clamp(entryCount, 0, kMaxPaletteEntries);
    for (int i = 0; i < n; ++i) {
        const PaletteEntry& a = before.entries[i];
        const PaletteEntry& b = after.entries[i];
        if (a.red == b.red && a.green == b.green && a.blue == b.blue) continue;
        char entry[32];
        std::snprintf(entry, sizeof entry, "%s%d: %d, %d, %d", line.empty() ? " " : "; ", i, b.red,
                      b.green, b.blue);
        line += entry;
    }
    if (line.empty()) return line;
    return time + line + (author.empty() ? "" : " by " + author) + "\n";
}

}  // namespace vexa
