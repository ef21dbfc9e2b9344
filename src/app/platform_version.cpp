#include <sys/utsname.h>

#include <cstdio>

#include "app/platform_check.h"

namespace vexa {

std::uint32_t runningPlatformVersion() {
    utsname name{};
    unsigned major = 0, minor = 0;
    if (uname(&name) == 0) std::sscanf(name.release, "%u.%u", &major, &minor);
    return (major & 0xFFu) | ((minor & 0xFFu) << 8);
}

}  // namespace vexa
