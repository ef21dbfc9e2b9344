// The registry on Linux: one REGEDIT4 file, system.reg in $XDG_CONFIG_HOME/vexa/ (by default
// ~/.config/vexa/), holding the machine hive per user. Every operation reads the file afresh;
// every change is a read-modify-write under an exclusive lock on the folder, written to a
// temporary file, flushed and renamed over the old one, so a crash never leaves a half-written
// store and two running programs never lose each other's values. A file with lines that
// cannot be read is used for the lines that can, and kept aside under a new name before a
// change replaces it.
#pragma once

#include <functional>
#include <string>

#include "platform/registry.h"
#include "platform/store/registry_text.h"
#include "platform/store/registry_tree.h"

namespace vexa {

class RegistryFileStore : public Registry {
  public:
    // `path` is the store file; its folder is created on the first change.
    explicit RegistryFileStore(std::string path);

    // $XDG_CONFIG_HOME/vexa/system.reg, or ~/.config/vexa/system.reg when that is unset.
    static std::string defaultPath();
    const std::string& path() const { return path_; }

    RegResult openKey(RegKey parent, const std::string& name, std::uint32_t access,
                      RegKey* result) override;
    RegResult createKey(RegKey parent, const std::string& name, std::uint32_t access,
                        RegKey* result) override;
    RegResult queryValue(RegKey key, const std::string& name, std::uint32_t* type,
                         std::uint8_t* data, std::uint32_t* size) override;
    RegResult setValue(RegKey key, const std::string& name, std::uint32_t type,
                       const std::uint8_t* data, std::uint32_t size) override;
    RegResult closeKey(RegKey key) override;

  private:
    // An edit of the hive: sets `changed` when it changed anything worth writing.
    using Edit = std::function<RegResult(RegistryTree&, bool& changed)>;

    RegResult read(ParsedRegistry& out, bool* exists = nullptr, std::string* text = nullptr) const;
    // Whether this user may replace the file: the file, if present, and its folder (or the
    // nearest folder that exists) are writable.
    bool writable() const;
    RegResult change(const Edit& edit);

    std::string path_;
    std::string folder_;
    RegistryHandles handles_;
};

}  // namespace vexa
