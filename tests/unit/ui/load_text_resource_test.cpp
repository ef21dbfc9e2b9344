#include "ui/load_text_resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ui/embedded_resources.h"

namespace vexa {
namespace {

// Splits on CR LF; fails the test on any CR or LF that is not part of a pair.
std::vector<std::string> crlfLines(const std::string& text, bool& endsWithLineEnd) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            lines.push_back(line);
            line.clear();
            ++i;
        } else {
            EXPECT_NE(text[i], '\r') << "lone CR at " << i;
            EXPECT_NE(text[i], '\n') << "lone LF at " << i;
            line += text[i];
        }
    }
    endsWithLineEnd = line.empty();
    if (!line.empty()) lines.push_back(line);
    return lines;
}

std::string load(const char* name) {
    std::string text;
    EXPECT_TRUE(loadTextResource(name, "TXT", text)) << name;
    return text;
}

TEST(HelpText, HasTheExactSizeAndLineStructure) {
    const std::string help = load("HELP");
    ASSERT_EQ(help.size(), 1299u);
    EXPECT_EQ(help.find('\0'), std::string::npos);
    bool endsWithLineEnd = false;
    const std::vector<std::string> lines = crlfLines(help, endsWithLineEnd);
    ASSERT_EQ(lines.size(), 33u);
    EXPECT_TRUE(endsWithLineEnd);
    EXPECT_EQ(lines[0], "INTRODUCTION");
    EXPECT_EQ(lines[5], "MENU");
    EXPECT_EQ(lines[26], "EXAMPLES");
    for (int blank : {2, 4, 5, 7, 12, 16, 21, 25, 26, 28, 30, 32})
        EXPECT_EQ(lines[blank - 1], "") << "line " << blank;
}

TEST(HelpText, KeepsIndentationAndTheTwoSpacesOfTheLastLine) {
    bool endsWithLineEnd = false;
    const std::vector<std::string> lines = crlfLines(load("HELP"), endsWithLineEnd);
    ASSERT_EQ(lines.size(), 33u);
    for (int line : {9, 10, 11, 14, 15})
        EXPECT_EQ(lines[line - 1].rfind("    - ", 0), 0u) << "line " << line;
    for (int line : {18, 19, 20, 23, 24}) {
        EXPECT_EQ(lines[line - 1].rfind("   - ", 0), 0u) << "line " << line;
        EXPECT_NE(lines[line - 1][3], ' ') << "line " << line;
    }
    const std::string& last = lines[32];
    EXPECT_NE(last.find("save it as a bitmap.  You can then acquire"), std::string::npos);
    EXPECT_TRUE(last.ends_with("favorite graphics editor."));
}

TEST(Disclaimer, IsTwoLinesOf247BytesWithoutFinalLineEnd) {
    const std::string text = load("AboutDis");
    ASSERT_EQ(text.size(), 247u);
    EXPECT_EQ(text.rfind("DISCLAIMER:\r\n", 0), 0u);
    bool endsWithLineEnd = true;
    const std::vector<std::string> lines = crlfLines(text, endsWithLineEnd);
    EXPECT_EQ(lines.size(), 2u);
    EXPECT_FALSE(endsWithLineEnd);
    EXPECT_NE(text.find("whatsoever.  "), std::string::npos);
    EXPECT_EQ(text.find("whatsoever.   "), std::string::npos);
}

TEST(LicenceTerms, AreAHeadingAndOneParagraphWithoutFinalLineEnd) {
    const std::string text = load(kLicenceResourceName);
    bool endsWithLineEnd = true;
    const std::vector<std::string> lines = crlfLines(text, endsWithLineEnd);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_FALSE(endsWithLineEnd);
    EXPECT_FALSE(lines[0].empty());
    EXPECT_GT(lines[1].size(), lines[0].size());
    EXPECT_NE(text.find("Varnel"), std::string::npos);
}

TEST(LoadTextResource, IgnoresTheCaseOfNameAndType) {
    const std::string exact = load("HELP");
    for (auto [name, type] : {std::pair{"help", "txt"}, {"Help", "Txt"}, {"hElP", "TXT"}}) {
        std::string text;
        EXPECT_TRUE(loadTextResource(name, type, text)) << name << " " << type;
        EXPECT_EQ(text, exact);
    }
    std::string disclaimer;
    EXPECT_TRUE(loadTextResource("ABOUTDIS", "txt", disclaimer));
    EXPECT_EQ(disclaimer.size(), 247u);
}

TEST(LoadTextResource, FailsWithAnEmptyTextForUnknownNamesAndTypes) {
    for (auto [name, type] : {std::pair{"HELPX", "TXT"},
                              {"HEL", "TXT"},
                              {"HELP", "TX"},
                              {"HELP", "XPM"},
                              {"", "TXT"},
                              {"1000_32", "TXT"}}) {
        std::string text = "left over";
        EXPECT_FALSE(loadTextResource(name, type, text)) << name << " " << type;
        EXPECT_TRUE(text.empty()) << name << " " << type;
    }
    std::string text = "left over";
    EXPECT_FALSE(loadTextResource(nullptr, "TXT", text));
    EXPECT_TRUE(text.empty());
}

TEST(FindResource, SearchesTheGivenTableWholeNamesOnly) {
    const unsigned char a[] = {'a'}, b[] = {'b', 'b'};
    const EmbeddedResource table[] = {{"One", "TXT", a, 1}, {"OneTwo", "TXT", b, 2}};
    EXPECT_EQ(findResource(table, "onetwo", "txt"), &table[1]);
    EXPECT_EQ(findResource(table, "ONE", "Txt"), &table[0]);
    EXPECT_EQ(findResource(table, "On", "TXT"), nullptr);
    EXPECT_EQ(findResource(table, "One", nullptr), nullptr);
}

}  // namespace
}  // namespace vexa
