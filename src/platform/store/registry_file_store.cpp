#include "platform/store/registry_file_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "base/file_paths.h"
#include "platform/store/durable_file.h"

namespace vexa {

namespace {

bool writableLevels(const std::vector<std::string>& levels) {
    for (const auto& level : levels)
        if (!representableName(level) || level.size() > 255) return false;
    return true;
}

}  // namespace

RegistryFileStore::RegistryFileStore(std::string path)
    : path_(std::move(path)), folder_(folderOf(path_)) {}

std::string RegistryFileStore::defaultPath() {
    std::string base;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/') {
        base = config;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !*home) {
            const passwd* pw = ::getpwuid(::getuid());
            home = pw && pw->pw_dir ? pw->pw_dir : "/";
        }
        base = std::string(home) + "/.config";
    }
    return base + "/vexa/system.reg";
}

RegResult RegistryFileStore::read(ParsedRegistry& out, bool* exists, std::string* text) const {
    std::string content;
    bool present = false;
    if (RegResult r = readWholeFile(path_, content, present); r != ERROR_SUCCESS) return r;
    if (exists) *exists = present;
    out = parseRegistryText(content);
    if (text) *text = std::move(content);
    return ERROR_SUCCESS;
}

bool RegistryFileStore::writable() const {
    if (::faccessat(AT_FDCWD, path_.c_str(), F_OK, AT_EACCESS) == 0 &&
        ::faccessat(AT_FDCWD, path_.c_str(), W_OK, AT_EACCESS) != 0)
        return false;
    // The folder may not exist yet: then its nearest existing ancestor decides.
    std::string folder = folder_;
    for (;;) {
        if (::faccessat(AT_FDCWD, folder.c_str(), F_OK, AT_EACCESS) == 0)
            return ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
        auto slash = folder.rfind('/');
        if (slash == std::string::npos || folder == "/") return false;
        folder = slash == 0 ? "/" : folder.substr(0, slash);
    }
}

RegResult RegistryFileStore::change(const Edit& edit) {
    if (int error = makeFolders(folder_)) return resultFromErrno(error);
    FolderLock lock(folder_);
    if (lock.result() != ERROR_SUCCESS) return lock.result();

    ParsedRegistry parsed;
    bool exists = false;
    std::string old;
    if (RegResult r = read(parsed, &exists, &old); r != ERROR_SUCCESS) return r;
    bool changed = false;
    if (RegResult r = edit(parsed.tree, changed); r != ERROR_SUCCESS || !changed) return r;
    if (exists && !parsed.clean)
        if (RegResult r = keepAside(path_, old); r != ERROR_SUCCESS) return r;
    // The rename is durable (SaveFile flushes the folder) before the lock is released.
    return replaceFile(path_, formatRegistryText(parsed.tree));
}

RegResult RegistryFileStore::openKey(RegKey parent, const std::string& name, std::uint32_t access,
                                     RegKey* result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = 0;
    auto base = handles_.resolve(parent);
    if (!base) return ERROR_INVALID_HANDLE;
    ParsedRegistry parsed;
    if (RegResult r = read(parsed); r != ERROR_SUCCESS) return r;
    std::vector<std::string> path = base->path;
    for (auto& level : splitKeyPath(name)) path.push_back(std::move(level));
    if (!parsed.tree.find(path)) return ERROR_FILE_NOT_FOUND;
    bool wantsWrite = (access & KEY_WRITE_BITS) != 0;
    if (wantsWrite && !writable()) return ERROR_ACCESS_DENIED;
    *result = handles_.add({parsed.tree.storedSpelling(path), wantsWrite});
    return ERROR_SUCCESS;
}

RegResult RegistryFileStore::createKey(RegKey parent, const std::string& name, std::uint32_t access,
                                       RegKey* result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = 0;
    auto base = handles_.resolve(parent);
    if (!base) return ERROR_INVALID_HANDLE;
    auto levels = splitKeyPath(name);
    if (!writableLevels(levels)) return ERROR_INVALID_PARAMETER;
    std::vector<std::string> path = base->path;
    path.insert(path.end(), levels.begin(), levels.end());

    ParsedRegistry parsed;
    if (RegResult r = read(parsed); r != ERROR_SUCCESS) return r;
    bool wantsWrite = (access & KEY_WRITE_BITS) != 0;
    bool exists = parsed.tree.find(path) != nullptr;
    if ((wantsWrite || !exists) && !writable()) return ERROR_ACCESS_DENIED;
    if (!exists) {
        if (!base->writable) return ERROR_ACCESS_DENIED;
        std::vector<std::string> spelled;
        RegResult r = change([&](RegistryTree& tree, bool& changed) {
            tree.ensure(path, &changed);
            spelled = tree.storedSpelling(path);
            return ERROR_SUCCESS;
        });
        if (r != ERROR_SUCCESS) return r;
        path = std::move(spelled);
    } else {
        path = parsed.tree.storedSpelling(path);
    }
    *result = handles_.add({std::move(path), wantsWrite});
    return ERROR_SUCCESS;
}

RegResult RegistryFileStore::queryValue(RegKey key, const std::string& name, std::uint32_t* type,
                                        std::uint8_t* data, std::uint32_t* size) {
    auto entry = handles_.resolve(key);
    if (!entry) return ERROR_INVALID_HANDLE;
    ParsedRegistry parsed;
    if (RegResult r = read(parsed); r != ERROR_SUCCESS) return r;
    const RegistryNode* node = parsed.tree.find(entry->path);
    if (!node) return ERROR_KEY_DELETED;
    const RegistryValue* value = node->value(name);
    if (!value) return ERROR_FILE_NOT_FOUND;
    return copyValueOut(*value, type, data, size);
}

RegResult RegistryFileStore::setValue(RegKey key, const std::string& name, std::uint32_t type,
                                      const std::uint8_t* data, std::uint32_t size) {
    auto entry = handles_.resolve(key);
    if (!entry) return ERROR_INVALID_HANDLE;
    if (!entry->writable) return ERROR_ACCESS_DENIED;
    if (!representableName(name) || (size > 0 && !data)) return ERROR_INVALID_PARAMETER;
    std::vector<std::uint8_t> bytes(data, data + size);
    return change([&](RegistryTree& tree, bool& changed) {
        RegistryNode* node = tree.find(entry->path);
        if (!node) return ERROR_KEY_DELETED;
        changed = node->setValue(name, type, bytes);
        return ERROR_SUCCESS;
    });
}

RegResult RegistryFileStore::closeKey(RegKey key) {
    return handles_.remove(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

}  // namespace vexa
