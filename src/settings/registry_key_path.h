// The program's registry key: a root and the levels software, company and application
// (HKEY_LOCAL_MACHINE\Software\Varnel\Vexa here), with integer values in named sections
// below it. Every call opens the chain from the root down, creating
// the levels below software, and closes it again: no key stays open between calls. Every
// failure is silent: reads give the caller's default, writes return false.
#pragma once

#include <cstdint>
#include <string>

#include "platform/registry.h"

namespace vexa {

class RegistryKeyPath {
  public:
    // bind() runs with the arguments.
    explicit RegistryKeyPath(Registry& registry, RegKey root, std::string company = {},
                             std::string application = {});

    // The key Software\<company>\<application> below `root`; root 0 unbinds.
    void bind(RegKey root, std::string company, std::string application);
    void unbind();

    // Open handles that the caller closes, or 0.
    RegKey openAppKey() const;
    RegKey openSectionKey(const std::string& section) const;

    std::int32_t readInt(const std::string& section, const std::string& entry,
                         std::int32_t defaultValue) const;
    bool writeInt(const std::string& section, const std::string& entry, std::int32_t value) const;

    Registry& registry() const { return *registry_; }
    RegKey root() const { return root_; }
    const std::string& software() const { return software_; }
    const std::string& company() const { return company_; }
    const std::string& application() const { return application_; }

  private:
    // Opens or creates `name` below `parent` for reading and writing; 0 on failure.
    RegKey createLevel(RegKey parent, const std::string& name) const;

    Registry* registry_;
    RegKey root_ = 0;
    std::string software_;
    std::string company_;
    std::string application_;
};

}  // namespace vexa
