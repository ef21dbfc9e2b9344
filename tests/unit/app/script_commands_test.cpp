#include "app/script_commands.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <new>
#include <optional>
#include <stdexcept>
#include <tuple>
#include <vector>

#include "app/palette_app.h"
#include "app/palette_watch.h"
#include "palette/palette_listing.h"
#include "palette/palette_model.h"
#include "support/fake_display.h"
#include "support/temp_dir.h"

namespace vexa {
namespace {

using testing::FakeDisplay;

// The options parsed, or "error: <problem>".
std::string parsed(std::vector<std::string_view> arguments) {
    ScriptCommand command;
    std::string error;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (!takeScriptOption(arguments, i, command, error))
            return "not mine: " + std::string(arguments[i]);
        if (!error.empty()) return "error: " + error;
    }
    if (const std::string problem = scriptCommandProblem(command); !problem.empty())
        return "error: " + problem;
    const char* names[] = {"none", "save", "print", "watch", "record"};
    return std::string(names[int(command.action)]) + " " + command.path + " " +
           std::string(command.format->extension) +
           (command.duration.count() ? " " + std::to_string(command.duration.count()) + "ns" : "");
}

TEST(ScriptCommandsTest, OptionsParseAndRefuseWhatMakesNoSense) {
    EXPECT_EQ(parsed({"--save", "a.gpl"}), "save a.gpl txt");
    EXPECT_EQ(parsed({"--print"}), "print  txt");
    EXPECT_EQ(parsed({"--format", "hex", "--print"}), "print  hex");
    EXPECT_EQ(parsed({"--print", "--format", "pal"}), "print  pal");
    EXPECT_EQ(parsed({"--watch", "--watch"}), "watch  txt");
    EXPECT_EQ(parsed({"-display"}), "not mine: -display");
    EXPECT_EQ(parsed({"--save"}), "error: option '--save' needs a value");
    EXPECT_EQ(parsed({"--save", ""}), "error: empty file name");
    EXPECT_EQ(parsed({"--print", "--format", "act"}),
              "error: unknown format 'act' (txt, gpl, pal or hex)");
    EXPECT_EQ(parsed({"--print", "--watch"}),
              "error: --save, --print, --watch and --record exclude each other");
    EXPECT_EQ(parsed({"--save", "x", "--format", "gpl"}), "error: --format goes with --print");
}

TEST(ScriptCommandsTest, RecordTakesAKnownExtensionAndAPositiveDurationInSeconds) {
    EXPECT_EQ(parsed({"--record", "a.GIF"}), "record a.GIF txt");
    EXPECT_EQ(parsed({"--duration", "2.5", "--record", "b.png"}), "record b.png txt 2500000000ns");
    EXPECT_EQ(parsed({"--record", "c.txt", "--duration", "90"}), "record c.txt txt 90000000000ns");
    EXPECT_EQ(parsed({"--record", "d.bmp"}),
              "error: cannot record to 'd.bmp': the name must end in .gif, .png or .txt");
    EXPECT_EQ(parsed({"--record", "dir.gif/e"}),
              "error: cannot record to 'dir.gif/e': the name must end in .gif, .png or .txt");
    EXPECT_EQ(parsed({"--record", "a.gif", "--watch"}),
              "error: --save, --print, --watch and --record exclude each other");
    EXPECT_EQ(parsed({"--watch", "--duration", "3"}), "error: --duration goes with --record");
    for (const char* wrong : {"0", "0.0", "-1", "1e3", " 1", "1 ", "1.", ".5", "inf", "nan", "",
                              "0x10", "1,5", "2000000000"})
        EXPECT_EQ(
            parsed({"--record", "a.gif", "--duration", wrong}),
            "error: invalid duration '" + std::string(wrong) + "' (a positive number of seconds)")
            << wrong;
}

// What a run wrote to standard output and standard error, and its status.
struct Outcome {
    std::string out, err;
    int status = -1;
};
ScriptCommand command(ScriptAction action, const std::string& path = {},
                      const char* format = nullptr) {
    ScriptCommand c;
    c.action = action;
    c.path = path;
    if (format) c.format = printFormatNamed(format);
    c.formatGiven = format != nullptr;
    return c;
}

Outcome run(const ScriptCommand& command, FakeDisplay& display) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    Outcome r;
    r.status = runScriptCommand(command, display, out, err);
    for (auto [file, text] : {std::pair{out, &r.out}, {err, &r.err}}) {
        std::fflush(file);
        std::rewind(file);
        for (int c; (c = std::fgetc(file)) != EOF;) *text += char(c);
        std::fclose(file);
    }
    return r;
}

