// vexa-test-dialogs save|open [TIMES]: runs Vexa's Save As or Open dialog TIMES times (once
// by default) and prints "CHOSEN <path>" or "CANCELLED" after each run.
#include <FL/Fl.H>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ui/file_dialogs.h"

int main(int argc, char** argv) {
    if (argc < 2 || (std::strcmp(argv[1], "save") != 0 && std::strcmp(argv[1], "open") != 0)) {
        std::fprintf(stderr, "usage: vexa-test-dialogs save|open [TIMES]\n");
        return 2;
    }
    const bool saving = std::strcmp(argv[1], "save") == 0;
    const int times = argc > 2 ? std::atoi(argv[2]) : 1;
    Fl::visual(FL_INDEX);
    for (int i = 0; i < times; ++i) {
        const auto chosen = saving ? vexa::runSaveAsDialog() : vexa::runOpenDialog();
        if (chosen) {
            std::printf("CHOSEN %s\n", chosen->c_str());
        } else {
            std::printf("CANCELLED\n");
        }
        std::fflush(stdout);
    }
    return 0;
}
