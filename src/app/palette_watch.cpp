#include "app/palette_watch.h"

#include <poll.h>
#include <signal.h>

#include <ctime>
#include <optional>

#include "base/command_failure.h"
#include "base/end_signals.h"
#include "palette/palette_listing.h"
#include "palette/palette_model.h"

namespace vexa {

void followPalette(const PaletteModel& model,
                   const std::function<bool(const PaletteChange&)>& onChange, int stopFd,
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
                                                    last->palette, change.palette);
                if (std::fwrite(line.data(), 1, line.size(), out) != line.size() ||
                    std::fflush(out) != 0)
                    throw CommandFailure(FileErrorKind::generalError, std::nullopt);
            }
            last = change;
            return true;
        },
        endSignalFd(), kWatchInterval);
    // Interrupted as a watching command is: by the signal, as before it was caught.
    if (const int signal = takeEndSignal()) {
        ::signal(signal, SIG_DFL);
        ::raise(signal);
    }
}

}  // namespace vexa
