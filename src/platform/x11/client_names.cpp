#include "platform/x11/client_names.h"

#include <X11/extensions/XRes.h>

#include <cstdio>
#include <fstream>

#include "platform/x11/x_error_trap.h"

namespace vexa {

std::string processName(long pid) {
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(comm, name);
    return name + "[" + std::to_string(pid) + "]";
}

ClientNames::ClientNames(Display* connection) : connection_(connection) {
    int event = 0, error = 0;
    extension_ = XResQueryExtension(connection_, &event, &error);
    query(0);
}

void ClientNames::query(std::uint32_t base) {
    if (!extension_) return;
    XResClientIdSpec wanted{base, XRES_CLIENT_ID_PID_MASK};
    long count = 0;
    XResClientIdValue* values = nullptr;
    // The client may be gone already.
    XErrorTrap trap(connection_);
    if (XResQueryClientIds(connection_, 1, &wanted, &count, &values) != Success) return;
    for (long i = 0; i < count; ++i) {
        const pid_t pid = XResGetClientPid(&values[i]);
        const auto& [id, length, value] = values[i];
        if (pid > 0) names_[static_cast<std::uint32_t>(id.client)] = processName(pid);
    }
    XResClientIdsDestroy(count, values);
}

void ClientNames::see(std::uint32_t base) {
    if (names_.contains(base)) return;
    query(base);
    if (names_.contains(base)) return;
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(base));
    names_[base] = text;
}

std::string ClientNames::name(std::uint32_t base) {
    see(base);
    return names_[base];
}

}  // namespace vexa
