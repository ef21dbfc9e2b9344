// A fault of the program itself: an exception that is none of the failures the program
// tells the user about (a logic error, say). It is not passed off as one of them, such as
// the lack of memory: the run ends, after the settings are saved, with one line on standard
// error and an exit status of its own.
#pragma once

#include <cstdio>
#include <exception>

namespace vexa {

// The exit status of a run ended by a fault (EX_SOFTWARE in sysexits.h).
inline constexpr int kFaultExitStatus = 70;

// Says "internal error: <what>" about `fault` on `err`.
void reportFault(std::FILE* err, std::exception_ptr fault);

}  // namespace vexa
