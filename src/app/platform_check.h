// The start-up platform check, a pure function of the platform version value: bit 31 set
// marks a Win32 host that is not Windows NT, the low byte is the major version. Such a host
// below version 4 (16-bit Windows 3.x) is refused; Windows NT of any version and Windows 95
// pass. The X11 build reports a value of its own with bit 31 clear.
#pragma once

#include <cstdint>

namespace vexa {

constexpr bool platformSupported(std::uint32_t version) {
    const bool notNt = (version & 0x80000000u) != 0;
    const std::uint32_t major = version & 0xFFu;
    return !(notNt && major < 4);
}

// The running platform's version value in that layout: the kernel's major version in the
// low byte, its minor version in the next, bit 31 clear.
std::uint32_t runningPlatformVersion();

}  // namespace vexa
