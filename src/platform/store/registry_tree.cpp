#include "platform/store/registry_tree.h"

#include <algorithm>
#include <cstring>

namespace vexa {

namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return lower(x) == lower(y); });
}

std::vector<std::string> splitKeyPath(std::string_view path) {
    std::vector<std::string> levels;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos) end = path.size();
        if (end > start) levels.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return levels;
}

std::string joinKeyPath(const std::vector<std::string>& levels) {
    std::string path;
    for (const auto& level : levels) {
        if (!path.empty()) path += '\\';
        path += level;
    }
    return path;
}

std::optional<std::string> rootKeyName(RegKey root) {
    if (root == HKEY_LOCAL_MACHINE) return "HKEY_LOCAL_MACHINE";
    return std::nullopt;
}

RegistryNode* RegistryNode::child(std::string_view name) {
    for (auto& c : children_)
        if (sameName(c.name_, name)) return &c;
    return nullptr;
}

const RegistryNode* RegistryNode::child(std::string_view name) const {
    return const_cast<RegistryNode*>(this)->child(name);
}

RegistryNode& RegistryNode::childOrNew(std::string_view name, bool* created) {
    if (RegistryNode* existing = child(name)) return *existing;
    if (created) *created = true;
    return children_.emplace_back(std::string(name));
}

const RegistryValue* RegistryNode::value(std::string_view name) const {
    for (const auto& v : values_)
        if (sameName(v.name, name)) return &v;
    return nullptr;
}

bool RegistryNode::setValue(std::string_view name, std::uint32_t type,
                            std::vector<std::uint8_t> data) {
    for (auto& v : values_) {
        if (!sameName(v.name, name)) continue;
        if (v.type == type && v.data == data) return false;
        v.type = type;
        v.data = std::move(data);
        return true;
    }
    values_.push_back({std::string(name), type, std::move(data)});
    return true;
}

RegistryTree::RegistryTree() {
    ensure({"HKEY_LOCAL_MACHINE", "Software"});
}

RegistryNode* RegistryTree::find(const std::vector<std::string>& path) {
    RegistryNode* node = &top_;
    for (const auto& level : path)
        if (!(node = node->child(level))) return nullptr;
    return node;
}

const RegistryNode* RegistryTree::find(const std::vector<std::string>& path) const {
    return const_cast<RegistryTree*>(this)->find(path);
}

RegistryNode& RegistryTree::ensure(const std::vector<std::string>& path, bool* created) {
    RegistryNode* node = &top_;
    for (const auto& level : path) node = &node->childOrNew(level, created);
    return *node;
}

std::vector<std::string> RegistryTree::storedSpelling(const std::vector<std::string>& path) const {
    std::vector<std::string> spelled;
    const RegistryNode* node = &top_;
    for (const auto& level : path) {
        node = node ? node->child(level) : nullptr;
        spelled.push_back(node ? node->name() : level);
    }
    return spelled;
}

RegResult copyValueOut(const RegistryValue& value, std::uint32_t* type, std::uint8_t* data,
                       std::uint32_t* size) {
    if (data && !size) return ERROR_INVALID_PARAMETER;
    if (type) *type = value.type;
    auto length = static_cast<std::uint32_t>(value.data.size());
    if (data) {
        if (*size < length) {
            *size = length;
            return ERROR_MORE_DATA;
        }
        if (length) std::memcpy(data, value.data.data(), length);
    }
    if (size) *size = length;
    return ERROR_SUCCESS;
}

std::optional<RegistryHandles::Entry> RegistryHandles::resolve(RegKey key) const {
    if (auto name = rootKeyName(key)) return Entry{{*name}, true};
    auto it = open_.find(key);
    if (it == open_.end()) return std::nullopt;
    return it->second;
}

RegKey RegistryHandles::add(Entry entry) {
    RegKey key = next_;
    next_ += 4;
    open_.emplace(key, std::move(entry));
    return key;
}

bool RegistryHandles::remove(RegKey key) {
    return open_.erase(key) > 0;
}

}  // namespace vexa
