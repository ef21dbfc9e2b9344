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

}  // namespace vexa
