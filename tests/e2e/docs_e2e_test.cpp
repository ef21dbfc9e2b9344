// What README.md's "Command line" section and the manual's EXIT STATUS promise, tried on the
// real binary on a private 8-bit Xvfb. The commands are read from the README itself: one
// found there without an expectation here fails the test, so whoever adds a command to the
// README adds what it must do here.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <regex>
#include <sstream>

#include "vexa_session.h"

namespace vexa::testing {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> split(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The code lines (indented by four spaces) of the README section `title`, each without a
// trailing "# ..." comment.
std::vector<std::string> codeLines(const std::string& readme, const std::string& title) {
    std::vector<std::string> found;
    bool inSection = false;
    for (const std::string& line : split(readme)) {
        if (line.rfind("## ", 0) == 0) inSection = line == "## " + title;
        if (!inSection || line.rfind("    ", 0) != 0) continue;
        std::string code = line.substr(4);
        if (const auto comment = code.find("  #"); comment != std::string::npos)
            code.erase(comment);
        while (!code.empty() && code.back() == ' ') code.pop_back();
        found.push_back(code);
    }
    return found;
}

// The synopsis at the head of `vexa --help`, without "Usage: " and the indent.
std::vector<std::string> usageSynopsis(const std::string& usage) {
    std::vector<std::string> found;
    for (const std::string& line : split(usage)) {
        if (line.rfind("Usage: ", 0) != 0 && line.rfind("       ", 0) != 0) break;
        found.push_back(line.substr(7));
    }
    return found;
}

// The manual's EXIT STATUS: each status with its text as the reader sees it.
std::map<int, std::string> exitStatuses(const std::string& manual) {
    std::map<int, std::string> statuses;
    bool inSection = false;
    int status = -1;
    for (std::string line : split(manual)) {
        if (line.rfind(".SH", 0) == 0) inSection = line == ".SH \"EXIT STATUS\"";
        if (!inSection || line == ".TP") continue;
        if (line == ".PP") break;
        if (std::regex_match(line, std::regex(R"(\.B [0-9]+)"))) {
            status = std::stoi(line.substr(3));
            continue;
        }
        if (status < 0) continue;
        line = std::regex_replace(line, std::regex(R"(\\-)"), "-");
        line = std::regex_replace(line, std::regex(R"(\\~)"), " ");
        line = std::regex_replace(line, std::regex(R"(\\\(lq|\\\(rq)"), "");
        if (line[0] == '.') {
            // A font request: its arguments, run together when the fonts alternate.
            const std::size_t space = line.find(' ');
            const bool alternating = space == 3;
            std::string text;
            std::smatch argument;
            std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
            while (std::regex_search(rest, argument, std::regex(R"re("([^"]*)"|(\S+))re"))) {
                text += (text.empty() || alternating ? "" : " ") +
                        (argument[1].matched ? argument[1].str() : argument[2].str());
                rest = argument.suffix();
            }
            line = text;
        }
        statuses[status] += (statuses[status].empty() ? "" : " ") + line;
    }
    return statuses;
}

class DocsE2E : public VexaTest {
  protected:
    void SetUp() override {
        home.seedVersion();
        display = DisplayString(x.get());
        // Files that commands write go into the test's own folder.
        fs::current_path(home.path());
    }
    void TearDown() override { fs::current_path("/"); }

    // A README command line starting with "vexa ", on the test's display.
    Outcome run(const std::string& line) { return runVexa(home, display, line.substr(5)); }

    std::string display;
};

TEST_F(DocsE2E, EveryCommandLineOfTheReadmeDoesWhatItSays) {
    const std::string usage = runVexa(home, "", "--help").out;
    using Check = std::function<void(const std::string& line)>;
    const std::map<std::string, Check> expectations = {
        // The 8-bit display of the next line: here the test's own server.
        {"Xephyr :1 -screen 1024x768x8 &", [](const std::string&) {}},
        {"vexa -display :1",
         [&](const std::string&) {
             ASSERT_NO_FATAL_FAILURE(start({"-display", display}));
             ASSERT_TRUE(chooseMenu(window, {"Escape"}));
             EXPECT_EQ(vexa->waitForExit(), 0);
         }},
        {"vexa --save palette",
         [&](const std::string& line) {
             const Outcome saved = run(line);
             EXPECT_EQ((std::tuple{saved.status, saved.out, saved.err}), (std::tuple{0, "", ""}));
             const std::string bitmap = fileText("palette.bmp");
             EXPECT_EQ(bitmap.size(), 9270u);
             EXPECT_EQ(bitmap.substr(0, 2), "BM");
             EXPECT_FALSE(fs::exists("palette"));
         }},
        {"vexa --print --format hex",
         [&](const std::string& line) {
             const Outcome printed = run(line);
             EXPECT_EQ(printed.status, 0);
             EXPECT_TRUE(std::regex_match(printed.out, std::regex("([0-9a-f]{6}\n){256}")))
                 << printed.out;
         }},
        {"vexa --record cycle.gif --duration 1",
         [&](const std::string& line) {
             const Outcome recorded = run(line);
             EXPECT_EQ((std::tuple{recorded.status, recorded.out, recorded.err}),
                       (std::tuple{0, "", ""}));
             EXPECT_EQ(fileText("cycle.gif").substr(0, 6), "GIF89a");
         }},
        {"vexa --version --bogus",
         [&](const std::string& line) {
             const Outcome refused = run(line);
             EXPECT_EQ((std::pair{refused.status, refused.out}), (std::pair{2, std::string()}));
             EXPECT_EQ(refused.err.rfind("vexa: unknown option '--bogus'\nUsage: vexa ", 0), 0u)
                 << refused.err;
         }},
    };

    const std::vector<std::string> lines =
        codeLines(fileText(VEXA_SOURCE_DIR "/README.md"), "Command line");
    std::vector<std::string> synopsis;
    for (const std::string& line : lines) {
        SCOPED_TRACE(line);
        if (line.find('[') != std::string::npos || line.find(" | ") != std::string::npos) {
            synopsis.push_back(line);
            continue;
        }
        const auto expectation = expectations.find(line);
        if (expectation == expectations.end()) {
            ADD_FAILURE() << "the README shows a command that this test has no expectation for";
            continue;
        }
        expectation->second(line);
    }
    EXPECT_EQ(synopsis, usageSynopsis(usage)) << "the README's synopsis is that of --help";
}

TEST_F(DocsE2E, TheManualsExitStatusesAreThoseOfTheProgram) {
    const std::map<int, std::string> statuses =
        exitStatuses(fileText(VEXA_SOURCE_DIR "/packaging/vexa.1.in"));
    ASSERT_EQ(statuses.size(), 4u);
    // What the manual names under each status. Those with arguments are run here; a dismissed
    // message and a lost display are run by e2e_start_up and e2e_run_end, a closed window by
    // the README's test above.
    struct Case {
        int status;
        std::string says;
        std::string arguments;
        std::string display;
    };
    for (const Case& c : {
             Case{0, "The window was closed", "", ""},
             Case{0, "--print finished", "--print", display},
             Case{0, "the help or version was printed", "--version", ""},
             Case{1, "could not be opened", "--print", ":4711"},
             Case{1, "is not palette based", "", ""},
             Case{1, "was lost", "", ""},
             Case{1, "was dismissed", "", ""},
             Case{1, "--save, --print or --watch failed", "--save gone/p.bmp", display},
             Case{1, "after vexa: .", "", ""},
             Case{1, "there is no desktop", "--nested", ""},
             Case{2, "not understood, whatever else it held", "--help --bogus", ""},
             // A fault cannot be brought about from outside: x11_start_up brings one in.
             Case{70, "internal error of the program", "", ""},
         }) {
        SCOPED_TRACE(c.says);
        ASSERT_TRUE(statuses.contains(c.status));
        EXPECT_NE(statuses.at(c.status).find(c.says), std::string::npos) << statuses.at(c.status);
        if (c.arguments.empty()) continue;
        const Outcome outcome = runVexa(home, c.display, c.arguments);
        EXPECT_EQ(outcome.status, c.status) << outcome.err;
        if (c.status != 0) {
            EXPECT_EQ(outcome.err.rfind("vexa: ", 0), 0u) << outcome.err;
        }
    }
}

}  // namespace
}  // namespace vexa::testing
