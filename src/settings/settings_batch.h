// Keeps the program's key open while it lives. A store that writes its changes when the last
// open key closes (the file store does) then writes a whole reset-and-load or save once,
// rather than once per value. Reads and writes behave as without it.
#pragma once

#include "platform/registry.h"
#include "settings/registry_key_path.h"

namespace vexa {

class SettingsBatch {
  public:
    explicit SettingsBatch(const RegistryKeyPath& key);
    ~SettingsBatch();
    SettingsBatch(const SettingsBatch&) = delete;
    SettingsBatch& operator=(const SettingsBatch&) = delete;

  private:
    Registry& registry_;
    RegKey held_;
};

}  // namespace vexa
