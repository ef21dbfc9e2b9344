#include "app/record_command.h"

#include <poll.h>
#include <sys/epoll.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "app/palette_watch.h"
#include "base/command_failure.h"
#include "base/console.h"
#include "base/end_signals.h"
#include "base/file_io.h"
#include "palette/palette_model.h"
#include "palette/recording_formats.h"
#include "palette/state_spool.h"

namespace vexa {
namespace {

constexpr double kLongestDuration = 1e9;  // seconds

// A descriptor that becomes readable when an end signal comes or the duration has passed:
// the signal pipe itself, or both it and a timer behind one epoll descriptor.
class RecordingEnd {
  public:
    explicit RecordingEnd(std::chrono::nanoseconds duration) {
        watchEndSignals();
        fd_ = endSignalFd();
        if (duration.count() <= 0) return;
        epoll_ = ::epoll_create1(EPOLL_CLOEXEC);
        timer_ = ::timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC);
        itimerspec expiry{};
        expiry.it_value.tv_sec = static_cast<time_t>(duration.count() / 1'000'000'000);
        expiry.it_value.tv_nsec = static_cast<long>(duration.count() % 1'000'000'000);
        epoll_event timer{EPOLLIN, {}}, signal{EPOLLIN, {}};
        if (epoll_ < 0 || timer_ < 0 || ::timerfd_settime(timer_, 0, &expiry, nullptr) != 0 ||
            ::epoll_ctl(epoll_, EPOLL_CTL_ADD, timer_, &timer) != 0 ||
            (fd_ >= 0 && ::epoll_ctl(epoll_, EPOLL_CTL_ADD, fd_, &signal) != 0)) {
            const int error = errno;
            close();
            throw CommandFailure::fromErrno(error, std::nullopt);
        }
        fd_ = epoll_;
    }
    ~RecordingEnd() { close(); }
    RecordingEnd(const RecordingEnd&) = delete;
    RecordingEnd& operator=(const RecordingEnd&) = delete;

    int fd() const { return fd_; }

  private:
    void close() {
        if (timer_ >= 0) ::close(timer_);
        if (epoll_ >= 0) ::close(epoll_);
        timer_ = epoll_ = -1;
    }

    int fd_ = -1, epoll_ = -1, timer_ = -1;
};

// The count that a terminal shows, in place.
class Progress {
  public:
    explicit Progress(std::FILE* stream)
        : stream_(stream), shown_(stream && ::isatty(::fileno(stream))) {}
    // A line left open (a failure ends the command) is ended before the message comes.
    ~Progress() {
        if (open_) std::fputc('\n', stream_);
    }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // `throttled`: a few times a second at most, for a count that runs fast and ends in a
    // line of its own; otherwise every one, so that the terminal never lags behind.
    void show(const std::string& text, bool throttled = false) {
        const auto now = std::chrono::steady_clock::now();
        if (!shown_ || (throttled && now - last_ < std::chrono::milliseconds(100))) return;
        last_ = now;
        open_ = sayInPlace(stream_, text, false);
    }
    // The last line: on a terminal in place of the count, elsewhere only when `always`.
    void end(const std::string& text, bool always = false) {
        if (shown_)
            sayInPlace(stream_, text, true);
        else if (always && stream_)
            sayTo(stream_, text);
        open_ = false;
    }

  private:
    std::FILE* stream_;
    bool shown_;
    bool open_ = false;
    std::chrono::steady_clock::time_point last_{};
};

std::string states(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " state" : " states");
}

// A signal that came while the file was being written.
struct Interrupted {
    int signal;
};

void checkInterrupt() {
    pollfd pipe{endSignalFd(), POLLIN, 0};
    if (pipe.fd >= 0 && ::poll(&pipe, 1, 0) > 0)
        if (const int signal = takeEndSignal()) throw Interrupted{signal};
}

// Writes the spooled states into `file` through the encoder of `format`.
void writeRecording(RecordingFormat format, StateSpool& spool, int entryCount,
                    std::chrono::system_clock::time_point end, SaveFile& file, Progress& progress) {
    std::vector<std::uint8_t> pending;
    auto sink = [&](std::span<const std::uint8_t> bytes) {
        pending.insert(pending.end(), bytes.begin(), bytes.end());
        if (pending.size() < (1u << 16)) return;
        file.write(pending);
        pending.clear();
    };
    const auto encoder = makeRecordingEncoder(format, spool.size(), entryCount, sink, timeForWatch);
    spool.forEach([&](std::size_t index, const PaletteChange& state) {
        encoder->add(state);
        if (index % 64 == 0) checkInterrupt();
        progress.show("Writing " + file.path() + ": " + std::to_string(index + 1) + " of " +
                          states(spool.size()),
                      true);
    });
    encoder->finish(end);
    file.write(pending);
    file.commit();
}

}  // namespace

std::optional<std::chrono::nanoseconds> parseDuration(std::string_view text) {
    const std::size_t digits = text.find_first_not_of("0123456789");
    const std::string_view fraction =
        digits == std::string_view::npos ? std::string_view() : text.substr(digits);
    if (digits == 0 || text.empty() ||
        (!fraction.empty() && (fraction.size() < 2 || fraction[0] != '.' ||
                               fraction.find_first_not_of("0123456789", 1) != fraction.npos)))
        return std::nullopt;
    double seconds = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (error != std::errc() || end != text.data() + text.size() || !(seconds <= kLongestDuration))
        return std::nullopt;
    const std::chrono::nanoseconds duration(std::llround(seconds * 1e9));
    if (duration.count() <= 0) return std::nullopt;
    return duration;
}

void recordPalette(const PaletteModel& model, const std::string& path,
                   std::chrono::nanoseconds duration, std::FILE* status) {
    const std::optional<RecordingFormat> format = recordingFormatFor(path);
    if (!format) throw std::invalid_argument("no recording format for " + path);
    int signal = 0;
    {
        // The target's folder is tried first: a recording that cannot be kept never starts.
        SaveFile file(path, TemporaryName::unnamed);
        StateSpool spool(temporaryFolder());
        Progress progress(status);
        const RecordingEnd end(duration);
        followPalette(
            model,
            [&](const PaletteChange& change) {
                spool.append(change);
                progress.show("Recording to " + path + ": " + states(spool.size()));
                return true;
            },
            end.fd(), kWatchInterval);
        const auto stopped = std::chrono::system_clock::now();
        takeEndSignal();  // the one that ended the recording, if one did
        try {
            writeRecording(*format, spool, model.entryCount(), stopped, file, progress);
            progress.end("Recorded " + states(spool.size()) + " to " + path + ".");
        } catch (const Interrupted& interrupted) {
            signal = interrupted.signal;
            progress.end("Writing " + path + " was interrupted; it was not written.", true);
        }
    }
    if (signal) endAsSignalled(signal);
}

}  // namespace vexa
