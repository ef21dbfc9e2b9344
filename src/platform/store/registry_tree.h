// A registry hive in memory: keys and typed values, names compared without regard to case
// and kept in the case they were created with, children and values in the order they came.
// The file store keeps the one its file holds; the unit tests' fake keeps one. Also the
// handle table both hand out. Nothing here recurses: a hive from a file may be arbitrarily deep.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
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
    // Takes the subtree apart level by level, so depth costs no stack.
    ~RegistryNode();
    RegistryNode(const RegistryNode&) = delete;
    RegistryNode& operator=(const RegistryNode&) = delete;

    const std::string& name() const { return name_; }
    const std::vector<std::unique_ptr<RegistryNode>>& children() const { return children_; }
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
    // Hashing and equality of names without regard to case, for lookups by string_view.
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view name) const;
    };
    struct NameEqual {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const { return sameName(a, b); }
    };
    // Positions by name, built once a list outgrows a plain scan.
    using Index = std::unordered_map<std::string, std::size_t, NameHash, NameEqual>;

    std::string name_;
    std::vector<std::unique_ptr<RegistryNode>> children_;
    std::vector<RegistryValue> values_;
    std::unique_ptr<Index> childIndex_;
    std::unique_ptr<Index> valueIndex_;
};

// The root keys by name below a nameless top. A new tree holds HKEY_LOCAL_MACHINE\Software,
// as every machine does.
class RegistryTree {
  public:
    RegistryTree();
    RegistryTree(RegistryTree&&) = default;
    RegistryTree& operator=(RegistryTree&&) = default;

    const RegistryNode& top() const { return *top_; }
    RegistryNode& top() { return *top_; }
    RegistryNode* find(const std::vector<std::string>& path);
    const RegistryNode* find(const std::vector<std::string>& path) const;
    // The key, created with any missing level when absent.
    RegistryNode& ensure(const std::vector<std::string>& path, bool* created = nullptr);
    // The path spelled as stored, as far as it exists; the rest as given.
    std::vector<std::string> storedSpelling(const std::vector<std::string>& path) const;

  private:
    std::unique_ptr<RegistryNode> top_ = std::make_unique<RegistryNode>("");
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
