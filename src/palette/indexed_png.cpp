#include "palette/indexed_png.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string_view>

#include "base/command_failure.h"

namespace vexa {
namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::size_t kChunkFrame = 12;  // length, type and CRC around a chunk's data

[[noreturn]] void refuse() {
    throw CommandFailure::unsupportedFormat();
}

std::uint32_t bigEndian32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

// Walks the chunks of the whole file, as far as IEND, without inflating the image data:
// each must be whole and carry its CRC, the image data must be one run, and after it only
// ancillary chunks may come before IEND. The length of the PLTE (libpng refuses a second
// one before the image data, and this walk one after it), 0 without one.
std::uint32_t checkChunks(std::span<const std::uint8_t> bytes) {
    enum class Stage { beforeImage, inImage, afterImage } stage = Stage::beforeImage;
    std::uint32_t paletteLength = 0;
    for (std::size_t at = sizeof kSignature;;) {
        if (bytes.size() - at < kChunkFrame) refuse();
        const std::uint32_t length = bigEndian32(&bytes[at]);
        if (length > 0x7FFFFFFF || bytes.size() - at - kChunkFrame < length) refuse();
        const std::uint8_t* type = &bytes[at + 4];
        if (crc32(0, type, length + 4) != bigEndian32(type + 4 + length)) refuse();
        at += kChunkFrame + length;
        const std::string_view name(reinterpret_cast<const char*>(type), 4);
        const bool image = name == "IDAT", critical = (type[0] & 0x20) == 0;
        if (name == "IEND") {
            if (stage == Stage::beforeImage || length != 0) refuse();
            return paletteLength;
        }
        if (stage == Stage::inImage && !image) stage = Stage::afterImage;
        if (stage == Stage::afterImage && critical) refuse();
        if (image) stage = Stage::inImage;
        if (name == "PLTE") paletteLength = length;
    }
}

struct Input {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at;
};

struct Header {
    int colourType = -1;
    int count = 0;
    png_color colours[256];
};

// libpng reports every error through this, and it never returns: it jumps back to the
// setjmp of the function that called libpng. Nothing is printed.
[[noreturn]] void jumpBack(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

void readInput(png_structp png, png_bytep out, png_size_t length) {
    auto* input = static_cast<Input*>(png_get_io_ptr(png));
    if (input->size - input->at < length) png_error(png, "truncated");
    std::memcpy(out, input->data + input->at, length);
    input->at += length;
}

// libpng's read up to the image data: signature, IHDR and PLTE, their CRCs and order.
// Its errors jump back to the setjmp here, so this frame owns nothing with a destructor.
// False when libpng refused the file.
bool readHeader(Input* input, Header* header) {
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, jumpBack, ignoreWarning);
    if (!png) throw std::bad_alloc();
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        throw std::bad_alloc();
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, input, readInput);
    // A CRC error in any chunk is damage; ancillary chunks are skipped, not interpreted.
    png_set_crc_action(png, PNG_CRC_ERROR_QUIT, PNG_CRC_ERROR_QUIT);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_read_info(png, info);
    header->colourType = png_get_color_type(png, info);
    png_colorp colours = nullptr;
    if (png_get_PLTE(png, info, &colours, &header->count) == 0) header->count = 0;
    header->count = std::clamp(header->count, 0, 256);
    std::copy_n(colours, header->count, header->colours);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

void writeOutput(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    bool stored = true;
    try {
        out->insert(out->end(), data, data + length);
    } catch (const std::bad_alloc&) {
        stored = false;
    }
    if (!stored) png_error(png, "out of memory");
}

void flushNothing(png_structp) {}

// libpng's write of the palette image into `out`; the same rules as readHeader's frame.
bool writeImage(const png_color* colours, std::vector<std::uint8_t>* out) {
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, jumpBack, ignoreWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, writeOutput, flushNothing);
    png_set_IHDR(png, info, kPaletteImageWidth, kPaletteImageHeight, 8, PNG_COLOR_TYPE_PALETTE,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_PLTE(png, info, colours, kMaxPaletteEntries);
    png_write_info(png, info);
    png_byte row[kPaletteImageWidth];
    for (int x = 0; x < kPaletteImageWidth; ++x) row[x] = static_cast<png_byte>(x);
    for (int y = 0; y < kPaletteImageHeight; ++y) png_write_row(png, row);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool isPng(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= sizeof kSignature &&
           std::equal(std::begin(kSignature), std::end(kSignature), bytes.begin());
}

BitmapColourTable readPngColourTable(std::span<const std::uint8_t> bytes) {
    if (!isPng(bytes)) refuse();
    const std::uint32_t paletteLength = checkChunks(bytes);
    Input input{bytes.data(), bytes.size(), 0};
    Header header;
    if (!readHeader(&input, &header)) refuse();
    // libpng cuts a PLTE longer than the bit depth allows short without a word: such a
    // PLTE is longer than what libpng hands back.
    if (header.colourType != PNG_COLOR_TYPE_PALETTE || header.count < 1 ||
        paletteLength != 3u * static_cast<std::uint32_t>(header.count))
        refuse();
    BitmapColourTable table;
    table.count = header.count;
    for (int i = 0; i < header.count; ++i) {
        const png_color& c = header.colours[i];
        table.entries[i] = RgbQuad{c.blue, c.green, c.red, 0};
    }
    return table;
}

std::vector<std::uint8_t> encodePalettePng(const SystemPaletteSnapshot& snapshot) {
    png_color colours[kMaxPaletteEntries];
    for (int i = 0; i < kMaxPaletteEntries; ++i) {
        const PaletteEntry& e = snapshot.entries[i];
        colours[i] = png_color{e.red, e.green, e.blue};
    }
    std::vector<std::uint8_t> bytes;
    if (!writeImage(colours, &bytes)) throw std::bad_alloc();
    return bytes;
}

}  // namespace vexa
