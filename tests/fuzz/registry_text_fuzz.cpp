// The REGEDIT4 reader and writer on any text: reading never fails hard, and what is written
// reads back as the same hive (every key, empty ones included, and every value byte for
// byte), which writes as the same text again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/store/registry_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const vexa::ParsedRegistry first = vexa::parseRegistryText(text);
    const std::string written = vexa::formatRegistryText(first.tree);
    const vexa::ParsedRegistry second = vexa::parseRegistryText(written);
    if (!second.clean) __builtin_trap();
    if (vexa::formatRegistryText(second.tree) != written) __builtin_trap();
    return 0;
}
