#include "palette/text_dump.h"

#include <algorithm>
#include <cstdio>

namespace vexa {
namespace {

constexpr const char* kWeekdays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};
constexpr const char* kMonths[] = {"January",   "February", "March",    "April",
                                   "May",       "June",     "July",     "August",
                                   "September", "October",  "November", "December"};

constexpr const char* kLineEnd = "\r\n";

bool inRange(int value, int low, int high) {
    return value >= low && value <= high;
}

}  // namespace

std::string formatDumpTime(const std::tm* local) {
    if (!local) return {};
    const std::tm& t = *local;
    if (!inRange(t.tm_wday, 0, 6) || !inRange(t.tm_mon, 0, 11) || !inRange(t.tm_mday, 1, 31) ||
        !inRange(t.tm_hour, 0, 23) || !inRange(t.tm_min, 0, 59) || !inRange(t.tm_sec, 0, 60))
        return {};
    // The time text has a 128-character buffer; every valid time fits well within it.
    char text[128];
    const int n = std::snprintf(text, sizeof text, "%s, %s %02d, %d @%d:%02d:%02d",
                                kWeekdays[t.tm_wday], kMonths[t.tm_mon], t.tm_mday,
                                t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec);
    if (n < 0 || n >= static_cast<int>(sizeof text)) return {};
    return text;
}

std::string buildTextDump(int entryCount, const SystemPaletteSnapshot& snapshot,
                          const std::tm* local) {
    std::string text;
    const int n = std::clamp(entryCount, 0, kMaxPaletteEntries);
    text.reserve(400 + static_cast<std::size_t>(n) * 20);
    for (const std::string& line : {
             std::string("Vexa - Win32 Color Palette Tool"),
             std::string("Copyright (c) 1996 Varnel. All rights reserved."),
             std::string(),
             std::string("Content: System palette dump"),
             "Time: " + formatDumpTime(local),
             "Number of entries: " + std::to_string(entryCount),
             std::string(),
             std::string("Index: R,   G,   B"),
         }) {
        text += line;
        text += kLineEnd;
    }
    for (int i = 0; i < n; ++i) {
        const PaletteEntry& e = snapshot.entries[i];
        char line[32];
        std::snprintf(line, sizeof line, "%3d: %3d, %3d, %3d\r\n", i, e.red, e.green, e.blue);
        text += line;
    }
    return text;
}

const std::tm* localTimeNow(std::tm& storage) {
    const std::time_t now = std::time(nullptr);
    return now == static_cast<std::time_t>(-1) ? nullptr : ::localtime_r(&now, &storage);
}

}  // namespace vexa
