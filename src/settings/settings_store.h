// The base of the settings chain: the registry key the settings live under and the
// modified flag. Its reset, load and save only clear the flag; the derived classes add the
// values and their registry layout. Destroying a store writes nothing.
#pragma once

#include <cstdint>
#include <string>

#include "platform/registry.h"
#include "settings/registry_key_path.h"

namespace vexa {

class SettingsStore {
  public:
    // Root 0 means HKEY_LOCAL_MACHINE; the key names no company or application until the
    // application binds it.
    SettingsStore(Registry& registry, RegKey root);
    virtual ~SettingsStore() = default;

    virtual void reset();
    virtual void load();
    virtual void save();

    std::int32_t getInt(const std::string& section, const std::string& entry,
                        std::int32_t defaultValue) const;
    bool putInt(const std::string& section, const std::string& entry, std::int32_t value) const;

    RegistryKeyPath key;
    // True when a value in memory differs from what was last reset, loaded or saved.
    bool modified = false;
};

}  // namespace vexa
