// make_app_icons OUTDIR SIZE...: writes the program's icon into OUTDIR in the layout of the
// hicolor icon theme: SIZExSIZE/apps/vexa.png for each size and scalable/apps/vexa.svg. Every file
// is drawn from the same shapes (icon_artwork.h). Runs at build time.
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ui/icon_artwork.h"

namespace {

void putBe32(std::vector<unsigned char>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back((value >> shift) & 0xFF);
}

void putChunk(std::vector<unsigned char>& out, const char* type,
              const std::vector<unsigned char>& data) {
    putBe32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    putBe32(out, static_cast<std::uint32_t>(
                     crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

// An 8-bit RGBA PNG, each row filtered with "none", compressed with zlib.
std::vector<unsigned char> encodePng(const vexa::IconPicture& picture) {
    std::vector<unsigned char> raw;
    const std::size_t stride = static_cast<std::size_t>(picture.width) * 4;
    for (int y = 0; y < picture.height; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), picture.rgba.begin() + y * stride,
                   picture.rgba.begin() + (y + 1) * stride);
    }
    uLongf packedSize = compressBound(raw.size());
    std::vector<unsigned char> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), raw.size(), Z_BEST_COMPRESSION) != Z_OK)
        return {};
    packed.resize(packedSize);

    std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> header;
    putBe32(header, static_cast<std::uint32_t>(picture.width));
    putBe32(header, static_cast<std::uint32_t>(picture.height));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // depth 8, RGBA, deflate, no interlace
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", packed);
    putChunk(png, "IEND", {});
    return png;
}

bool writeFile(const std::filesystem::path& path, const void* data, std::size_t size) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(out.flush());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_app_icons OUTDIR SIZE...\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        const std::optional<vexa::IconPicture> picture = vexa::drawAppIcon(size);
        const std::vector<unsigned char> png =
            picture ? encodePng(*picture) : std::vector<unsigned char>{};
        const std::string name = std::to_string(size) + "x" + std::to_string(size);
        if (png.empty() || !writeFile(folder / name / "apps/vexa.png", png.data(), png.size())) {
            std::fprintf(stderr, "make_app_icons: cannot write the %s icon\n", name.c_str());
            return 1;
        }
    }
    const std::string svg = vexa::appIconSvg();
    if (!writeFile(folder / "scalable/apps/vexa.svg", svg.data(), svg.size())) {
        std::fprintf(stderr, "make_app_icons: cannot write the scalable icon\n");
        return 1;
    }
    return 0;
}
