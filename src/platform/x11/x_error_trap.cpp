#include "platform/x11/x_error_trap.h"

namespace vexa {
namespace {

XErrorTrap* innermost = nullptr;

}  // namespace

XErrorTrap::XErrorTrap(Display* connection) : connection_(connection), outer_(innermost) {
    XSync(connection_, False);  // errors of earlier requests are not ours
    innermost = this;
    previousHandler_ = XSetErrorHandler(&XErrorTrap::handle);
}

XErrorTrap::~XErrorTrap() {
    XSync(connection_, False);
    XSetErrorHandler(previousHandler_);
    innermost = outer_;
}

bool XErrorTrap::failed() {
    XSync(connection_, False);
    return failed_;
}

int XErrorTrap::handle(Display* connection, XErrorEvent* error) {
    for (XErrorTrap* trap = innermost; trap; trap = trap->outer_)
        if (trap->connection_ == connection) {
            trap->failed_ = true;
            return 0;
        }
    // An error on another connection: whoever handled errors before us decides.
    XErrorTrap* outermost = innermost;
    while (outermost->outer_) outermost = outermost->outer_;
    return outermost->previousHandler_ ? outermost->previousHandler_(connection, error) : 0;
}

}  // namespace vexa
