#include "platform/store/registry_file_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "base/file_paths.h"
#include "platform/store/durable_file.h"

namespace vexa {

namespace {

bool writableLevels(const std::vector<std::string>& levels, std::size_t baseDepth) {
    if (baseDepth + levels.size() > maxRegistryDepth) return false;
    for (const auto& level : levels)
        if (!representableName(level) || level.size() > 255) return false;
    return true;
}

}  // namespace

bool RegistryFileStore::Change::applyTo(RegistryTree& tree) const {
    if (!isValue) {
        bool created = false;
        tree.ensure(path, &created);
        return created;
    }
    RegistryNode* node = tree.find(path);
    return node && node->setValue(name, type, data);
}

RegistryFileStore::RegistryFileStore(std::string path)
    : path_(std::move(path)), folder_(folderOf(path_)) {}

RegistryFileStore::~RegistryFileStore() {
    flush();
}

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

RegResult RegistryFileStore::load(Snapshot& fresh) const {
    StoreFileContents file;
    if (RegResult r = readStoreFile(path_, maxRegistryTextSize, file); r != ERROR_SUCCESS) return r;
    fresh.loaded = true;
    fresh.kind = file.kind;
    fresh.identity = file.identity;
    fresh.tooLarge = file.tooLarge;
    if (file.kind != StoreFileKind::regular) return ERROR_SUCCESS;
    if (file.tooLarge) {
        fresh.parsed.clean = false;
        return ERROR_SUCCESS;
    }
    fresh.parsed = parseRegistryText(file.text);
    if (!fresh.parsed.clean) fresh.unreadText = std::move(file.text);
    return ERROR_SUCCESS;
}

RegResult RegistryFileStore::refresh() {
    if (snapshot_.loaded) {
        FileIdentity now;
        StoreFileKind kind = statStoreFile(path_, now);
        if (kind == snapshot_.kind && (kind != StoreFileKind::regular || now == snapshot_.identity))
            return ERROR_SUCCESS;
    }
    Snapshot fresh;
    if (RegResult r = load(fresh); r != ERROR_SUCCESS) return r;
    for (const auto& change : waiting_) change.applyTo(fresh.parsed.tree);
    snapshot_ = std::move(fresh);
    return ERROR_SUCCESS;
}

bool RegistryFileStore::writable() const {
    if (snapshot_.kind == StoreFileKind::unusable) return false;
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

RegResult RegistryFileStore::record(Change change) {
    if (!change.applyTo(snapshot_.parsed.tree)) return ERROR_SUCCESS;
    waiting_.push_back(std::move(change));
    return handles_.openCount() == 0 ? flush() : ERROR_SUCCESS;
}

RegResult RegistryFileStore::flush() {
    if (waiting_.empty()) return ERROR_SUCCESS;
    RegResult result = [&] {
        if (int error = makeFolders(folder_)) return resultFromErrno(error);
        FolderLock lock(folder_);
        if (lock.result() != ERROR_SUCCESS) return lock.result();
        // Under the lock, the file is either still the one read or read again here.
        if (RegResult r = refresh(); r != ERROR_SUCCESS) return r;
        if (snapshot_.kind == StoreFileKind::unusable) return ERROR_ACCESS_DENIED;
        if (snapshot_.kind == StoreFileKind::regular && !snapshot_.parsed.clean) {
            RegResult kept = snapshot_.tooLarge ? keepAsideByLink(path_)
                                                : keepAside(path_, snapshot_.unreadText);
            if (kept != ERROR_SUCCESS) return kept;
        }
        // The rename is durable (SaveFile flushes the folder) before the lock is released.
        if (RegResult r = replaceFile(path_, formatRegistryText(snapshot_.parsed.tree));
            r != ERROR_SUCCESS)
            return r;
        snapshot_.kind = statStoreFile(path_, snapshot_.identity);
        snapshot_.parsed.clean = true;
        snapshot_.tooLarge = false;
        snapshot_.unreadText.clear();
        return ERROR_SUCCESS;
    }();
    waiting_.clear();
    // A failed write leaves the changes unmade: the next look reads the file again.
    if (result != ERROR_SUCCESS) snapshot_.loaded = false;
    return result;
}

RegResult RegistryFileStore::openKey(RegKey parent, const std::string& name, std::uint32_t access,
                                     RegKey* result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = 0;
    auto base = handles_.resolve(parent);
    if (!base) return ERROR_INVALID_HANDLE;
    if (RegResult r = refresh(); r != ERROR_SUCCESS) return r;
    std::vector<std::string> path = base->path;
    for (auto& level : splitKeyPath(name)) path.push_back(std::move(level));
    const RegistryTree& tree = snapshot_.parsed.tree;
    if (!tree.find(path)) return ERROR_FILE_NOT_FOUND;
    bool wantsWrite = (access & KEY_WRITE_BITS) != 0;
    if (wantsWrite && !writable()) return ERROR_ACCESS_DENIED;
    *result = handles_.add({tree.storedSpelling(path), wantsWrite});
    return ERROR_SUCCESS;
}

RegResult RegistryFileStore::createKey(RegKey parent, const std::string& name, std::uint32_t access,
                                       RegKey* result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = 0;
    auto base = handles_.resolve(parent);
    if (!base) return ERROR_INVALID_HANDLE;
    auto levels = splitKeyPath(name);
    if (!writableLevels(levels, base->path.size())) return ERROR_INVALID_PARAMETER;
    std::vector<std::string> path = base->path;
    path.insert(path.end(), levels.begin(), levels.end());

    if (RegResult r = refresh(); r != ERROR_SUCCESS) return r;
    bool wantsWrite = (access & KEY_WRITE_BITS) != 0;
    bool exists = snapshot_.parsed.tree.find(path) != nullptr;
    if ((wantsWrite || !exists) && !writable()) return ERROR_ACCESS_DENIED;
    if (!exists) {
        if (!base->writable) return ERROR_ACCESS_DENIED;
        if (RegResult r = record({path, false, {}, REG_NONE, {}}); r != ERROR_SUCCESS) return r;
    }
    *result = handles_.add({snapshot_.parsed.tree.storedSpelling(path), wantsWrite});
    return ERROR_SUCCESS;
}

RegResult RegistryFileStore::queryValue(RegKey key, const std::string& name, std::uint32_t* type,
                                        std::uint8_t* data, std::uint32_t* size) {
    auto entry = handles_.resolve(key);
    if (!entry) return ERROR_INVALID_HANDLE;
    if (RegResult r = refresh(); r != ERROR_SUCCESS) return r;
    const RegistryNode* node = snapshot_.parsed.tree.find(entry->path);
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
    if (RegResult r = refresh(); r != ERROR_SUCCESS) return r;
    if (!snapshot_.parsed.tree.find(entry->path)) return ERROR_KEY_DELETED;
    return record({entry->path, true, name, type, std::vector<std::uint8_t>(data, data + size)});
}

RegResult RegistryFileStore::closeKey(RegKey key) {
    if (!handles_.remove(key)) return ERROR_INVALID_HANDLE;
    return handles_.openCount() == 0 ? flush() : ERROR_SUCCESS;
}

}  // namespace vexa
