#include "pillow.h"

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace vexa::testing {
namespace {

constexpr const char* kPython = "/usr/bin/python3";

// One line per file: "error", or mode, width, height, palette and pixels (hex, "-" for none).
constexpr const char* kScript = R"(
import sys
try:
    from PIL import Image
except ImportError:
    print("absent")
    sys.exit()
for path in sys.argv[1:]:
    try:
        im = Image.open(path)
        im.load()
        indexed = im.mode == "P"
        palette = bytes(im.getpalette()).hex() if indexed else "-"
        pixels = im.tobytes().hex() if indexed else "-"
        print(im.mode, im.width, im.height, palette or "-", pixels or "-")
    except Exception:
        print("error")
)";

// One line per frame: width, height, duration, loop and the RGB pixels in hex.
constexpr const char* kFramesScript = R"(
import sys
try:
    from PIL import Image, ImageSequence
except ImportError:
    print("absent")
    sys.exit()
try:
    im = Image.open(sys.argv[1])
    for frame in ImageSequence.Iterator(im):
        rgb = frame.convert("RGB")
        print(rgb.width, rgb.height, frame.info.get("duration", 0), im.info.get("loop", -1),
              rgb.tobytes().hex() or "-")
except Exception:
    pass
)";

std::optional<std::string> outputOf(const std::vector<std::string>& arguments) {
    int out[2];
    if (::access(kPython, X_OK) != 0 || ::pipe(out) != 0) return std::nullopt;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        std::vector<char*> argv;
        for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(kPython, argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    std::string text;
    char buffer[65536];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
    ::close(out[0]);
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return std::nullopt;
    return text;
}

std::vector<std::uint8_t> fromHex(const std::string& hex) {
    std::vector<std::uint8_t> bytes;
    if (hex == "-") return bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(std::uint8_t(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

}  // namespace

std::optional<std::vector<PillowFrame>> readFramesWithPillow(const std::string& path) {
    const std::optional<std::string> output = outputOf({kPython, "-c", kFramesScript, path});
    if (!output || output->rfind("absent", 0) == 0) return std::nullopt;
    std::istringstream lines(*output);
    std::vector<PillowFrame> frames;
    for (std::string line; std::getline(lines, line);) {
        PillowFrame frame;
        std::istringstream fields(line);
        std::string pixels;
        if (!(fields >> frame.width >> frame.height >> frame.duration >> frame.loop >> pixels))
            return std::vector<PillowFrame>{};
        frame.rgb = fromHex(pixels);
        frames.push_back(std::move(frame));
    }
    return frames;
}

std::optional<std::vector<PillowImage>> readWithPillow(const std::vector<std::string>& paths) {
    std::vector<std::string> arguments{kPython, "-c", kScript};
    arguments.insert(arguments.end(), paths.begin(), paths.end());
    const std::optional<std::string> output = outputOf(arguments);
    if (!output || output->rfind("absent", 0) == 0) return std::nullopt;
    std::istringstream lines(*output);
    std::vector<PillowImage> images;
    for (std::string line; std::getline(lines, line);) {
        PillowImage image;
        std::istringstream fields(line);
        std::string palette, pixels;
        if (fields >> image.mode >> image.width >> image.height >> palette >> pixels) {
            image.read = true;
            image.palette = fromHex(palette);
            image.pixels = fromHex(pixels);
        }
        images.push_back(image);
    }
    return images;
}

std::optional<std::vector<PillowImage>> readWithPillow(
    const std::vector<std::vector<std::uint8_t>>& files) {
    char folder[] = "/tmp/vexa-pillow-XXXXXX";
    if (!::mkdtemp(folder)) return std::nullopt;
    std::vector<std::string> paths;
    for (const auto& bytes : files) {
        paths.push_back(std::string(folder) + "/" + std::to_string(paths.size()));
        std::ofstream(paths.back(), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    auto images = readWithPillow(paths);
    std::filesystem::remove_all(folder);
    return images;
}

}  // namespace vexa::testing
