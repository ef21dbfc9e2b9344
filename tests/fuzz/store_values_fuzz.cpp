// The file store's value decoding on any store file: the settings' integer reads and the
// size rules of a query, through the real store reading a real file.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/store/registry_file_store.h"
#include "settings/registry_key_path.h"

namespace {

// The store's folder, removed when the fuzzer exits.
struct Folder {
    std::string path;
    ~Folder() { std::filesystem::remove_all(std::filesystem::path(path).parent_path()); }
};

const std::string& storePath() {
    static const Folder folder{[] {
        // tmpfs where there is one: a run may write the store, and flushes cost nothing there.
        char shm[] = "/dev/shm/vexa-fuzz-XXXXXX";
        if (::mkdtemp(shm)) return std::string(shm) + "/system.reg";
        char fallback[] = "/tmp/vexa-fuzz-XXXXXX";
        if (!::mkdtemp(fallback)) __builtin_trap();
        return std::string(fallback) + "/system.reg";
    }()};
    return folder.path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        // A fresh folder per run: a store with unreadable lines is kept aside when written.
        const std::filesystem::path folder = std::filesystem::path(storePath()).parent_path();
        std::filesystem::remove_all(folder);
        std::filesystem::create_directory(folder);
        std::ofstream out(storePath(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    vexa::RegistryFileStore store(storePath());
    vexa::RegistryKeyPath key(store, vexa::HKEY_LOCAL_MACHINE, "Varnel", "Vexa");
    for (const char* name : {"A", "B", "C", ""}) key.readInt("View", name, 7);
    vexa::RegKey view = 0;
    if (store.openKey(vexa::HKEY_LOCAL_MACHINE, "Software\\Varnel\\Vexa\\View", vexa::KEY_READ,
                      &view) == vexa::ERROR_SUCCESS) {
        for (std::uint32_t room : {0u, 1u, 4u, 64u}) {
            std::uint8_t buffer[64];
            for (const char* name : {"A", "B", "C", ""}) {
                std::uint32_t type = 0, length = room;
                const vexa::RegResult r = store.queryValue(view, name, &type, buffer, &length);
                if (r == vexa::ERROR_SUCCESS && length > room) __builtin_trap();
                if (r == vexa::ERROR_MORE_DATA && length <= room) __builtin_trap();
            }
        }
        store.closeKey(view);
    }
    return 0;
}
