#include "ui/string_table.h"

namespace vexa {

std::optional<std::string> loadString(unsigned id) {
    for (const StringResource& entry : stringTable()) {
        if (entry.id == id) return std::string(entry.text);
    }
    return std::nullopt;
}

std::string applicationName() {
    return loadString(IDS_APP_TITLE).value_or(std::string());
}

}  // namespace vexa
