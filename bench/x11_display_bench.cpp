// What one readout step costs on a real X server: a screen pixel (one per mouse message)
// and a 256-entry system palette read (when the pointer is off the grid). Run it against an
// 8-bit server: tests/support/with-xvfb build/bench/bench_x11_display
#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>

#include "platform/x11/x11_display.h"

namespace {

::Display* connection() {
    static ::Display* display = XOpenDisplay(nullptr);
    return display;
}

void screenPixel(benchmark::State& state) {
    vexa::X11Display display(connection());
    int x = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(display.screenPixel(x, 100));
        x = (x + 1) % 512;
    }
}
BENCHMARK(screenPixel);

void readSystemPalette(benchmark::State& state) {
    vexa::X11Display display(connection());
    std::array<vexa::PaletteEntry, 256> entries{};
    for (auto _ : state)
        benchmark::DoNotOptimize(display.readSystemPaletteEntries(0, 256, entries.data()));
}
BENCHMARK(readSystemPalette);

}  // namespace

int main(int argc, char** argv) {
    if (!connection()) {
        std::fprintf(stderr, "bench_x11_display: cannot open the display\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