TEST(ScriptCommandsTest, SaveAndPrintWriteThePaletteOrTheWindowsMessage) {
    testing::TempDir dir;
    const std::string golden = VEXA_GOLDEN_DIR;
    FakeDisplay display;
    Outcome r = run(command(ScriptAction::save, dir.file("p.act")), display);
    EXPECT_EQ((std::tuple{r.status, r.out, r.err}), (std::tuple{0, "", ""}));
    EXPECT_EQ(testing::readFile(dir.file("p.act")), testing::readFile(golden + "/SysPal.act"));
    r = run(command(ScriptAction::print, "", "pal"), display);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, testing::readFile(golden + "/SysPal.pal"));
    EXPECT_EQ(run(command(ScriptAction::print), display)
                  .out.rfind("Vexa - Win32 Color Palette Tool\r\n", 0),
              0u);

    // A name without an extension gets ".bmp", as in Save As; a name with a dot keeps it.
    EXPECT_EQ(run(command(ScriptAction::save, dir.file("plain")), display).status, 0);
    const std::string bitmap = testing::readFile(dir.file("plain.bmp"));
    EXPECT_EQ((std::pair{bitmap.size(), bitmap.substr(0, 2)}),
              (std::pair{std::size_t{9270}, std::string("BM")}));
    EXPECT_EQ(run(command(ScriptAction::save, dir.file("dotted.")), display).status, 0);
    EXPECT_NE(testing::readFile(dir.file("dotted.")).find("Vexa - Win32"), std::string::npos);

    r = run(command(ScriptAction::save, dir.file("gone/p")), display);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "vexa: " + dir.file("gone/p.bmp") + " was not found.\n");
    display.screenUnreachable = true;
    r = run(command(ScriptAction::print), display);
    EXPECT_EQ((std::tuple{r.status, r.out, r.err}),
              (std::tuple{1, "", "vexa: A required resource was unavailable.\n"}));
    display.paletteBased = false;
    r = run(command(ScriptAction::watch), display);
    EXPECT_EQ((std::tuple{r.status, r.err}),
              (std::tuple{1, "vexa: " + std::string(kPaletteModeMessage) + "\n"}));
}

// A display whose palette read throws what `fail` throws.
struct ThrowingDisplay : FakeDisplay {
    std::function<void()> fail;
    int readSystemPaletteEntries(int, int, PaletteEntry*) override {
        fail();
        return 0;
    }
};

TEST(ScriptCommandsTest, MemoryAndSystemFailuresAreReportedAsSuchAndAFaultIsNot) {
    ThrowingDisplay display;
    display.fail = [] { throw std::bad_alloc(); };
    Outcome r = run(command(ScriptAction::print), display);
    EXPECT_EQ((std::tuple{r.status, r.out, r.err}),
              (std::tuple{1, "", "vexa: " + std::string(kNoMemoryMessage) + "\n"}));
    display.fail = [] {
        throw std::filesystem::filesystem_error("read", "/dev/gone",
                                                std::error_code(EIO, std::generic_category()));
    };
    r = run(command(ScriptAction::print), display);
    EXPECT_EQ((std::tuple{r.status, r.out, r.err}),
              (std::tuple{1, "",
                          "vexa: A hardware I/O error was reported while accessing "
                          "/dev/gone.\n"}));
    display.fail = [] { throw std::logic_error("broken invariant"); };
    r = run(command(ScriptAction::print), display);
    EXPECT_EQ((std::tuple{r.status, r.out, r.err}),
              (std::tuple{70, "", "vexa: internal error: broken invariant\n"}));
}

// The palette changes between reads; a read that finds the colours as they were reports
// nothing, and the follower stops when told to.
TEST(ScriptCommandsTest, FollowingGivesTheStartAndEachChangeOfTheInstalledColours) {
    FakeDisplay display;
    const PaletteModel model(display);
    std::vector<SystemPaletteSnapshot> states;
    followPalette(
        model,
        [&](const PaletteChange& change) {
            states.push_back(change.palette);
            if (states.size() == 1) display.hardware[20] = {1, 2, 3, 0};
            if (states.size() == 2) display.hardware[0] = display.hardware[255] = {9, 9, 9, 0};
            return states.size() < 3;
        },
        -1, std::chrono::milliseconds(1));
    ASSERT_EQ(states.size(), 3u);
    EXPECT_EQ(changeLine("t", 256, states[0], states[1]), "t 20: 1, 2, 3\n");
    EXPECT_EQ(changeLine("t", 256, states[1], states[2]), "t 0: 9, 9, 9; 255: 9, 9, 9\n");
}

}  // namespace
}  // namespace vexa
