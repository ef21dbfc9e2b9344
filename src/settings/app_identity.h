// What the settings key needs of the running application object: the company word it
// registered and its profile name. The application object makes itself current when it
// is built and withdraws when it is destroyed; until then both names read as empty.
#pragma once

#include <string>

namespace vexa {

class AppIdentity {
  public:
    virtual ~AppIdentity() = default;
    // The registry company name, empty while none is registered.
    virtual std::string companyName() const = 0;
    // The profile name (the application title), empty while none is set.
    virtual std::string profileName() const = 0;
};

// The running application object, or nullptr.
AppIdentity* currentApp();
void setCurrentApp(AppIdentity* app);

}  // namespace vexa
