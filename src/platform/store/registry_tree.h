// A registry hive in memory: keys and typed values, names compared without regard to case
// and kept in the case they were created with. The file store loads one from its file for
// every operation; the unit tests' fake keeps one. Also the handle table both hand out.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace vexa {

// ASCII comparison without regard to case, as the registry compares names.
bool sameName(std::string_view a, std::string_view b);

// The levels of a key path: split at backslashes, empty levels dropped.
std::vector<std::string> splitKeyPath(std::string_view path);
std::string joinKeyPath(const std::vector<std::string>& levels);

// The name of a predefined root key as written in files ("HKEY_LOCAL_MACHINE"), if known.
std::optional<std::string> rootKeyName(RegKey root);

struct RegistryValue {
    std::string name;
    std::uint32_t type = REG_NONE;
    std::vector<std::uint8_t> data;
    friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

class RegistryNode {
  public:
    explicit RegistryNode(std::string name) : name_(std::move(name)) {}

    const std::string& name() const { return name_; }
    const std::list<RegistryNode>& children() const { return children_; }
    const std::vector<RegistryValue>& values() const { return values_; }

    RegistryNode* child(std::string_view name);
    const RegistryNode* child(std::string_view name) const;
    // The child, added at the end in this spelling when absent.
    RegistryNode& childOrNew(std::string_view name, bool* created = nullptr);

    const RegistryValue* value(std::string_view name) const;
    // Replaces type and bytes of the value, keeping the spelling of an existing name.
    // Returns false when the value already held exactly these.
    bool setValue(std::string_view name, std::uint32_t type, std::vector<std::uint8_t> data);

  private:
    std::string name_;
    std::list<RegistryNode> children_;
    std::vector<RegistryValue> values_;
};

// The root keys by name below a nameless top. A new tree holds HKEY_LOCAL_MACHINE\Software,
// as every machine does.
class RegistryTree {
  public:
    RegistryTree();

    const RegistryNode& top() const { return top_; }
    RegistryNode* find(const std::vector<std::string>& path);
    const RegistryNode* find(const std::vector<std::string>& path) const;
    // The key, created with any missing level when absent.
    RegistryNode& ensure(const std::vector<std::string>& path, bool* created = nullptr);
    // The path spelled as stored, as far as it exists; the rest as given.
    std::vector<std::string> storedSpelling(const std::vector<std::string>& path) const;

  private:
    RegistryNode top_{""};
};

// RegQueryValueExA's copying rules applied to one stored value.
RegResult copyValueOut(const RegistryValue& value, std::uint32_t* type, std::uint8_t* data,
                       std::uint32_t* size);

// Open keys: each handle names a key path (stored spelling) and whether it may write.
class RegistryHandles {
  public:
    struct Entry {
        std::vector<std::string> path;
        bool writable = false;
    };

    // The entry of an open key, or a predefined root (writable as far as the handle goes).
    std::optional<Entry> resolve(RegKey key) const;
    RegKey add(Entry entry);
    // False when `key` is neither open nor a predefined root.
    bool remove(RegKey key);
    std::size_t openCount() const { return open_.size(); }

  private:
    std::map<RegKey, Entry> open_;
    RegKey next_ = 0x1000;
};

}  // namespace vexa
