// The program's string table: texts found by their numeric id.
#pragma once

#include <optional>
#include <span>
#include <string>

namespace vexa {

struct StringResource {
    unsigned id;
    const char* text;
};

// The application name, "Vexa": caption of every message box, registry application level.
inline constexpr unsigned IDS_APP_TITLE = 57344;
// The rights notice shown inside the About window's frame.
inline constexpr unsigned IDS_RIGHTS_NOTICE = 101;

// Every entry of the string table (resources/string_table.cpp).
std::span<const StringResource> stringTable();

// The text with this id, or nothing when the table has no such entry.
std::optional<std::string> loadString(unsigned id);

// String IDS_APP_TITLE.
std::string applicationName();

}  // namespace vexa
