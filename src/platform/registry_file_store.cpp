#include "platform/registry_file_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <utility>

namespace vexa {

namespace {

RegResult fromErrno(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
        case EROFS:
            return ERROR_ACCESS_DENIED;
        case ENOSPC:
        case EDQUOT:
            return ERROR_DISK_FULL;
        case ENOMEM:
            return ERROR_OUTOFMEMORY;
        default:
            return ERROR_REGISTRY_IO_FAILED;
    }
}

// Closes a descriptor when it goes out of scope; closing the folder releases its lock.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

bool writeAll(int fd, const std::string& text) {
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

// mkdir -p with private folders, as the base directory rules ask.
int makeFolders(const std::string& folder) {
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return errno;
        if (slash == std::string::npos) return 0;
    }
}

bool writableLevels(const std::vector<std::string>& levels) {
    for (const auto& level : levels)
        if (!representableName(level) || level.size() > 255) return false;
    return true;
}

}  // namespace

RegistryFileStore::RegistryFileStore(std::string path) : path_(std::move(path)) {
    auto slash = path_.rfind('/');
    folder_ = slash == std::string::npos ? "." : slash == 0 ? "/" : path_.substr(0, slash);
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

RegResult RegistryFileStore::read(ParsedRegistry& out, bool* exists, std::string* text) const {
    std::string content;
    Descriptor fd(::open(path_.c_str(), O_RDONLY | O_CLOEXEC));
    if (exists) *exists = fd.get() >= 0;
    if (fd.get() < 0) {
        if (errno != ENOENT) return fromErrno(errno);
        out = ParsedRegistry{};
        return ERROR_SUCCESS;
    }
    char buffer[8192];
    for (;;) {
        ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fromErrno(errno);
        }
        if (n == 0) break;
        content.append(buffer, static_cast<std::size_t>(n));
    }
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
    if (int error = makeFolders(folder_)) return fromErrno(error);
    Descriptor folder(::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0) return fromErrno(errno);
    while (::flock(folder.get(), LOCK_EX) != 0)
        if (errno != EINTR) return fromErrno(errno);

    ParsedRegistry parsed;
    bool exists = false;
    std::string old;
    if (RegResult r = read(parsed, &exists, &old); r != ERROR_SUCCESS) return r;
    bool changed = false;
    if (RegResult r = edit(parsed.tree, changed); r != ERROR_SUCCESS || !changed) return r;
    if (exists && !parsed.clean)
        if (RegResult r = keepAside(old); r != ERROR_SUCCESS) return r;
    if (RegResult r = writeReplacement(formatRegistryText(parsed.tree)); r != ERROR_SUCCESS)
        return r;
    // Make the rename itself durable before the lock is released.
    ::fsync(folder.get());
    return ERROR_SUCCESS;
}

RegResult RegistryFileStore::keepAside(const std::string& text) const {
    char stamp[32];
    std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    for (int n = 0; n < 1000; ++n) {
        std::string name = path_ + ".corrupt-" + stamp + (n ? "-" + std::to_string(n) : "");
        Descriptor fd(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (fd.get() < 0) {
            if (errno == EEXIST) continue;
            return fromErrno(errno);
        }
        if (!writeAll(fd.get(), text) || ::fsync(fd.get()) != 0) {
            int error = errno;
            ::unlink(name.c_str());
            return fromErrno(error);
        }
        return ERROR_SUCCESS;
    }
    return ERROR_REGISTRY_IO_FAILED;
}

RegResult RegistryFileStore::writeReplacement(const std::string& text) const {
    std::string temporary = path_ + ".tmp";
    mode_t mode = 0600;
    struct stat st {};
    if (::stat(path_.c_str(), &st) == 0) mode = st.st_mode & 07777;
    Descriptor fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode));
    if (fd.get() < 0) return fromErrno(errno);
    bool ok = writeAll(fd.get(), text) && ::fsync(fd.get()) == 0;
    int error = errno;
    if (::close(fd.release()) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(temporary.c_str(), path_.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        return fromErrno(error);
    }
    return ERROR_SUCCESS;
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
