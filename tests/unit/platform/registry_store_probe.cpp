// Starts the settings on a registry file store the way the program does, optionally saves
// changed settings, and prints what it found. The file store tests run it as another user.
//
//     registry_store_probe STORE-FILE [save]
#include <cstdio>
#include <cstring>

#include "platform/store/registry_file_store.h"
#include "settings/view_settings.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s STORE-FILE [save]\n", argv[0]);
        return 2;
    }
    vexa::RegistryFileStore store(argv[1]);
    vexa::ViewSettings settings(store);
    settings.currentVersion = 65542;
    settings.key.bind(settings.key.root(), "Varnel", "Vexa");
    settings.reset();
    settings.load();
    std::printf("stored=%u columns=%d rows=%d borders=%d state=%d bounds=%d,%d,%d,%d\n",
                settings.storedVersion, settings.columns, settings.rows, settings.borders,
                settings.showState, settings.bounds.left, settings.bounds.top,
                settings.bounds.right, settings.bounds.bottom);
    if (argc > 2 && std::strcmp(argv[2], "save") == 0) {
        settings.columns = 8;
        settings.rows = 32;
        settings.bounds = {1, 2, 300, 400};
        settings.modified = true;
        settings.save();
        std::printf("write=%d\n", settings.putInt("View", "Probe", 1) ? 1 : 0);
    }
    return 0;
}
