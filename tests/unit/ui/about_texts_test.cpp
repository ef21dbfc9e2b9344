#include "ui/about_texts.h"

#include <gtest/gtest.h>

#include "ui/load_text_resource.h"

namespace vexa {
namespace {

TEST(FormatWithName, FillsCaptionsWithTheApplicationName) {
    EXPECT_EQ(formatWithName("About %s", "Vexa"), "About Vexa");
    EXPECT_EQ(formatWithName("%s Help", "Vexa"), "Vexa Help");
    EXPECT_EQ(formatWithName("%s and %s", "A"), "A and A");
    EXPECT_EQ(formatWithName("100%% %s", "V"), "100% V");
    EXPECT_EQ(formatWithName("50% off %d", "V"), "50% off %d");  // not a format for us
    EXPECT_EQ(formatWithName("end %", "V"), "end %");
    EXPECT_EQ(formatWithName("%s", "%s%%"), "%s%%");  // the name is never a format
}

TEST(FormatWithName, KeepsAtMost255Characters) {
    const std::string longName(300, 'x');
    const std::string result = formatWithName("About %s", longName);
    EXPECT_EQ(result.size(), 255u);
    EXPECT_EQ(result.rfind("About xxx", 0), 0u);
    EXPECT_EQ(formatWithName(std::string(254, 'a') + "%s", "bc").size(), 255u);
}

TEST(AboutTexts, ComposeNameVersionAndBuildLines) {
    EXPECT_EQ(nameAndVersion("Vexa", "1.6"), "Vexa v1.6");
    EXPECT_EQ(describeBuild(kProductDescription), "Win32 Color Palette Tool\nBuilt on Nov 30 1996");
}

TEST(AboutTexts, NoticePutsTheDisclaimerOnTheLineAfterTheLicence) {
    std::string licence, disclaimer;
    ASSERT_TRUE(loadTextResource(kLicenceResourceName, "TXT", licence));
    ASSERT_TRUE(loadTextResource("AboutDis", "TXT", disclaimer));
    const std::string shown = toDisplayLineEnds(noticeText(licence, disclaimer));
    const std::size_t heading = shown.find("DISCLAIMER:");
    ASSERT_NE(heading, std::string::npos);
    ASSERT_GT(heading, 0u);
    EXPECT_EQ(shown[heading - 1], '\n');
    EXPECT_NE(shown[heading - 2], '\n');  // no blank line between them
    EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), 3);
    EXPECT_EQ(shown.find('\r'), std::string::npos);
    EXPECT_EQ(noticeText("", ""), "\n");
}

TEST(DisplayLineEnds, TurnOnlyCrLfPairsIntoLineFeeds) {
    EXPECT_EQ(toDisplayLineEnds("a\r\nb\r\n"), "a\nb\n");
    EXPECT_EQ(toDisplayLineEnds("\r\n\r\n"), "\n\n");
    EXPECT_EQ(toDisplayLineEnds("a\rb\n\r"), "a\rb\n\r");
    EXPECT_EQ(toDisplayLineEnds(""), "");
    std::string help;
    ASSERT_TRUE(loadTextResource("HELP", "TXT", help));
    EXPECT_EQ(toDisplayLineEnds(help).size(), 1299u - 33u);
}

}  // namespace
}  // namespace vexa
