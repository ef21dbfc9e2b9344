#include "palette/recording_gif.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <exception>
#include <new>
#include <optional>
#include <vector>

namespace vexa {
namespace {

using Clock = std::chrono::system_clock;
constexpr int kLongestDelay = 65535;  // centiseconds: the field has 16 bits

// giflib writes in small pieces; they are gathered here and passed on in large ones. A
// failure of the sink cannot travel through giflib's C frames: it is kept and rethrown.
struct Output {
    ByteSink sink;
    std::vector<std::uint8_t> pending;
    std::exception_ptr failure;
    bool abandoned = false;  // the file is not finished: nothing more goes to the sink

    bool flush() {
        if (failure || abandoned) return false;
        try {
            if (!pending.empty()) sink(pending);
            pending.clear();
        } catch (...) {
            failure = std::current_exception();
        }
        return !failure;
    }
};

int writeOutput(GifFileType* gif, const GifByteType* data, int length) {
    auto* out = static_cast<Output*>(gif->UserData);
    try {
        out->pending.insert(out->pending.end(), data, data + length);
    } catch (...) {
        out->failure = std::current_exception();
        return 0;  // giflib takes a short write as a failure
    }
    return out->pending.size() < (1u << 16) || out->flush() ? length : 0;
}

class GifRecording : public RecordingEncoder {
  public:
    explicit GifRecording(ByteSink sink) : out_{std::move(sink), {}, {}} {
        for (int y = 0; y < kRecordingFrameSide; ++y)
            for (int x = 0; x < kRecordingFrameSide; ++x)
                grid_.push_back(
                    static_cast<GifPixelType>(y / kRecordingSwatch * 16 + x / kRecordingSwatch));
        int error = 0;
        gif_ = EGifOpen(&out_, writeOutput, &error);
        if (!gif_) throw std::bad_alloc();
        EGifSetGifVersion(gif_, true);
    }
    ~GifRecording() override {
        if (!gif_) return;
        out_.abandoned = true;
        int error = 0;
        EGifCloseFile(gif_, &error);
    }

    void add(const PaletteChange& state) override {
        if (!pending_) {
            origin_ = state.time;
            begin(state.palette);
        } else if (state.time - pending_->time >= kShortestFrame) {
            putFrame(*pending_, state.time);
        } else {
            pending_->palette = state.palette;  // merged: the frame starts as it did
            return;
        }
        pending_ = state;
    }

    void finish(Clock::time_point end) override {
        if (!pending_)
            begin(SystemPaletteSnapshot{});
        else
            putFrame(*pending_, std::max(end, pending_->time + kShortestFrame));
        GifFileType* gif = gif_;
        gif_ = nullptr;
        int error = 0;
        check(EGifCloseFile(gif, &error) == GIF_OK);
        check(out_.flush());
    }

  private:
    void check(bool written) {
        if (out_.failure) std::rethrow_exception(out_.failure);
        if (!written) throw std::bad_alloc();
    }

    static ColorMapObject* mapOf(const SystemPaletteSnapshot& palette) {
        GifColorType colours[kMaxPaletteEntries];
        for (int i = 0; i < kMaxPaletteEntries; ++i) {
            const PaletteEntry& e = palette.entries[i];
            colours[i] = GifColorType{e.red, e.green, e.blue};
        }
        ColorMapObject* map = GifMakeMapObject(kMaxPaletteEntries, colours);
        if (!map) throw std::bad_alloc();
        return map;
    }

    // The screen with the first colours as its global table, and the loop for ever.
    void begin(const SystemPaletteSnapshot& first) {
        ColorMapObject* map = mapOf(first);
        const bool written =
            EGifPutScreenDesc(gif_, kRecordingFrameSide, kRecordingFrameSide, 8, 0, map) == GIF_OK;
        GifFreeMapObject(map);
        static const GifByteType kLoop[3] = {1, 0, 0};  // sub-block 1: loop count 0, for ever
        check(written && EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
              EGifPutExtensionBlock(gif_, 11, "NETSCAPE2.0") == GIF_OK &&
              EGifPutExtensionBlock(gif_, sizeof kLoop, kLoop) == GIF_OK &&
              EGifPutExtensionTrailer(gif_) == GIF_OK);
    }

    // Centiseconds from the first state to `time`, rounded down: the delays add up to the
    // real time however it is divided.
    long long centiseconds(Clock::time_point time) const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(time - origin_).count() / 10;
    }

    // The frame of `state`, shown until `until`: several when that is longer than one
    // frame's delay can be.
    void putFrame(const PaletteChange& state, Clock::time_point until) {
        long long remaining = centiseconds(until) - shown_;
        do {
            const int delay = static_cast<int>(std::min<long long>(remaining, kLongestDelay));
            putImage(state.palette, delay);
            shown_ += delay;
            remaining -= delay;
        } while (remaining > 0);
    }

    // The swatches whose colour differs from the frame before, as a rectangle of the
    // grid in swatches (left, top, right, bottom, the last two past the end); one swatch
    // when none does, as a frame there must be.
    std::array<int, 4> changedSwatches(const SystemPaletteSnapshot& palette) const {
        if (!shownPalette_) return {0, 0, 16, 16};
        std::array<int, 4> box{16, 16, 0, 0};
        for (int i = 0; i < kMaxPaletteEntries; ++i) {
            const PaletteEntry &a = shownPalette_->entries[i], &b = palette.entries[i];
            if (a.red == b.red && a.green == b.green && a.blue == b.blue) continue;
            box = {std::min(box[0], i % 16), std::min(box[1], i / 16), std::max(box[2], i % 16 + 1),
                   std::max(box[3], i / 16 + 1)};
        }
        return box[2] ? box : std::array<int, 4>{0, 0, 1, 1};
    }

    // A frame drawn over the one before (which stays): only the swatches that changed,
    // with all the colours of the moment as its table.
    void putImage(const SystemPaletteSnapshot& palette, int delay) {
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSE_DO_NOT;
        control.DelayTime = delay;
        control.TransparentColor = NO_TRANSPARENT_COLOR;
        GifByteType extension[4];
        const std::size_t length = EGifGCBToExtension(&control, extension);
        const auto box = changedSwatches(palette);
        const int left = box[0] * kRecordingSwatch, top = box[1] * kRecordingSwatch;
        const int width = (box[2] - box[0]) * kRecordingSwatch;
        const int height = (box[3] - box[1]) * kRecordingSwatch;
        ColorMapObject* map = mapOf(palette);
        bool written = EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length),
                                        extension) == GIF_OK &&
                       EGifPutImageDesc(gif_, left, top, width, height, false, map) == GIF_OK;
        GifFreeMapObject(map);
        for (int y = top; written && y < top + height; ++y)
            written = EGifPutLine(gif_,
                                  &grid_[static_cast<std::size_t>(y) * kRecordingFrameSide +
                                         static_cast<std::size_t>(left)],
                                  width) == GIF_OK;
        check(written);
        shownPalette_ = palette;
    }

    Output out_;
    GifFileType* gif_ = nullptr;
    std::vector<GifPixelType> grid_;
    std::optional<PaletteChange> pending_;  // the frame not yet written: its end is unknown
    std::optional<SystemPaletteSnapshot> shownPalette_;  // the colours of the last frame
    Clock::time_point origin_;
    long long shown_ = 0;  // centiseconds of the frames written
};

}  // namespace

std::unique_ptr<RecordingEncoder> makeGifRecording(ByteSink sink) {
    return std::make_unique<GifRecording>(std::move(sink));
}

}  // namespace vexa
