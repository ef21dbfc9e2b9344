#include "palette/recording_formats.h"

#include <optional>
#include <utility>

#include "palette/palette_listing.h"
#include "palette/recording_gif.h"
#include "palette/recording_png.h"
#include "platform/file_name_rules.h"

namespace vexa {
namespace {

// A palette whose every entry differs from that of `palette`: the first line of the text
// lists them all.
SystemPaletteSnapshot unlike(const SystemPaletteSnapshot& palette) {
    SystemPaletteSnapshot other = palette;
    for (PaletteEntry& e : other.entries) e.red = static_cast<std::uint8_t>(~e.red);
    return other;
}

class TextRecording : public RecordingEncoder {
  public:
    TextRecording(int entryCount, ByteSink sink, TimeText timeText)
        : entryCount_(entryCount), sink_(std::move(sink)), timeText_(std::move(timeText)) {}

    void add(const PaletteChange& state) override {
        const std::string line =
            changeLine(timeText_(state.time), entryCount_, last_ ? *last_ : unlike(state.palette),
                       state.palette, state.author);
        sink_(std::span(reinterpret_cast<const std::uint8_t*>(line.data()), line.size()));
        last_ = state.palette;
    }
    void finish(std::chrono::system_clock::time_point) override {}

  private:
    int entryCount_;
    ByteSink sink_;
    TimeText timeText_;
    std::optional<SystemPaletteSnapshot> last_;
};

}  // namespace

std::optional<RecordingFormat> recordingFormatFor(std::string_view path) {
    const std::string name(path);
    if (hasExtension(name, "gif")) return RecordingFormat::gif;
    if (hasExtension(name, "png")) return RecordingFormat::png;
    if (hasExtension(name, "txt")) return RecordingFormat::text;
    return std::nullopt;
}

std::unique_ptr<RecordingEncoder> makeTextRecording(int entryCount, ByteSink sink,
                                                    TimeText timeText) {
    return std::make_unique<TextRecording>(entryCount, std::move(sink), std::move(timeText));
}

std::unique_ptr<RecordingEncoder> makeRecordingEncoder(RecordingFormat format,
                                                       std::size_t stateCount, int entryCount,
                                                       ByteSink sink, TimeText timeText) {
    switch (format) {
        case RecordingFormat::gif:
            return makeGifRecording(std::move(sink));
        case RecordingFormat::png:
            return makePngTimeline(stateCount, std::move(sink));
        case RecordingFormat::text:
            break;
    }
    return makeTextRecording(entryCount, std::move(sink), std::move(timeText));
}

}  // namespace vexa
