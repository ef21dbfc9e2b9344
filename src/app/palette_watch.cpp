#include "app/palette_watch.h"

#include <poll.h>

#include <cerrno>
#include <ctime>
#include <optional>
#include <system_error>

#include "base/command_failure.h"
#include "base/end_signals.h"
#include "palette/palette_listing.h"
#include "palette/palette_model.h"

namespace vexa {

namespace {

using ChangeHandler = std::function<bool(const PaletteChange&)>;

// How long the display may stay silent before it is nudged to pass on what it kept back:
// the longest a change can wait to be told, and on an idle screen the only wake-up.
constexpr int kNudgeAfterMs = 2000;

// Sleeps in poll() until the display tells of something or `stopFd` is readable.
void followEvents(PaletteEvents& events, const ChangeHandler& onChange, int stopFd) {
    if (!onChange({std::chrono::system_clock::now(), events.startPalette(), {}})) return;
    const auto onState = [&](const SystemPaletteSnapshot& palette, const std::string& author) {
        return onChange({std::chrono::system_clock::now(), palette, author});
    };
    for (;;) {
        pollfd ready[2] = {{stopFd, POLLIN, 0}, {events.readyFd(), POLLIN, 0}};
        const bool stoppable = stopFd >= 0;
        const int count = ::poll(stoppable ? ready : ready + 1, stoppable ? 2 : 1, kNudgeAfterMs);
        if (count < 0) {
            if (errno == EINTR) continue;
            throw std::system_error(errno, std::generic_category(), "poll");
        }
        if (count == 0) {
            events.nudge();
            continue;
        }
        if (stoppable && ready[0].revents) return;
        if (!events.takeArrived(onState)) return;
    }
}

void pollPalette(const PaletteModel& model, const ChangeHandler& onChange, int stopFd,
                 std::chrono::milliseconds interval) {
    PaletteChange state{std::chrono::system_clock::now(), model.readSystemPalette(), {}};
    if (!onChange(state)) return;
    for (;;) {
        pollfd stop{stopFd, POLLIN, 0};
        if (::poll(&stop, stopFd >= 0 ? 1 : 0, static_cast<int>(interval.count())) > 0) return;
        PaletteChange now{std::chrono::system_clock::now(), model.readSystemPalette(), {}};
        if (now.palette.entries == state.palette.entries) continue;
        state = std::move(now);
        if (!onChange(state)) return;
    }
}

}  // namespace

void followPalette(const PaletteModel& model, const ChangeHandler& onChange, int stopFd,
                   std::chrono::milliseconds interval) {
    if (const std::unique_ptr<PaletteEvents> events = model.followPaletteEvents())
        followEvents(*events, onChange, stopFd);
    else
        pollPalette(model, onChange, stopFd, interval);
}

std::string timeForWatch(std::chrono::system_clock::time_point time) {
    using namespace std::chrono;
    const std::time_t seconds = system_clock::to_time_t(time);
    std::tm local{};
    if (!::localtime_r(&seconds, &local)) return "??:??:??.???";
    const auto millis = duration_cast<milliseconds>(time.time_since_epoch()).count() % 1000;
    return watchTime(local, static_cast<int>(millis < 0 ? millis + 1000 : millis));
}

void watchPalette(const PaletteModel& model, std::FILE* out) {
    watchEndSignals();
    std::optional<PaletteChange> last;
    followPalette(
        model,
        [&](const PaletteChange& change) {
            if (last) {
                const std::string line = changeLine(timeForWatch(change.time), model.entryCount(),
                                                    last->palette, change.palette, change.author);
                if (std::fwrite(line.data(), 1, line.size(), out) != line.size() ||
                    std::fflush(out) != 0)
                    throw CommandFailure(FileErrorKind::generalError, std::nullopt);
            }
            last = change;
            return true;
        },
        endSignalFd(), kWatchInterval);
    // Interrupted as a watching command is: by the signal, as before it was caught.
    if (const int signal = takeEndSignal()) endAsSignalled(signal);
}

}  // namespace vexa
