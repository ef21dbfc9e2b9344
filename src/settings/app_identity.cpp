#include "settings/app_identity.h"

namespace vexa {

namespace {
AppIdentity* runningApp = nullptr;
}

AppIdentity* currentApp() {
    return runningApp;
}

void setCurrentApp(AppIdentity* app) {
    runningApp = app;
}

}  // namespace vexa
