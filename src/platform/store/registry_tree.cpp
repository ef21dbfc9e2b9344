#include "platform/store/registry_tree.h"

#include <algorithm>
#include <cstring>

namespace vexa {

namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// A short list is scanned; past this many entries lookups go through an index by name.
constexpr std::size_t indexFrom = 16;

// Records the entry just appended to `list`, building the index when the list outgrows a scan.
template <typename Index, typename List, typename NameOf>
void indexLast(std::unique_ptr<Index>& index, const List& list, NameOf nameOf) {
    if (!index) {
        if (list.size() < indexFrom) return;
        index = std::make_unique<Index>();
        for (std::size_t i = 0; i + 1 < list.size(); ++i) index->emplace(nameOf(list[i]), i);
    }
    index->emplace(nameOf(list.back()), list.size() - 1);
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

std::size_t RegistryNode::NameHash::operator()(std::string_view name) const {
    std::size_t h = 14695981039346656037u;
    for (char c : name) h = (h ^ static_cast<unsigned char>(lower(c))) * 1099511628211u;
    return h;
}

RegistryNode::~RegistryNode() {
    std::vector<std::unique_ptr<RegistryNode>> pending = std::move(children_);
    while (!pending.empty()) {
        std::unique_ptr<RegistryNode> node = std::move(pending.back());
        pending.pop_back();
        for (auto& c : node->children_) pending.push_back(std::move(c));
        node->children_.clear();
    }
}

RegistryNode* RegistryNode::child(std::string_view name) {
    if (childIndex_) {
        auto it = childIndex_->find(name);
        return it == childIndex_->end() ? nullptr : children_[it->second].get();
    }
    for (auto& c : children_)
        if (sameName(c->name_, name)) return c.get();
    return nullptr;
}

const RegistryNode* RegistryNode::child(std::string_view name) const {
    return const_cast<RegistryNode*>(this)->child(name);
}

RegistryNode& RegistryNode::childOrNew(std::string_view name, bool* created) {
    if (RegistryNode* existing = child(name)) return *existing;
    if (created) *created = true;
    children_.push_back(std::make_unique<RegistryNode>(std::string(name)));
    indexLast(childIndex_, children_, [](const auto& c) -> const std::string& { return c->name_; });
    return *children_.back();
}

const RegistryValue* RegistryNode::value(std::string_view name) const {
    if (valueIndex_) {
        auto it = valueIndex_->find(name);
        return it == valueIndex_->end() ? nullptr : &values_[it->second];
    }
    for (const auto& v : values_)
        if (sameName(v.name, name)) return &v;
    return nullptr;
}

bool RegistryNode::setValue(std::string_view name, std::uint32_t type,
                            std::vector<std::uint8_t> data) {
    if (auto* v = const_cast<RegistryValue*>(value(name))) {
        if (v->type == type && v->data == data) return false;
        v->type = type;
        v->data = std::move(data);
        return true;
    }
    values_.push_back({std::string(name), type, std::move(data)});
    indexLast(valueIndex_, values_, [](const auto& v) -> const std::string& { return v.name; });
    return true;
}

RegistryTree::RegistryTree() {
    ensure({"HKEY_LOCAL_MACHINE", "Software"});
}

RegistryNode* RegistryTree::find(const std::vector<std::string>& path) {
    RegistryNode* node = top_.get();
    for (const auto& level : path)
        if (!(node = node->child(level))) return nullptr;
    return node;
}

const RegistryNode* RegistryTree::find(const std::vector<std::string>& path) const {
    return const_cast<RegistryTree*>(this)->find(path);
}

RegistryNode& RegistryTree::ensure(const std::vector<std::string>& path, bool* created) {
    RegistryNode* node = top_.get();
    for (const auto& level : path) node = &node->childOrNew(level, created);
    return *node;
}

std::vector<std::string> RegistryTree::storedSpelling(const std::vector<std::string>& path) const {
    std::vector<std::string> spelled;
    const RegistryNode* node = top_.get();
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
