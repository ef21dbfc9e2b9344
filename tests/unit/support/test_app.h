// An application identity for tests: made current for the lifetime of the object.
#pragma once

#include <string>

#include "settings/app_identity.h"

namespace vexa::test {

class TestApp : public AppIdentity {
  public:
    TestApp(std::string company, std::string profile)
        : company_(std::move(company)), profile_(std::move(profile)) {
        setCurrentApp(this);
    }
    ~TestApp() override { setCurrentApp(nullptr); }
    std::string companyName() const override { return company_; }
    std::string profileName() const override { return profile_; }
    void setCompany(std::string company) { company_ = std::move(company); }

  private:
    std::string company_;
    std::string profile_;
};

}  // namespace vexa::test
