// The registry on Linux: one REGEDIT4 file, system.reg in $XDG_CONFIG_HOME/vexa/ (by default
// ~/.config/vexa/), holding the machine hive per user. The store keeps the hive it last read
// and reads the file again only when its identity, size or times say someone replaced it.
// Changes wait in memory while any key is open and are written when the last one closes:
// read-modify-write under an exclusive lock on the folder (the changes replayed onto the
// file's current contents if another program wrote it meanwhile), written to a temporary
// file, flushed and renamed over the old one, so a crash never leaves a half-written store
// and two running programs never lose each other's values. A file with lines that cannot be
// read is used for the lines that can, and kept aside under a new name before a change
// replaces it. Only a regular file is read; anything else in its place (a FIFO, a device, a
// folder) gives an empty hive and a store that cannot be written.
#pragma once

#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/store/registry_text.h"
#include "platform/store/registry_tree.h"
#include "platform/store/store_file.h"

namespace vexa {

class RegistryFileStore : public Registry {
  public:
    // `path` is the store file; its folder is created on the first change.
    explicit RegistryFileStore(std::string path);
    // Writes changes still waiting for a key to close.
    ~RegistryFileStore() override;
    RegistryFileStore(const RegistryFileStore&) = delete;
    RegistryFileStore& operator=(const RegistryFileStore&) = delete;

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
    // A change waiting to be written: a key to create, or a value to set in a key.
    struct Change {
        std::vector<std::string> path;
        bool isValue = false;
        std::string name;
        std::uint32_t type = REG_NONE;
        std::vector<std::uint8_t> data;
        // Applies the change; false when it changed nothing.
        bool applyTo(RegistryTree& tree) const;
    };

    // What the file held when last read, with the changes made since.
    struct Snapshot {
        bool loaded = false;
        StoreFileKind kind = StoreFileKind::absent;
        FileIdentity identity;
        ParsedRegistry parsed;
        // The text of a file that did not parse cleanly, to keep aside before replacing it.
        std::string unreadText;
        bool tooLarge = false;
    };

    // Brings the snapshot up to date with the file, replaying the waiting changes onto it
    // when the file was replaced.
    RegResult refresh();
    RegResult load(Snapshot& fresh) const;
    // Whether this user may replace the file: the file, if present, is a regular file, and
    // it and its folder (or the nearest folder that exists) are writable.
    bool writable() const;
    // Applies `change` and writes it at once when no key is open.
    RegResult record(Change change);
    // Writes the waiting changes.
    RegResult flush();

    std::string path_;
    std::string folder_;
    RegistryHandles handles_;
    Snapshot snapshot_;
    std::vector<Change> waiting_;
};

}  // namespace vexa
