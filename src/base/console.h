// Vexa's own messages on the console. Every line of a message goes out as "vexa: " and
// the line, at once, so that it comes out in order with what the programs Vexa runs write.
// Callers pass plain sentences; the prefix is added only here.
#pragma once

#include <cstdio>
#include <string_view>

namespace vexa {

// Writes `message` to `stream`: each of its lines (split at LF; a final LF is optional)
// prefixed by "vexa: " and ended by LF, then flushes. False when the write failed.
bool sayTo(std::FILE* stream, std::string_view message);

// The same on standard error.
bool say(std::string_view message);

// A one-line message on a terminal that the next one replaces: a carriage return, the
// prefix and `message`, the rest of the line cleared; `last` ends the line with LF.
bool sayInPlace(std::FILE* stream, std::string_view message, bool last);

}  // namespace vexa
