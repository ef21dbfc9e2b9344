#include "palette/recording_formats.h"

#include <gtest/gtest.h>

#include "base/command_failure.h"
#include "palette/recording_gif.h"
#include "palette/recording_png.h"
#include "palette/state_spool.h"
#include "pillow.h"
#include "support/temp_dir.h"

namespace vexa {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::system_clock;
const Clock::time_point kStart = Clock::time_point(1'700'000'000s);

// A state `at` after the start: every entry i coloured (i, tone, 255 - i).
PaletteChange state(Clock::duration at, int tone, std::string author = {}) {
    PaletteChange change{kStart + at, {}, std::move(author)};
    change.palette.count = kMaxPaletteEntries;
    for (int i = 0; i < kMaxPaletteEntries; ++i)
        change.palette.entries[i] =
            PaletteEntry{std::uint8_t(i), std::uint8_t(tone), std::uint8_t(255 - i), 0};
    return change;
}

std::string encoded(RecordingFormat format, const std::vector<PaletteChange>& states,
                    Clock::time_point end) {
    std::string bytes;
    const auto encoder = makeRecordingEncoder(
        format, states.size(), 3,
        [&](std::span<const std::uint8_t> b) { bytes.append(b.begin(), b.end()); },
        [](Clock::time_point t) { return std::to_string((t - kStart) / 1ms) + "ms"; });
    for (const PaletteChange& s : states) encoder->add(s);
    encoder->finish(end);
    return bytes;
}

std::optional<std::vector<testing::PillowFrame>> framesOf(const std::string& bytes) {
    testing::TempDir dir;
    testing::writeFile(dir.file("f"), bytes);
    return testing::readFramesWithPillow(dir.file("f"));
}

// The tone (green) of swatch `entry` in a frame of the GIF, at the swatch's centre.
int toneOf(const testing::PillowFrame& frame, int entry) {
    const int x = entry % 16 * kRecordingSwatch + 8, y = entry / 16 * kRecordingSwatch + 8;
    return frame.rgb[(std::size_t(y) * frame.width + x) * 3 + 1];
}

// Frames last the real time to the next state in centiseconds, rounded so that they add
// up; a state sooner than 20 ms after its frame's start only changes that frame's colours.
TEST(RecordingFormats, GifFramesMergeCloseStatesAndLastUntilTheNext) {
    const auto frames = framesOf(
        encoded(RecordingFormat::gif,
                {state(0ms, 1), state(5ms, 2), state(34ms, 3), state(53ms, 4), state(205ms, 5)},
                kStart + 1s));
    if (!frames) GTEST_SKIP() << "Pillow is not installed";
    ASSERT_EQ(frames->size(), 3u);
    const int tones[] = {2, 4, 5}, delays[] = {30, 170, 800};
    for (std::size_t i = 0; i < 3; ++i) {
        const testing::PillowFrame& f = (*frames)[i];
        EXPECT_EQ((std::pair{f.width, f.height}), (std::pair{256, 256}));
        EXPECT_EQ(f.duration, delays[i]) << i;
        EXPECT_EQ(f.loop, 0) << "loops for ever";
        for (int entry : {0, 17, 200, 255}) {
            EXPECT_EQ(toneOf(f, entry), tones[i]) << i << " " << entry;
            const int x = entry % 16 * kRecordingSwatch, y = entry / 16 * kRecordingSwatch + 15;
            EXPECT_EQ(f.rgb[(std::size_t(y) * 256 + x) * 3], entry) << "red is the entry";
        }
    }
}

// A frame after the first covers only the swatches that changed; a state longer than a
// frame's delay can be takes several.
TEST(RecordingFormats, GifFramesAfterTheFirstDrawOnlyWhatChanged) {
    PaletteChange second = state(100ms, 1), third = state(200ms, 1);
    second.palette.entries[18].green = 99;
    third.palette.entries[18].green = 99;
    third.palette.entries[35].green = 77;
    const std::string bytes =
        encoded(RecordingFormat::gif, {state(0ms, 1), second, third}, kStart + 700s);
    const auto frames = framesOf(bytes);
    if (!frames) GTEST_SKIP() << "Pillow is not installed";
    ASSERT_EQ(frames->size(), 4u);
    EXPECT_EQ((*frames)[2].duration + (*frames)[3].duration, 700000 - 200);
    EXPECT_EQ(
        (std::tuple{toneOf((*frames)[1], 18), toneOf((*frames)[1], 35), toneOf((*frames)[1], 200)}),
        (std::tuple{99, 1, 1}));
    EXPECT_EQ(
        (std::tuple{toneOf((*frames)[2], 18), toneOf((*frames)[2], 35), toneOf((*frames)[2], 200)}),
        (std::tuple{99, 77, 1}));
    // The last frame changed entry 35 alone (column 3, row 2): its image descriptor places
    // one swatch at 48, 32.
    EXPECT_NE(bytes.find(std::string("\x2c\x30\x00\x20\x00\x10\x00\x10\x00", 9)),
              std::string::npos);
}

TEST(RecordingFormats, PngHasOneRowPerStateAndABandPerEntry) {
    const auto frames = framesOf(encoded(
        RecordingFormat::png, {state(0ms, 10), state(1ms, 20), state(2ms, 30)}, kStart + 1s));
    if (!frames) GTEST_SKIP() << "Pillow is not installed";
    ASSERT_EQ(frames->size(), 1u);
    const testing::PillowFrame& timeline = frames->front();
    ASSERT_EQ((std::pair{timeline.width, timeline.height}), (std::pair{kTimelineWidth, 3}));
    for (int row = 0; row < 3; ++row)
        for (int x : {0, 1, 2, 101, kTimelineWidth - 1}) {
            const std::uint8_t* p = &timeline.rgb[(std::size_t(row) * kTimelineWidth + x) * 3];
            EXPECT_EQ((std::tuple{p[0], p[1], p[2]}),
                      (std::tuple{x / kTimelineBand, 10 * (row + 1), 255 - x / kTimelineBand}))
                << row << " " << x;
        }
}

TEST(RecordingFormats, TextListsTheFirstStateWholeThenTheChangesWithTheirAuthors) {
    PaletteChange later = state(40ms, 7, "xli[42]");
    later.palette.entries[1].blue = 1;
    EXPECT_EQ(encoded(RecordingFormat::text, {state(0ms, 7), later, state(90ms, 8)}, kStart),
              "0ms 0: 0, 7, 255; 1: 1, 7, 254; 2: 2, 7, 253\n"
              "40ms 1: 1, 7, 1 by xli[42]\n"
              "90ms 0: 0, 8, 255; 1: 1, 8, 254; 2: 2, 8, 253\n");
}

TEST(RecordingFormats, AFailingSinkFailsTheEncoder) {
    for (RecordingFormat format :
         {RecordingFormat::gif, RecordingFormat::png, RecordingFormat::text}) {
        auto full = [](std::span<const std::uint8_t>) {
            throw CommandFailure::fromErrno(ENOSPC, "/full/r");
        };
        EXPECT_THROW(
            {
                const auto encoder = makeRecordingEncoder(format, 2, 256, full,
                                                          [](auto) { return std::string("t"); });
                encoder->add(state(0ms, 1));
                encoder->add(state(1s, 2));
                encoder->finish(kStart + 2s);
            },
            CommandFailure)
            << int(format);
    }
}

TEST(StateSpool, GivesBackEveryStateInOrder) {
    testing::TempDir dir;
    StateSpool spool(dir.path());
    std::vector<PaletteChange> kept;
    for (int i = 0; i < 200; ++i) {  // more than one buffer's worth
        kept.push_back(state(std::chrono::nanoseconds(i * 1'000'003), i, i % 3 ? "" : "twm[7]"));
        spool.append(kept.back());
    }
    EXPECT_EQ(dir.entries(), std::set<std::string>{}) << "the spool has no name";
    std::size_t seen = 0;
    spool.forEach([&](std::size_t index, const PaletteChange& s) {
        ASSERT_EQ(index, seen++);
        EXPECT_EQ(s.time, kept[index].time);
        EXPECT_EQ(s.author, kept[index].author);
        EXPECT_EQ(s.palette.entries, kept[index].palette.entries);
        EXPECT_EQ(s.palette.count, kMaxPaletteEntries);
    });
    EXPECT_EQ(seen, 200u);
    EXPECT_THROW(StateSpool(dir.file("missing")), CommandFailure);
}

}  // namespace
}  // namespace vexa
