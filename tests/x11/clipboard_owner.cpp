// vexa-test-clipboard-owner [--count N] [--seed S]: copies a palette of N entries (256 by
// default) whose entry i is (i + S, 255 - i, 3 * i + S) to the clipboard through Vexa's
// clipboard code, prints "OWNED" and serves requests from FLTK's loop. A line "copy S" on
// standard input copies again with seed S; the end of standard input closes the clipboard
// and ends the program. "FAILED <category>" reports a copy that raised.
#include <FL/Fl.H>
#include <FL/x.H>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/command_failure.h"
#include "palette/edit_commands.h"
#include "platform/clipboard.h"

namespace {

int count = 256;

void copyWithSeed(int seed) {
    vexa::LogicalPalette palette{};
    palette.count = static_cast<std::uint16_t>(count);
    for (int i = 0; i < count; ++i)
        palette.entries[i] = {static_cast<std::uint8_t>(i + seed),
                              static_cast<std::uint8_t>(255 - i),
                              static_cast<std::uint8_t>(3 * i + seed), 0};
    try {
        vexa::offerPaletteOnClipboard(vexa::clipboardForms(palette, nullptr));
        std::printf("OWNED\n");
    } catch (const vexa::CommandFailure& failure) {
        std::printf("FAILED %d\n", static_cast<int>(failure.category()));
    }
    std::fflush(stdout);
}

std::string pending;

void onInput(int fd, void*) {
    char buffer[256];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) {
        vexa::closeClipboard();
        std::exit(0);
    }
    pending.append(buffer, static_cast<std::size_t>(n));
    for (auto end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
        const std::string line = pending.substr(0, end);
        pending.erase(0, end + 1);
        if (line.rfind("copy ", 0) == 0) copyWithSeed(std::atoi(line.c_str() + 5));
    }
}

}  // namespace

int main(int argc, char** argv) {
    int seed = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--count") == 0) count = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--seed") == 0) seed = std::atoi(argv[i + 1]);
    }
    fl_open_display();
    Fl::add_fd(0, FL_READ, onInput);
    copyWithSeed(seed);
    // Fl::wait() without a time returns at once while no window is shown.
    for (;;) Fl::wait(1e6);
}
