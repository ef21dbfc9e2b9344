// A Display for unit tests: a hardware palette in memory, switches for every failure the
// display can report, and a log of the calls that matter for ordering checks.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "palette_io/command_failure.h"
#include "platform/display.h"

namespace vexa::testing {

class FakeDisplay : public Display {
  public:
    // Probe results.
    bool infoAvailable = true;
    bool paletteBased = true;
    int paletteSize = 256;
    // What the system palette read reports: entries copied, 0 for a display without palette.
    int reportedEntries = 256;
    bool screenUnreachable = false;
    bool paletteCreationFails = false;

    std::array<PaletteEntry, kMaxPaletteEntries> hardware{};
    ColorRef pixel = 0;

    std::vector<std::string> calls;
    int liveInfoContexts = 0;
    int paletteReads = 0;
    LogicalPalette lastCreated{};
    LogicalPalette lastRealised{};

    FakeDisplay() {
        for (int i = 0; i < kMaxPaletteEntries; ++i)
            hardware[i] =
                PaletteEntry{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                             static_cast<std::uint8_t>(i * 7), 0};
    }

    std::unique_ptr<DisplayInfo> openInfo() override {
        calls.push_back("openInfo");
        if (!infoAvailable) return nullptr;
        return std::make_unique<Info>(*this);
    }

    int readSystemPaletteEntries(int start, int count, PaletteEntry* out) override {
        calls.push_back("readSystemPalette");
        ++paletteReads;
        if (screenUnreachable) throw CommandFailure::resourceUnavailable();
        int copied = 0;
        for (int i = start; i < start + count && i < reportedEntries; ++i, ++copied)
            out[copied] = hardware[i];
        return copied;
    }

    std::unique_ptr<PaletteObject> createPalette(const LogicalPalette& palette) override {
        calls.push_back("createPalette");
        if (paletteCreationFails) return nullptr;
        lastCreated = palette;
        return std::make_unique<Palette>(palette);
    }

    // Like a 256-entry hardware palette with twenty static colours: the first and last
    // ten entries keep theirs.
    void realisePalette(const PaletteObject& palette) override {
        calls.push_back("realisePalette");
        if (screenUnreachable) throw CommandFailure::resourceUnavailable();
        const auto& record = static_cast<const Palette&>(palette).record;
        lastRealised = record;
        for (int i = 10; i < record.count && i < kMaxPaletteEntries - 10; ++i) {
            const PaletteEntry& e = record.entries[i];
            hardware[i] = PaletteEntry{e.red, e.green, e.blue, 0};
        }
    }

    ColorRef screenPixel(int, int) override {
        if (screenUnreachable) throw CommandFailure::resourceUnavailable();
        return pixel;
    }

  private:
    class Info : public DisplayInfo {
      public:
        explicit Info(FakeDisplay& display) : display_(display) { ++display_.liveInfoContexts; }
        ~Info() override {
            --display_.liveInfoContexts;
            display_.calls.push_back("releaseInfo");
        }
        bool paletteBased() const override { return display_.paletteBased; }
        int paletteSize() const override { return display_.paletteSize; }

      private:
        FakeDisplay& display_;
    };

    struct Palette : PaletteObject {
        explicit Palette(const LogicalPalette& p) : record(p) {}
        LogicalPalette record;
    };
};

}  // namespace vexa::testing
