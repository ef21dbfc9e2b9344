// --record on a private 8-bit Xvfb: the test changes one entry of the installed colormap at a
// time, waiting for the recorder's count on its terminal after each, then ends it by a
// signal and reads the file back (GIF and PNG through Pillow); failures before the
// recording, a killed recorder and a full disk leave no partial file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

#include "pillow.h"
#include "terminal_process.h"
#include "vexa_session.h"

namespace vexa::testing {
namespace {

namespace fs = std::filesystem;
using States = std::vector<std::vector<Rgb>>;

class RecordE2E : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = home_.path() + "/files";
        fs::create_directories(dir_);
        display_ = DisplayString(x_.get());
        ASSERT_TRUE(waitFor([&] { return installedColormap(x_) == holder_.colormap(); }));
    }
    void TearDown() override {
        if (!mounted_.empty()) ::umount2(mounted_.c_str(), MNT_DETACH);
    }

    std::unique_ptr<TerminalProcess> startRecorder(const std::string& path) {
        auto recorder = std::make_unique<TerminalProcess>(std::vector<std::string>{
            "env", "DISPLAY=" + display_, "XDG_CONFIG_HOME=" + home_.path(), VEXA_BINARY,
            "--record", path});
        EXPECT_TRUE(recorder->waitForText(": 1 state")) << recorder->output();
        return recorder;
    }

    // Records `changes` states after the first, each one entry stored anew, ended by
    // `signal`; every state the recorder saw, as the test made them.
    States record(const std::string& path, int changes, int signal) {
        States states{installedColors(x_)};
        const auto recorder = startRecorder(path);
        for (int k = 1; k <= changes; ++k) {
            // States closer than a GIF frame are merged: keep them apart.
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            // A new colour in another entry every time, in this recording and the next.
            const int step = ++steps_, entry = step * 37 % 256;
            const Rgb colour{std::uint8_t(step * 20), 200, std::uint8_t(255 - step)};
            states.push_back(states.back());
            states.back()[entry] = colour;
            XColor cell{};
            cell.pixel = static_cast<unsigned long>(entry);
            cell.red = colour.red * 257, cell.green = colour.green * 257;
            cell.blue = colour.blue * 257;
            cell.flags = DoRed | DoGreen | DoBlue;
            XStoreColor(x_, holder_.colormap(), &cell);
            XSync(x_, False);
            EXPECT_TRUE(recorder->waitForText(": " + std::to_string(k + 1) + " states"))
                << recorder->output();
        }
        ::kill(recorder->pid(), signal);
        const auto status = recorder->wait();
        EXPECT_TRUE(status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0)
            << recorder->output();
        EXPECT_TRUE(recorder->waitForText("Recorded " + std::to_string(changes + 1) +
                                          " states to " + path + "."))
            << recorder->output();
        return states;
    }

    Outcome vexa(const std::string& arguments) { return runVexa(home_, display_, arguments); }

    XConnection x_;
    ConfigHome home_;
    ColormapHolder holder_{{"--color", "0-255=102030"}};
    std::string dir_, display_, mounted_;
    int steps_ = 0;
};

Rgb pixelOf(const PillowFrame& frame, int x, int y) {
    const std::uint8_t* p = &frame.rgb[(std::size_t(y) * frame.width + x) * 3];
    return Rgb{p[0], p[1], p[2]};
}

