// What a piece of code writes to standard error (file descriptor 2), for checking that a
// library stays quiet.
#pragma once

#include <stdio.h>
#include <unistd.h>

#include <functional>
#include <string>

namespace vexa::testing {

inline std::string stderrOf(const std::function<void()>& work) {
    std::fflush(stderr);
    FILE* capture = std::tmpfile();
    const int saved = ::dup(2);
    ::dup2(::fileno(capture), 2);
    work();
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    std::string text;
    std::rewind(capture);
    for (int c; (c = std::fgetc(capture)) != EOF;) text += char(c);
    std::fclose(capture);
    return text;
}

}  // namespace vexa::testing
