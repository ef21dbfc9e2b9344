// The program's registry key: a root and the levels software, company, application and an
// optional sub-key (HKEY_LOCAL_MACHINE\Software\Varnel\Vexa here), with integer and text
// values in named sections below it. Every call opens the chain from the root down, creating
// the levels below software, and closes it again: no key stays open between calls. Every
// failure is silent: reads give the caller's default, writes return false.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/registry.h"

namespace vexa {

class RegistryKeyPath {
  public:
    using Text = std::optional<std::string>;

    // The texts start empty, then bind() runs with the arguments.
    RegistryKeyPath(Registry& registry, RegKey root, Text software = {}, Text company = {},
                    Text application = {}, Text subKey = {});

    // An absent text takes its default at the moment of the call: "Software", the running
    // application's company name and profile name, and no sub-key. Root 0 unbinds.
    void bind(RegKey root, Text software = {}, Text company = {}, Text application = {},
              Text subKey = {});
    void unbind();

    // Open handles that the caller closes, or 0.
    RegKey openAppKey() const;
    RegKey openSectionKey(const std::string& section) const;

    std::int32_t readInt(const std::string& section, const std::string& entry,
                         std::int32_t defaultValue) const;
    bool writeInt(const std::string& section, const std::string& entry, std::int32_t value) const;
    std::string readString(const std::string& section, const std::string& entry,
                           const std::string& defaultText) const;
    bool writeString(const std::string& section, const std::string& entry,
                     const std::string& text) const;

    Registry& registry() const { return *registry_; }
    RegKey root() const { return root_; }
    const std::string& software() const { return software_; }
    const std::string& company() const { return company_; }
    const std::string& application() const { return application_; }
    const std::string& subKey() const { return subKey_; }

  private:
    // Opens or creates `name` below `parent` for reading and writing; 0 on failure.
    RegKey createLevel(RegKey parent, const std::string& name) const;

    Registry* registry_;
    RegKey root_ = 0;
    std::string software_;
    std::string company_;
    std::string application_;
    std::string subKey_;
};

}  // namespace vexa
