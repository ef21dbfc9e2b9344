#include "settings/settings_store.h"

namespace vexa {

SettingsStore::SettingsStore(Registry& registry, RegKey root)
    : key(registry, root != 0 ? root : HKEY_LOCAL_MACHINE) {}

void SettingsStore::reset() {
    modified = false;
}

void SettingsStore::load() {
    modified = false;
}

void SettingsStore::save() {
    modified = false;
}

std::int32_t SettingsStore::getInt(const std::string& section, const std::string& entry,
                                   std::int32_t defaultValue) const {
    return key.readInt(section, entry, defaultValue);
}

bool SettingsStore::putInt(const std::string& section, const std::string& entry,
                           std::int32_t value) const {
    return key.writeInt(section, entry, value);
}

std::string SettingsStore::getString(const std::string& section, const std::string& entry,
                                     const std::string& defaultText) const {
    return key.readString(section, entry, defaultText);
}

bool SettingsStore::putString(const std::string& section, const std::string& entry,
                              const std::string& text) const {
    return key.writeString(section, entry, text);
}

}  // namespace vexa
