// vexa-test-dialogs save|open|save-filters|open-filters [TIMES]: runs Vexa's Save As or
// Open dialog TIMES times (once by default) and prints "CHOSEN <path>" or "CANCELLED" after
// each run. With save-filters or open-filters, once the chooser shows, it prints the filters
// as the user sees them ("FILTER <label>", "FILTER* <label>" for the selected one) and the
// files the selected one lists ("SHOWN <name>"), chooses the last one, prints the files the
// chooser then lists ("FILE <name>"), "END", and cancels.
#include <FL/Fl.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_File_Browser.H>
#include <FL/Fl_Window.H>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ui/file_dialogs.h"

namespace {

template <typename W>
W* findWidget(Fl_Group& group) {
    for (int i = 0; i < group.children(); ++i) {
        if (auto* found = dynamic_cast<W*>(group.child(i))) return found;
        if (auto* inner = group.child(i)->as_group())
            if (W* found = findWidget<W>(*inner)) return found;
    }
    return nullptr;
}

void printFiles(const Fl_File_Browser& files, const char* tag) {
    for (int line = 1; line <= files.size(); ++line) {
        const char* name = files.text(line);
        if (name && name[0] && name[std::strlen(name) - 1] != '/')
            std::printf("%s %s\n", tag, name);
    }
}

void reportFilters(void*) {
    Fl_Window* chooser = Fl::first_window();
    Fl_Choice* filters = chooser ? findWidget<Fl_Choice>(*chooser) : nullptr;
    Fl_File_Browser* files = chooser ? findWidget<Fl_File_Browser>(*chooser) : nullptr;
    if (!filters || !files || !chooser->shown()) {
        Fl::repeat_timeout(0.05, reportFilters);
        return;
    }
    const int count = filters->size() - 1;  // the menu ends with an empty item
    for (int i = 0; i < count; ++i)
        std::printf("FILTER%s %s\n", i == filters->value() ? "*" : "", filters->text(i));
    printFiles(*files, "SHOWN");
    filters->value(count - 1);
    filters->do_callback();
    printFiles(*files, "FILE");
    std::printf("END\n");
    std::fflush(stdout);
    chooser->hide();
}

}  // namespace

int main(int argc, char** argv) {
    const char* mode = argc > 1 ? argv[1] : "";
    const bool saving = std::strcmp(mode, "save") == 0 || std::strcmp(mode, "save-filters") == 0;
    const bool filters =
        std::strcmp(mode, "open-filters") == 0 || std::strcmp(mode, "save-filters") == 0;
    if (!saving && !filters && std::strcmp(mode, "open") != 0) {
        std::fprintf(stderr,
                     "usage: vexa-test-dialogs save|open|save-filters|open-filters [TIMES]\n");
        return 2;
    }
    const int times = argc > 2 ? std::atoi(argv[2]) : 1;
    Fl::visual(FL_INDEX);
    for (int i = 0; i < times; ++i) {
        if (filters) Fl::add_timeout(0.05, reportFilters);
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
