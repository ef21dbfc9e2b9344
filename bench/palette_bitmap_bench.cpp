// The palette bitmap codec on memory: building the 9270-byte image from a snapshot and
// reading the colour table back, the work of one Save As and one Open without the disk.
#include <benchmark/benchmark.h>

#include "palette/palette_bitmap.h"

namespace vexa {
namespace {

SystemPaletteSnapshot sampleSnapshot() {
    SystemPaletteSnapshot s{};
    s.count = 256;
    for (int i = 0; i < 256; ++i)
        s.entries[i] = PaletteEntry{std::uint8_t(i), std::uint8_t(i * 3), std::uint8_t(255 - i), 0};
    return s;
}

void BM_BuildPaletteImage(benchmark::State& state) {
    const SystemPaletteSnapshot snapshot = sampleSnapshot();
    for (auto _ : state) benchmark::DoNotOptimize(buildPaletteImage(snapshot));
}
BENCHMARK(BM_BuildPaletteImage);

void BM_ReadAndBuildLoadedPalette(benchmark::State& state) {
    const SystemPaletteSnapshot snapshot = sampleSnapshot();
    const std::vector<std::uint8_t> image = buildPaletteImage(snapshot);
    for (auto _ : state)
        benchmark::DoNotOptimize(buildLoadedPalette(readBitmapColourTable(image), snapshot));
}
BENCHMARK(BM_ReadAndBuildLoadedPalette);

}  // namespace
}  // namespace vexa
