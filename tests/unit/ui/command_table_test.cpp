#include "ui/command_table.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <filesystem>
#include <ios>
#include <stdexcept>
#include <string>
#include <vector>

namespace vexa {
namespace {

// A window with a few commands that records what ran and can fail on request.
struct Recorder {
    std::vector<std::string> calls;
    FailureCategory failWith = FailureCategory::SilentFailure;
    bool fail = false;

    void single() { calls.push_back("single"); }
    void ranged(int id) { calls.push_back("ranged " + std::to_string(id)); }
    void failing() {
        calls.push_back("failing");
        if (fail) throw CommandFailure(failWith);
        calls.push_back("finished");
    }
};

const std::array<CommandEntry<Recorder>, 3> kTable{{
    {2001, &Recorder::single},
    {2002, 2007, &Recorder::ranged},
    {57604, &Recorder::failing},
}};

TEST(CommandTable, RoutesSingleIdsAndRangesToTheirHandlers) {
    Recorder r;
    EXPECT_TRUE(dispatchCommand<Recorder>(kTable, r, 2001));
    EXPECT_TRUE(dispatchCommand<Recorder>(kTable, r, 2002));
    EXPECT_TRUE(dispatchCommand<Recorder>(kTable, r, 2007));
    EXPECT_EQ(r.calls, (std::vector<std::string>{"single", "ranged 2002", "ranged 2007"}));
}

TEST(CommandTable, IdsOutsideTheTableAreLeftForTheNextTable) {
    Recorder r;
    EXPECT_FALSE(dispatchCommand<Recorder>(kTable, r, 2000));
    EXPECT_FALSE(dispatchCommand<Recorder>(kTable, r, 2008));
    EXPECT_FALSE(dispatchCommand<Recorder>(kTable, r, 57664));
    EXPECT_TRUE(r.calls.empty());
}

TEST(CommandDispatch, AShownFailureIsReportedOnceAndWorkBeforeItStays) {
    Recorder r;
    r.fail = true;
    r.failWith = FailureCategory::ResourceUnavailable;
    std::vector<std::string> shown;
    EXPECT_FALSE(
        runReportingFailures([&] { dispatchCommand<Recorder>(kTable, r, 57604); },
                             [&](const CommandFailure& f) { shown.push_back(f.message()); }));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "A required resource was unavailable.");
    EXPECT_EQ(r.calls, std::vector<std::string>{"failing"});
}

TEST(CommandDispatch, ASilentFailureShowsNothing) {
    Recorder r;
    r.fail = true;
    int shown = 0;
    runReportingFailures([&] { dispatchCommand<Recorder>(kTable, r, 57604); },
                         [&](const CommandFailure&) { ++shown; });
    EXPECT_EQ(shown, 0);
}

TEST(CommandDispatch, RunningOutOfMemoryIsReportedAsTheMemoryFailure) {
    std::vector<FailureCategory> shown;
    runReportingFailures([] { throw std::bad_alloc(); },
                         [&](const CommandFailure& f) { shown.push_back(f.category()); });
    EXPECT_EQ(shown, std::vector<FailureCategory>{FailureCategory::OutOfMemory});
}

// A library call that reports a refusal of the system ends the command like a file error;
// a broken invariant is no failure of the command and goes on to the program's fault guard.
TEST(CommandDispatch, WhatTheSystemRefusesIsShownAsAFileErrorAndAFaultIsNot) {
    std::vector<std::string> shown;
    auto show = [&](const CommandFailure& f) { shown.push_back(f.message()); };
    EXPECT_FALSE(runReportingFailures(
        [] {
            throw std::filesystem::filesystem_error(
                "open", "/gone/a.bmp", std::error_code(ENOENT, std::system_category()));
        },
        show));
    EXPECT_FALSE(runReportingFailures(
        [] { throw std::system_error(EACCES, std::generic_category()); }, show));
    // A stream's failure carries no error number.
    EXPECT_FALSE(runReportingFailures([] { throw std::ios_base::failure("write"); }, show));
    EXPECT_EQ(shown, (std::vector<std::string>{
                         "/gone/a.bmp was not found.", "Access to an unnamed file was denied.",
                         "An unknown error occurred while accessing an unnamed file."}));
    EXPECT_THROW(runReportingFailures([] { throw std::logic_error("broken"); }, show),
                 std::logic_error);
}

TEST(CommandDispatch, ASuccessfulCommandShowsNothing) {
    Recorder r;
    int shown = 0;
    EXPECT_TRUE(runReportingFailures([&] { dispatchCommand<Recorder>(kTable, r, 57604); },
                                     [&](const CommandFailure&) { ++shown; }));
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(r.calls, (std::vector<std::string>{"failing", "finished"}));
}

}  // namespace
}  // namespace vexa
