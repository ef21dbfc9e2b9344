// The texts that the About and Help windows compose from their parts.
#pragma once

#include <string>

namespace vexa {

inline constexpr const char* kProductDescription = "Win32 Color Palette Tool";
inline constexpr const char* kBuildDate = "Nov 30 1996";

// `format` with each "%s" replaced by `name` and "%%" by "%"; any other "%" stays as it is.
// Like a caption buffer of 256 bytes, the result keeps at most 255 characters.
std::string formatWithName(const std::string& format, const std::string& name);

// "Vexa v1.6": the name, a space, the letter v and the version.
std::string nameAndVersion(const std::string& name, const std::string& versionText);

// The description on the first line, "Built on" and the build date on the second.
std::string describeBuild(const std::string& description);

// The licence terms and the disclaimer joined by one line feed, so that the disclaimer's
// heading starts on the line right after the licence paragraph.
std::string noticeText(const std::string& licence, const std::string& disclaimer);

// The text with every CR LF turned into a single line feed, the line end FLTK draws.
std::string toDisplayLineEnds(const std::string& text);

}  // namespace vexa
