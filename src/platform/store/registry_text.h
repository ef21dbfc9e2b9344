// The REGEDIT4 text form of a registry hive, as regedit imports it:
//
//     REGEDIT4
//
//     [HKEY_LOCAL_MACHINE\Software\Varnel\Vexa\View]
//     "Columns"=dword:00000100
//
// Texts are "quoted" with \\ and \" escapes, 32-bit numbers dword:, and every other value
// hex(N): with its type N, so any value read from a file is written back byte for byte.
#pragma once

#include <string>
#include <string_view>

#include "platform/store/registry_tree.h"

namespace vexa {

// Beyond these a file is no hive a person or program made: a section deeper than this many
// levels cannot be read, and a longer text is not read at all.
inline constexpr std::size_t maxRegistryDepth = 512;
inline constexpr std::size_t maxRegistryTextSize = 64u << 20;

struct ParsedRegistry {
    RegistryTree tree;
    // False when the header is missing or any line could not be used; the lines that
    // could are in `tree`.
    bool clean = true;
};

// Reads LF or CR LF text. A new, empty hive when `text` is empty.
ParsedRegistry parseRegistryText(std::string_view text);

// One section per key that holds values or has no children (the others are implied by the
// paths below them), each followed by its values, LF line ends.
std::string formatRegistryText(const RegistryTree& tree);

// Whether `name` can be written as a key or value name in this form.
bool representableName(std::string_view name);

}  // namespace vexa
