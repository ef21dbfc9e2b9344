#include "app/command_line.h"

#include <gtest/gtest.h>

#include <tuple>

namespace vexa {
namespace {

CommandLine parse(std::vector<std::string_view> arguments) {
    return parseCommandLine(arguments);
}

TEST(CommandLine, NoArgumentsRunsAsAlways) {
    const CommandLine line = parse({});
    EXPECT_EQ(line.action, CommandLineAction::run);
    EXPECT_TRUE(line.display.empty());
    EXPECT_FALSE(line.start.geometry);
    EXPECT_FALSE(line.start.iconic);
}

TEST(CommandLine, HelpAndVersionWinWhereverTheyStandUnlessTheLineIsWrong) {
    EXPECT_EQ(parse({"--help"}).action, CommandLineAction::help);
    EXPECT_EQ(parse({"-h"}).action, CommandLineAction::help);
    EXPECT_EQ(parse({"-iconic", "--version"}).action, CommandLineAction::version);
    EXPECT_EQ(parse({"--version", "--help"}).action, CommandLineAction::help);
    for (std::vector<std::string_view> wrong : {std::vector<std::string_view>{"--help", "--bogus"},
                                                {"--version", "--bogus"},
                                                {"--bogus", "--help"},
                                                {"-h", "-geometry", "big"},
                                                {"--format", "gpl", "--version"}})
        EXPECT_EQ(parse(wrong).action, CommandLineAction::usageError) << wrong[0] << wrong[1];
    EXPECT_EQ(versionLine(65542), "Vexa 1.6");
    const std::string usage = usageText();
    for (const char* option :
         {"-display NAME", "-geometry WxH+X+Y", "-iconic", "--help", "--version", "--save FILE",
          "--print [--format txt|gpl|pal|hex]", "--watch", "There is no --load",
          ".bmp, .png, .gif, .gpl", "--record FILE [--duration SECONDS]", "--duration S"})
        EXPECT_NE(usage.find(option), std::string::npos) << option;
}

TEST(CommandLine, ScriptCommandsGoWithTheDisplayButNotWithTheWindowsOptions) {
    CommandLine line = parse({"-display", ":7", "--print", "--format", "gpl"});
    EXPECT_EQ(line.action, CommandLineAction::script);
    EXPECT_EQ(line.display, ":7");
    EXPECT_EQ(line.script.action, ScriptAction::print);
    EXPECT_EQ(line.script.format->extension, "gpl");
    line = parse({"--save", "p.act", "-d", ":2"});
    EXPECT_EQ((std::tuple{line.action, line.script.action, line.script.path, line.display}),
              (std::tuple{CommandLineAction::script, ScriptAction::save, "p.act", ":2"}));
    EXPECT_EQ(parse({"--watch"}).script.action, ScriptAction::watch);
    EXPECT_EQ(parse({"--watch", "--help"}).action, CommandLineAction::help);
    for (auto [arguments, error] :
         {std::pair<std::vector<std::string_view>, const char*>{
              {"--save", "a", "-iconic"},
              "-geometry and -iconic place the window; scripts have none"},
          {{"-geometry", "10x10", "--watch"},
           "-geometry and -iconic place the window; scripts have none"},
          {{"--format", "txt"}, "--format goes with --print"},
          {{"--print", "--format"}, "option '--format' needs a value"},
          {{"--print", "--save", "a"}, "--save, --print, --watch and --record exclude each other"}}) {
        line = parse(arguments);
        EXPECT_EQ((std::pair{line.action, line.error}),
                  (std::pair{CommandLineAction::usageError, std::string(error)}));
    }
}

TEST(CommandLine, ReadsTheXToolkitOptionsAndTheirAbbreviations) {
    CommandLine line = parse({"-display", ":7", "-geometry", "300x200+10+20", "-iconic"});
    EXPECT_EQ(line.action, CommandLineAction::run);
    EXPECT_EQ(line.display, ":7");
    EXPECT_EQ(line.start.geometry, parseGeometry("300x200+10+20"));
    EXPECT_TRUE(line.start.iconic);

    line = parse({"-disp", "host:0.0", "-geom", "-5-5", "-i"});
    EXPECT_EQ(line.action, CommandLineAction::run);
    EXPECT_EQ(line.display, "host:0.0");
    EXPECT_EQ(line.start.geometry, parseGeometry("-5-5"));
    EXPECT_TRUE(line.start.iconic);
}

TEST(CommandLine, AnythingElseIsAUsageErrorNamingTheFault) {
    struct Case {
        std::vector<std::string_view> arguments;
        const char* error;
    };
    for (const Case& c :
         {Case{{"--bogus"}, "unknown option '--bogus'"},
          Case{{"file.bmp"}, "unknown option 'file.bmp'"}, Case{{"-"}, "unknown option '-'"},
          Case{{"--display", ":1"}, "unknown option '--display'"},
          Case{{"-displayx", ":1"}, "unknown option '-displayx'"},
          Case{{"-display"}, "option '-display' needs a value"},
          Case{{"-display", ""}, "empty display name"},
          Case{{"-geometry", "big"}, "invalid geometry 'big'"},
          Case{{"-iconic", "-g"}, "option '-g' needs a value"}}) {
        const CommandLine line = parse(c.arguments);
        EXPECT_EQ(line.action, CommandLineAction::usageError) << c.error;
        EXPECT_EQ(line.error, c.error);
    }
}

TEST(CommandLine, NestedTakesASizeAndACommandAfterTheDoubleDash) {
    CommandLine line = parse({"--nested"});
    EXPECT_EQ(line.action, CommandLineAction::nested);
    EXPECT_FALSE(line.nested.size);
    EXPECT_TRUE(line.nested.command.empty());

    line = parse({"-display", ":0", "--nested", "800x600", "-geom", "+5+5", "-iconic", "--", "xli",
                  "-private", "--help", "--", "a.gif"});
    EXPECT_EQ(line.action, CommandLineAction::nested);
    EXPECT_EQ(line.display, ":0");
    EXPECT_EQ(line.nested.size, (Size{800, 600}));
    EXPECT_EQ(line.nested.command,
              (std::vector<std::string>{"xli", "-private", "--help", "--", "a.gif"}));
    EXPECT_EQ(line.nested.vexaArguments,
              (std::vector<std::string>{"-geometry", "+5+5", "-iconic"}));

    for (auto [arguments, error] :
         {std::pair<std::vector<std::string_view>, const char*>{
              {"--nested", "80x60"}, "invalid screen size '80x60' (WxH, 100 to 16384 each)"},
          {{"--nested", "--"}, "no command after --"},
          {{"--", "xli"}, "a command after -- goes with --nested"},
          {{"--nested", "--print"},
           "--nested opens a window; --save, --print, --watch and --record have none"}}) {
        line = parse(arguments);
        EXPECT_EQ((std::pair{line.action, line.error}),
                  (std::pair{CommandLineAction::usageError, std::string(error)}));
    }
}

}  // namespace
}  // namespace vexa