TEST_F(RecordE2E, SigintAndSigtermBothWriteEveryStateToGifPngAndText) {
    const States gif = record(dir_ + "/r.Gif", 4, SIGINT);
    const auto frames = readFramesWithPillow(dir_ + "/r.Gif");
    if (!frames) GTEST_SKIP() << "Pillow is not installed";
    ASSERT_EQ(frames->size(), gif.size());
    for (std::size_t k = 0; k < gif.size(); ++k) {
        const PillowFrame& frame = (*frames)[k];
        EXPECT_EQ(frame.loop, 0);
        // The last state lasts until the signal, which comes at once: the shortest frame.
        EXPECT_GE(frame.duration, k + 1 < gif.size() ? 30 : 20) << "frame " << k;
        for (int entry = 0; entry < 256; ++entry)
            ASSERT_EQ(pixelOf(frame, entry % 16 * 16 + 8, entry / 16 * 16 + 8), gif[k][entry])
                << "frame " << k << " entry " << entry;
    }

    const States png = record(dir_ + "/r.png", 3, SIGTERM);
    const auto timeline = readFramesWithPillow(dir_ + "/r.png");
    ASSERT_TRUE(timeline && timeline->size() == 1);
    ASSERT_EQ(timeline->front().height, int(png.size()));
    for (std::size_t k = 0; k < png.size(); ++k)
        for (int entry = 0; entry < 256; ++entry)
            ASSERT_EQ(pixelOf(timeline->front(), entry * 2, int(k)), png[k][entry])
                << "row " << k << " entry " << entry;

    record(dir_ + "/r.txt", 2, SIGTERM);
    // The first line lists every entry; the rest name what changed (and who, after it).
    EXPECT_TRUE(std::regex_match(
        fileText(dir_ + "/r.txt"),
        std::regex(R"(\d\d:\d\d:\d\d\.\d{3} 0: 16, 32, 48; 1: 16, 32, 48;[^\n]*; 255: 16, 32, 48\n)"
                   R"(\d\d:\d\d:\d\d\.\d{3} 40: 160, 200, 247( by [^\n]*)?\n)"
                   R"(\d\d:\d\d:\d\d\.\d{3} 77: 180, 200, 246( by [^\n]*)?\n)")))
        << fileText(dir_ + "/r.txt");
}

TEST_F(RecordE2E, BadRequestsFailBeforeRecordingAndADurationEndsIt) {
    const Outcome missing = vexa("--record '" + dir_ + "/gone/r.gif'");
    EXPECT_EQ((std::pair{missing.status, missing.err}),
              (std::pair{1, "vexa: " + dir_ + "/gone/r.gif was not found.\n"}));
    const Outcome extension = vexa("--record '" + dir_ + "/r.bmp'");
    EXPECT_EQ(extension.status, 2);
    EXPECT_NE(extension.err.find("must end in .gif, .png or .txt"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(dir_));

    const Outcome timed = vexa("--record '" + dir_ + "/r.txt' --duration 0.3");
    EXPECT_EQ((std::tuple{timed.status, timed.out, timed.err}), (std::tuple{0, "", ""}));
    EXPECT_NE(fileText(dir_ + "/r.txt").find("; 255: 16, 32, 48\n"), std::string::npos);
}

TEST_F(RecordE2E, AKilledRecorderOrAFullDiskLeavesNoPartialFile) {
    const std::string target = dir_ + "/r.gif";
    std::ofstream(target) << "older";
    {
        const auto recorder = startRecorder(target);
        ::kill(recorder->pid(), SIGKILL);
        recorder->wait();
    }
    EXPECT_EQ(fileText(target), "older");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 1);

    if (geteuid() != 0) GTEST_SKIP() << "needs root to mount a small tmpfs";
    const std::string small = dir_ + "/small";
    fs::create_directories(small);
    if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=16k") != 0)
        GTEST_SKIP() << "this machine does not let root mount a tmpfs: " << std::strerror(errno);
    mounted_ = small;
    std::ofstream(small + "/r.gif") << "older";
    {
        std::ofstream filler(small + "/filler", std::ios::binary);
        const std::string block(1024, 'f');
        for (int i = 0; i < 64 && filler; ++i) filler << block << std::flush;
    }
    const Outcome full = vexa("--record '" + small + "/r.gif' --duration 0.2");
    EXPECT_EQ((std::pair{full.status, full.err}),
              (std::pair{1, "vexa: Disk full while accessing " + small + "/r.gif.\n"}));
    EXPECT_EQ(fileText(small + "/r.gif"), "older");
    EXPECT_EQ(std::distance(fs::directory_iterator(small), {}), 2) << "r.gif and the filler";
}

}  // namespace
}  // namespace vexa::testing
