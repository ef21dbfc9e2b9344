#include "settings/registry_key_path.h"

#include <cstring>
#include <vector>

#include "settings/app_identity.h"

namespace vexa {

namespace {

constexpr std::uint32_t readWrite = KEY_READ | KEY_WRITE;

}  // namespace

RegistryKeyPath::RegistryKeyPath(Registry& registry, RegKey root, Text software, Text company,
                                 Text application, Text subKey)
    : registry_(&registry) {
    bind(root, std::move(software), std::move(company), std::move(application), std::move(subKey));
}

void RegistryKeyPath::bind(RegKey root, Text software, Text company, Text application,
                           Text subKey) {
    if (root == 0) {
        unbind();
        return;
    }
    const AppIdentity* app = currentApp();
    root_ = root;
    software_ = software ? *software : "Software";
    company_ = company ? *company : app ? app->companyName() : "";
    application_ = application ? *application : app ? app->profileName() : "";
    subKey_ = subKey ? *subKey : "";
}

void RegistryKeyPath::unbind() {
    root_ = 0;
    software_.clear();
    company_.clear();
    application_.clear();
    subKey_.clear();
}

RegKey RegistryKeyPath::createLevel(RegKey parent, const std::string& name) const {
    RegKey key = 0;
    if (registry_->createKey(parent, name, readWrite, &key) != ERROR_SUCCESS) return 0;
    return key;
}

RegKey RegistryKeyPath::openAppKey() const {
    RegKey softwareKey = 0;
    if (registry_->openKey(root_, software_, readWrite, &softwareKey) != ERROR_SUCCESS)
        softwareKey = 0;
    RegKey companyKey = softwareKey ? createLevel(softwareKey, company_) : 0;
    RegKey appKey = companyKey ? createLevel(companyKey, application_) : 0;
    RegKey subKeyKey = appKey && !subKey_.empty() ? createLevel(appKey, subKey_) : 0;

    if (!subKey_.empty() && appKey) registry_->closeKey(appKey);
    if (companyKey) registry_->closeKey(companyKey);
    if (softwareKey) registry_->closeKey(softwareKey);
    return subKey_.empty() ? appKey : subKeyKey;
}

RegKey RegistryKeyPath::openSectionKey(const std::string& section) const {
    RegKey appKey = openAppKey();
    if (!appKey) return 0;
    RegKey sectionKey = createLevel(appKey, section);
    registry_->closeKey(appKey);
    return sectionKey;
}

std::int32_t RegistryKeyPath::readInt(const std::string& section, const std::string& entry,
                                      std::int32_t defaultValue) const {
    RegKey key = openSectionKey(section);
    if (!key) return defaultValue;
    // A value shorter than 4 bytes fills the low bytes; the rest stay zero.
    std::uint8_t bytes[4] = {0, 0, 0, 0};
    std::uint32_t type = 0;
    std::uint32_t size = sizeof bytes;
    RegResult result = registry_->queryValue(key, entry, &type, bytes, &size);
    registry_->closeKey(key);
    if (result != ERROR_SUCCESS) return defaultValue;
    std::uint32_t value =
        bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    return static_cast<std::int32_t>(value);
}

bool RegistryKeyPath::writeInt(const std::string& section, const std::string& entry,
                               std::int32_t value) const {
    RegKey key = openSectionKey(section);
    if (!key) return false;
    auto u = static_cast<std::uint32_t>(value);
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
                                   static_cast<std::uint8_t>(u >> 16),
                                   static_cast<std::uint8_t>(u >> 24)};
    RegResult result = registry_->setValue(key, entry, REG_DWORD, bytes, sizeof bytes);
    // A store may write the value only when its key closes.
    RegResult closed = registry_->closeKey(key);
    return result == ERROR_SUCCESS && closed == ERROR_SUCCESS;
}

std::string RegistryKeyPath::readString(const std::string& section, const std::string& entry,
                                        const std::string& defaultText) const {
    RegKey key = openSectionKey(section);
    if (!key) return defaultText;
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    RegResult result = registry_->queryValue(key, entry, &type, nullptr, &size);
    std::vector<std::uint8_t> buffer;
    if (result == ERROR_SUCCESS) {
        buffer.resize(size);
        result = registry_->queryValue(key, entry, &type, buffer.data(), &size);
    }
    registry_->closeKey(key);
    if (result != ERROR_SUCCESS) return defaultText;
    // The text ends at its first NUL, whatever the stored size says.
    std::size_t length = 0;
    while (length < size && length < buffer.size() && buffer[length] != 0) ++length;
    return std::string(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(length));
}

bool RegistryKeyPath::writeString(const std::string& section, const std::string& entry,
                                  const std::string& text) const {
    RegKey key = openSectionKey(section);
    if (!key) return false;
    // Like lstrlenA: the text ends at its first NUL, which is stored as the terminator.
    auto size = static_cast<std::uint32_t>(std::strlen(text.c_str()) + 1);
    RegResult result = registry_->setValue(
        key, entry, REG_SZ, reinterpret_cast<const std::uint8_t*>(text.c_str()), size);
    RegResult closed = registry_->closeKey(key);
    return result == ERROR_SUCCESS && closed == ERROR_SUCCESS;
}

}  // namespace vexa
