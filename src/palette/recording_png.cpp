#include "palette/recording_png.h"

#include <png.h>

#include <algorithm>
#include <exception>
#include <new>
#include <stdexcept>
#include <vector>

namespace vexa {
namespace {

[[noreturn]] void jumpBack(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

class PngTimeline;
void writeOutput(png_structp png, png_bytep data, png_size_t length);
void flushNothing(png_structp) {}

// libpng reports its errors by a jump back to the setjmp of the call into it, so each call
// goes through a frame of its own that owns nothing with a destructor; a failure of the
// sink is kept, and rethrown once libpng is out of the way.
class PngTimeline : public RecordingEncoder {
  public:
    PngTimeline(std::size_t rows, ByteSink sink)
        : sink_(std::move(sink)),
          rows_(std::max<std::size_t>(rows, 1)),
          row_(static_cast<std::size_t>(kTimelineWidth) * 3) {
        if (rows_ > PNG_UINT_31_MAX) throw std::length_error("too many states for one image");
        png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, jumpBack, ignoreWarning);
        if (png_) info_ = png_create_info_struct(png_);
        if (!info_) throw std::bad_alloc();
        check(start());
    }

    void add(const PaletteChange& state) override {
        if (written_ == rows_) return;
        for (int i = 0; i < kMaxPaletteEntries; ++i) {
            const PaletteEntry& e = state.palette.entries[i];
            for (int x = 0; x < kTimelineBand; ++x) {
                png_byte* pixel = &row_[(static_cast<std::size_t>(i) * kTimelineBand + x) * 3];
                pixel[0] = e.red, pixel[1] = e.green, pixel[2] = e.blue;
            }
        }
        check(putRow());
        ++written_;
    }

    void finish(std::chrono::system_clock::time_point) override {
        for (; written_ < rows_; ++written_) check(putRow());
        check(end());
    }

    void take(png_bytep data, png_size_t length) {
        try {
            sink_(std::span<const std::uint8_t>(data, length));
        } catch (...) {
            failure_ = std::current_exception();
        }
        // Out of the handler before the jump.
        if (failure_) png_error(png_, "write failed");
    }

  private:
    void check(bool written) {
        if (failure_) std::rethrow_exception(failure_);
        if (!written) throw std::bad_alloc();
    }

    bool start() {
        if (setjmp(png_jmpbuf(png_))) return false;
        png_set_write_fn(png_, this, writeOutput, flushNothing);
        // A long recording is a tall image: past libpng's usual limit of a million rows.
        png_set_user_limits(png_, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
        png_set_IHDR(png_, info_, kTimelineWidth, static_cast<png_uint_32>(rows_), 8,
                     PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png_, info_);
        return true;
    }
    bool putRow() {
        if (setjmp(png_jmpbuf(png_))) return false;
        png_write_row(png_, row_.data());
        return true;
    }
    bool end() {
        if (setjmp(png_jmpbuf(png_))) return false;
        png_write_end(png_, nullptr);
        return true;
    }

    ByteSink sink_;
    std::size_t rows_, written_ = 0;
    std::vector<png_byte> row_;  // the last state's row, which also fills any rows missing
    // Freed however the encoder ends, the constructor's failures too.
    struct Writer {
        png_structp png = nullptr;
        png_infop info = nullptr;
        ~Writer() { png_destroy_write_struct(&png, &info); }
    } writer_;
    png_structp& png_ = writer_.png;
    png_infop& info_ = writer_.info;
    std::exception_ptr failure_;
};

void writeOutput(png_structp png, png_bytep data, png_size_t length) {
    static_cast<PngTimeline*>(png_get_io_ptr(png))->take(data, length);
}

}  // namespace

std::unique_ptr<RecordingEncoder> makePngTimeline(std::size_t rows, ByteSink sink) {
    return std::make_unique<PngTimeline>(rows, std::move(sink));
}

}  // namespace vexa
