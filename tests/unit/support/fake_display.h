// A DisplayDevice for unit tests: a hardware palette in memory, switches for the failures a
// display can report, and a log of calls for checking their order.
#pragma once

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "base/command_failure.h"
#include "platform/display.h"

namespace vexa::testing {

class FakeDisplay : public DisplayDevice {
  public:
    bool infoAvailable = true, paletteBased = true, screenUnreachable = false,
         paletteCreationFails = false;
    int paletteSize = 256, reportedEntries = 256;
    std::array<PaletteEntry, kMaxPaletteEntries> hardware{};
    std::vector<std::string> calls;
    LogicalPalette lastRealised{};

    explicit FakeDisplay(std::uint8_t seed = 0) {
        for (int i = 0; i < kMaxPaletteEntries; ++i)
            hardware[i] = PaletteEntry{std::uint8_t(i + seed), std::uint8_t(255 - i),
                                       std::uint8_t(i * 7 + seed), 0};
    }
    int count(const std::string& call) const { return int(std::ranges::count(calls, call)); }

    std::unique_ptr<DisplayInfo> openInfo() override {
        calls.push_back("openInfo");
        return infoAvailable ? std::make_unique<Info>(*this) : nullptr;
    }
    int readSystemPaletteEntries(int start, int n, PaletteEntry* out) override {
        calls.push_back("read");
        if (screenUnreachable) throw CommandFailure::resourceUnavailable();
        int copied = 0;
        for (int i = start; i < start + n && i < reportedEntries; ++i) out[copied++] = hardware[i];
        return copied;
    }
    std::unique_ptr<PaletteObject> createPalette(const LogicalPalette& p) override {
        calls.push_back("create");
        return paletteCreationFails ? nullptr : std::make_unique<Palette>(p);
    }
    // The first and last ten entries are static colours that keep their values.
    void realisePalette(const PaletteObject& object) override {
        calls.push_back("realise");
        if (screenUnreachable) throw CommandFailure::resourceUnavailable();
        lastRealised = static_cast<const Palette&>(object).record;
        for (int i = 10; i < lastRealised.count && i < 246; ++i)
            hardware[i] = {lastRealised.entries[i].red, lastRealised.entries[i].green,
                           lastRealised.entries[i].blue, 0};
    }
    ColorRef screenPixel(int, int) override { return 0; }

  private:
    struct Info : DisplayInfo {
        explicit Info(FakeDisplay& display) : d(display) {}
        ~Info() override { d.calls.push_back("releaseInfo"); }
        bool paletteBased() const override { return d.paletteBased; }
        int paletteSize() const override { return d.paletteSize; }
        FakeDisplay& d;
    };
    struct Palette : PaletteObject {
        explicit Palette(const LogicalPalette& p) : record(p) {}
        LogicalPalette record;
    };
};

}  // namespace vexa::testing
