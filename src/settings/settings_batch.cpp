#include "settings/settings_batch.h"

namespace vexa {

SettingsBatch::SettingsBatch(const RegistryKeyPath& key)
    : registry_(key.registry()), held_(key.root() ? key.openAppKey() : 0) {}

SettingsBatch::~SettingsBatch() {
    if (held_) registry_.closeKey(held_);
}

}  // namespace vexa
