// The registry operations the settings key wrapper relies on, with the results and
// constants of the Win32 registry they stand in for. On Linux the implementation is the
// REGEDIT4 file store (registry_file_store.h); unit tests hand the logic a recording fake.
#pragma once

#include <cstdint>
#include <string>

namespace vexa {

// An open key, or one of the predefined roots. 0 is no key.
using RegKey = std::uintptr_t;

inline constexpr RegKey HKEY_LOCAL_MACHINE = 0x80000002u;

// Results: 0 is success, anything else a Win32 error code.
using RegResult = long;
inline constexpr RegResult ERROR_SUCCESS = 0;
inline constexpr RegResult ERROR_FILE_NOT_FOUND = 2;
inline constexpr RegResult ERROR_ACCESS_DENIED = 5;
inline constexpr RegResult ERROR_INVALID_HANDLE = 6;
inline constexpr RegResult ERROR_OUTOFMEMORY = 14;
inline constexpr RegResult ERROR_INVALID_PARAMETER = 87;
inline constexpr RegResult ERROR_DISK_FULL = 112;
inline constexpr RegResult ERROR_MORE_DATA = 234;
inline constexpr RegResult ERROR_REGISTRY_IO_FAILED = 1016;
inline constexpr RegResult ERROR_KEY_DELETED = 1018;

// Value types.
inline constexpr std::uint32_t REG_NONE = 0;
inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_BINARY = 3;
inline constexpr std::uint32_t REG_DWORD = 4;

// Access rights: an open asking for any of KEY_WRITE's bits needs a writable store.
inline constexpr std::uint32_t KEY_READ = 0x20019;
inline constexpr std::uint32_t KEY_WRITE = 0x20006;
inline constexpr std::uint32_t KEY_WRITE_BITS = 0x0006;

class Registry {
  public:
    virtual ~Registry() = default;

    // RegOpenKeyExA: opens the existing key `name` below `parent`. Fails with
    // ERROR_FILE_NOT_FOUND when it is absent and ERROR_ACCESS_DENIED when `access`
    // asks for writing and the store may not be written.
    virtual RegResult openKey(RegKey parent, const std::string& name, std::uint32_t access,
                              RegKey* result) = 0;

    // RegCreateKeyExA (non-volatile): opens `name` below `parent`, creating it and any
    // missing level on the way when absent.
    virtual RegResult createKey(RegKey parent, const std::string& name, std::uint32_t access,
                                RegKey* result) = 0;

    // RegQueryValueExA: with `data` null, stores the value's size in `*size`; otherwise
    // copies the value when it fits in `*size` bytes (ERROR_MORE_DATA when it does not).
    // `*size` ends as the value's size; `type`, when given, receives its type.
    virtual RegResult queryValue(RegKey key, const std::string& name, std::uint32_t* type,
                                 std::uint8_t* data, std::uint32_t* size) = 0;

    // RegSetValueExA: stores `size` bytes of `data` as the value `name` of type `type`.
    virtual RegResult setValue(RegKey key, const std::string& name, std::uint32_t type,
                               const std::uint8_t* data, std::uint32_t size) = 0;

    // RegCloseKey.
    virtual RegResult closeKey(RegKey key) = 0;
};

}  // namespace vexa
