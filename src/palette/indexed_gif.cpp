#include "palette/indexed_gif.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <optional>

#include "base/command_failure.h"

namespace vexa {
namespace {

[[noreturn]] void refuse() {
    throw CommandFailure::unsupportedFormat();
}

struct Input {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at;
};

int readInput(GifFileType* gif, GifByteType* out, int length) {
    auto* input = static_cast<Input*>(gif->UserData);
    const std::size_t n =
        std::min(static_cast<std::size_t>(std::max(length, 0)), input->size - input->at);
    std::memcpy(out, input->data + input->at, n);
    input->at += n;
    return static_cast<int>(n);
}

struct CloseGif {
    void operator()(GifFileType* gif) const {
        int ignored = 0;
        DGifCloseFile(gif, &ignored);
    }
};
using GifReader = std::unique_ptr<GifFileType, CloseGif>;

BitmapColourTable tableOf(const ColorMapObject& map) {
    BitmapColourTable table;
    table.count = std::clamp(map.ColorCount, 0, kMaxPaletteEntries);
    for (int i = 0; i < table.count; ++i) {
        const GifColorType& c = map.Colors[i];
        table.entries[i] = RgbQuad{c.Blue, c.Green, c.Red, 0};
    }
    return table;
}

void check(int result) {
    if (result == GIF_ERROR) refuse();
}

// Reads past an image: its descriptor (and local table) and its compressed data, block by
// block, without decoding it. The first image gives its table when there is no other.
void skipImage(GifFileType* gif, std::optional<BitmapColourTable>& table) {
    check(DGifGetImageDesc(gif));
    if (!table) {
        if (!gif->Image.ColorMap) refuse();
        table = tableOf(*gif->Image.ColorMap);
    }
    int codeSize = 0;
    GifByteType* block = nullptr;
    check(DGifGetCode(gif, &codeSize, &block));
    while (block) check(DGifGetCodeNext(gif, &block));
    // giflib keeps a record of every image read; a file of a million tiny images must not
    // cost memory for each.
    GifFreeSavedImages(gif);
    gif->SavedImages = nullptr;
    gif->ImageCount = 0;
}

void skipExtension(GifFileType* gif) {
    int code = 0;
    GifByteType* block = nullptr;
    check(DGifGetExtension(gif, &code, &block));
    while (block) check(DGifGetExtensionNext(gif, &block));
}

int writeOutput(GifFileType* gif, const GifByteType* data, int length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
    try {
        out->insert(out->end(), data, data + length);
    } catch (const std::bad_alloc&) {
        return 0;  // giflib takes a short write as a failure
    }
    return length;
}

}  // namespace

bool isGif(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= 6 && (std::memcmp(bytes.data(), "GIF87a", 6) == 0 ||
                                 std::memcmp(bytes.data(), "GIF89a", 6) == 0);
}

BitmapColourTable readGifColourTable(std::span<const std::uint8_t> bytes) {
    if (!isGif(bytes)) refuse();
    Input input{bytes.data(), bytes.size(), 0};
    int error = 0;
    const GifReader gif(DGifOpen(&input, readInput, &error));
    if (!gif) {
        if (error == D_GIF_ERR_NOT_ENOUGH_MEM) throw std::bad_alloc();
        refuse();
    }
    std::optional<BitmapColourTable> table;
    if (gif->SColorMap) table = tableOf(*gif->SColorMap);
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        check(DGifGetRecordType(gif.get(), &type));
        if (type == TERMINATE_RECORD_TYPE) break;
        if (type == IMAGE_DESC_RECORD_TYPE)
            skipImage(gif.get(), table);
        else if (type == EXTENSION_RECORD_TYPE)
            skipExtension(gif.get());
        else
            refuse();
    }
    if (!table) refuse();
    return *table;
}

std::vector<std::uint8_t> encodePaletteGif(const SystemPaletteSnapshot& snapshot) {
    GifColorType colours[kMaxPaletteEntries];
    for (int i = 0; i < kMaxPaletteEntries; ++i) {
        const PaletteEntry& e = snapshot.entries[i];
        colours[i] = GifColorType{e.red, e.green, e.blue};
    }
    GifPixelType row[kPaletteImageWidth];
    for (int x = 0; x < kPaletteImageWidth; ++x) row[x] = static_cast<GifPixelType>(x);

    std::vector<std::uint8_t> bytes;
    int error = 0;
    GifFileType* gif = EGifOpen(&bytes, writeOutput, &error);
    if (!gif) throw std::bad_alloc();
    // The screen descriptor copies the table.
    ColorMapObject* map = GifMakeMapObject(kMaxPaletteEntries, colours);
    bool written =
        map && EGifPutScreenDesc(gif, kPaletteImageWidth, kPaletteImageHeight, 8, 0, map) == GIF_OK;
    GifFreeMapObject(map);
    written = written && EGifPutImageDesc(gif, 0, 0, kPaletteImageWidth, kPaletteImageHeight, false,
                                          nullptr) == GIF_OK;
    for (int y = 0; written && y < kPaletteImageHeight; ++y)
        written = EGifPutLine(gif, row, kPaletteImageWidth) == GIF_OK;
    // Closing writes the trailer and frees the writer in any case.
    written = EGifCloseFile(gif, &error) == GIF_OK && written;
    if (!written) throw std::bad_alloc();
    return bytes;
}

}  // namespace vexa
