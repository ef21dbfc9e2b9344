#include "recording_registry.h"

namespace vexa::test {

std::optional<RegResult> RecordingRegistry::record(std::string line) {
    std::size_t index = calls_.size();
    calls_.push_back(line);
    if (failIndex_ && *failIndex_ == index) {
        failIndex_.reset();
        return failResult_;
    }
    if (failLine_ && *failLine_ == line) {
        failLine_.reset();
        return failResult_;
    }
    return std::nullopt;
}

std::string RecordingRegistry::keyText(RegKey key) const {
    auto entry = handles_.resolve(key);
    return entry ? joinKeyPath(entry->path) : "<invalid " + std::to_string(key) + ">";
}

RegResult RecordingRegistry::open(RegKey parent, const std::string& name, std::uint32_t access,
                                  bool create, RegKey* result) {
    auto entry = handles_.resolve(parent);
    std::string base = entry ? joinKeyPath(entry->path) : keyText(parent);
    if (auto fail = record((create ? "create " : "open ") + base + "\\" + name)) return *fail;
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = 0;
    if (!entry) return ERROR_INVALID_HANDLE;
    std::vector<std::string> path = entry->path;
    for (auto& level : splitKeyPath(name)) path.push_back(level);
    bool wantsWrite = (access & KEY_WRITE_BITS) != 0;
    bool exists = tree.find(path) != nullptr;
    if (!exists && !create) return ERROR_FILE_NOT_FOUND;
    if (readOnly && (wantsWrite || !exists)) return ERROR_ACCESS_DENIED;
    if (!exists) tree.ensure(path);
    *result = handles_.add({tree.storedSpelling(path), wantsWrite});
    return ERROR_SUCCESS;
}

RegResult RecordingRegistry::openKey(RegKey parent, const std::string& name, std::uint32_t access,
                                     RegKey* result) {
    return open(parent, name, access, false, result);
}

RegResult RecordingRegistry::createKey(RegKey parent, const std::string& name, std::uint32_t access,
                                       RegKey* result) {
    return open(parent, name, access, true, result);
}

RegResult RecordingRegistry::queryValue(RegKey key, const std::string& name, std::uint32_t* type,
                                        std::uint8_t* data, std::uint32_t* size) {
    if (auto fail = record((data ? "query " : "size ") + keyText(key) + ":" + name)) return *fail;
    auto entry = handles_.resolve(key);
    if (!entry) return ERROR_INVALID_HANDLE;
    const RegistryNode* node = tree.find(entry->path);
    if (!node) return ERROR_KEY_DELETED;
    const RegistryValue* stored = node->value(name);
    if (!stored) return ERROR_FILE_NOT_FOUND;
    return copyValueOut(*stored, type, data, size);
}

RegResult RecordingRegistry::setValue(RegKey key, const std::string& name, std::uint32_t type,
                                      const std::uint8_t* data, std::uint32_t size) {
    if (auto fail = record("set " + keyText(key) + ":" + name)) return *fail;
    auto entry = handles_.resolve(key);
    if (!entry) return ERROR_INVALID_HANDLE;
    if (!entry->writable) return ERROR_ACCESS_DENIED;
    RegistryNode* node = tree.find(entry->path);
    if (!node) return ERROR_KEY_DELETED;
    node->setValue(name, type, std::vector<std::uint8_t>(data, data + size));
    return ERROR_SUCCESS;
}

RegResult RecordingRegistry::closeKey(RegKey key) {
    if (auto fail = record("close " + keyText(key))) return *fail;
    return handles_.remove(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

std::vector<std::string> RecordingRegistry::valueCalls(const std::string& keyPrefix) const {
    std::vector<std::string> out;
    for (const auto& line : calls_) {
        std::string verb;
        std::string rest;
        if (line.rfind("query ", 0) == 0) {
            verb = "read ";
            rest = line.substr(6);
        } else if (line.rfind("set ", 0) == 0) {
            verb = "write ";
            rest = line.substr(4);
        } else {
            continue;
        }
        if (rest.rfind(keyPrefix + "\\", 0) == 0) rest = rest.substr(keyPrefix.size() + 1);
        auto colon = rest.rfind(':');
        if (colon != std::string::npos) rest[colon] = '\\';
        out.push_back(verb + rest);
    }
    return out;
}

void RecordingRegistry::failCall(std::size_t index, RegResult result) {
    failIndex_ = index;
    failResult_ = result;
}

void RecordingRegistry::failCall(const std::string& line, RegResult result) {
    failLine_ = line;
    failResult_ = result;
}

void RecordingRegistry::putDword(const std::string& keyPath, const std::string& name,
                                 std::int32_t value) {
    auto u = static_cast<std::uint32_t>(value);
    putBytes(keyPath, name, REG_DWORD,
             {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
              static_cast<std::uint8_t>(u >> 16), static_cast<std::uint8_t>(u >> 24)});
}

void RecordingRegistry::putBytes(const std::string& keyPath, const std::string& name,
                                 std::uint32_t type, std::vector<std::uint8_t> bytes) {
    tree.ensure(splitKeyPath(keyPath)).setValue(name, type, std::move(bytes));
}

std::optional<RegistryValue> RecordingRegistry::value(const std::string& keyPath,
                                                      const std::string& name) const {
    const RegistryNode* node = tree.find(splitKeyPath(keyPath));
    if (!node) return std::nullopt;
    const RegistryValue* v = node->value(name);
    if (!v) return std::nullopt;
    return *v;
}

bool RecordingRegistry::hasKey(const std::string& keyPath) const {
    return tree.find(splitKeyPath(keyPath)) != nullptr;
}

}  // namespace vexa::test
