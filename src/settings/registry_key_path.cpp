#include "settings/registry_key_path.h"

#include <utility>

namespace vexa {

namespace {

constexpr std::uint32_t readWrite = KEY_READ | KEY_WRITE;

}  // namespace

RegistryKeyPath::RegistryKeyPath(Registry& registry, RegKey root, std::string company,
                                 std::string application)
    : registry_(&registry) {
    bind(root, std::move(company), std::move(application));
}

void RegistryKeyPath::bind(RegKey root, std::string company, std::string application) {
    if (root == 0) {
        unbind();
        return;
    }
    root_ = root;
    software_ = "Software";
    company_ = std::move(company);
    application_ = std::move(application);
}

void RegistryKeyPath::unbind() {
    root_ = 0;
    software_.clear();
    company_.clear();
    application_.clear();
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

    if (companyKey) registry_->closeKey(companyKey);
    if (softwareKey) registry_->closeKey(softwareKey);
    return appKey;
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

}  // namespace vexa
