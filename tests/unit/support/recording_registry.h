// A registry in memory for unit tests. It records every call as a line of text, can be
// told to fail any single call, and can refuse write access the way a store the user may
// not write does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/store/registry_tree.h"

namespace vexa::test {

class RecordingRegistry : public Registry {
  public:
    RegResult openKey(RegKey parent, const std::string& name, std::uint32_t access,
                      RegKey* result) override;
    RegResult createKey(RegKey parent, const std::string& name, std::uint32_t access,
                        RegKey* result) override;
    RegResult queryValue(RegKey key, const std::string& name, std::uint32_t* type,
                         std::uint8_t* data, std::uint32_t* size) override;
    RegResult setValue(RegKey key, const std::string& name, std::uint32_t type,
                       const std::uint8_t* data, std::uint32_t size) override;
    RegResult closeKey(RegKey key) override;

    // Every call so far, one line each:
    //   "open <key>", "create <key>", "size <key>:<value>", "query <key>:<value>",
    //   "set <key>:<value>", "close <key>"
    // with keys spelled in full from the root, e.g. HKEY_LOCAL_MACHINE\Software\Varnel.
    const std::vector<std::string>& calls() const { return calls_; }
    void clearCalls() { calls_.clear(); }
    // The value reads and writes only, relative to `keyPrefix` + "\\":
    //   "read View\Columns", "write CurrentVersion\Version".
    std::vector<std::string> valueCalls(
        const std::string& keyPrefix = "HKEY_LOCAL_MACHINE\\Software\\Varnel\\Vexa") const;

    // Call number `index` (counted from 0 over all calls since the last clearCalls)
    // fails with `result` and changes nothing.
    void failCall(std::size_t index, RegResult result = ERROR_ACCESS_DENIED);
    // The first call whose line equals `line` fails with `result` and changes nothing.
    void failCall(const std::string& line, RegResult result = ERROR_ACCESS_DENIED);
    // Opens and creates that ask for write access fail with access denied.
    bool readOnly = false;

    std::size_t openHandles() const { return handles_.openCount(); }

    // Direct access to the contents, bypassing the recording.
    RegistryTree tree;
    void putDword(const std::string& keyPath, const std::string& name, std::int32_t value);
    void putBytes(const std::string& keyPath, const std::string& name, std::uint32_t type,
                  std::vector<std::uint8_t> bytes);
    std::optional<RegistryValue> value(const std::string& keyPath, const std::string& name) const;
    bool hasKey(const std::string& keyPath) const;

  private:
    // Records the call and tells whether it is to fail, with which result.
    std::optional<RegResult> record(std::string line);
    std::string keyText(RegKey key) const;
    RegResult open(RegKey parent, const std::string& name, std::uint32_t access, bool create,
                   RegKey* result);

    RegistryHandles handles_;
    std::vector<std::string> calls_;
    std::optional<std::size_t> failIndex_;
    std::optional<std::string> failLine_;
    RegResult failResult_ = ERROR_SUCCESS;
};

}  // namespace vexa::test
