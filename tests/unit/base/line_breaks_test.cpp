#include "base/line_breaks.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

// Every character one unit wide; a character of several UTF-8 bytes counts once.
int characters(std::string_view text) {
    int n = 0;
    for (char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

std::string broken(std::string_view text, int maxWidth) {
    return breakLongWords(text, maxWidth, characters);
}

TEST(LineBreaks, WordsThatFitAndTheBlanksBetweenThemAreKept) {
    EXPECT_EQ(broken("Access to /tmp/a.bmp was denied.", 12), "Access to /tmp/a.bmp was denied.");
    EXPECT_EQ(broken("one\ntwo  three", 5), "one\ntwo  three");
    EXPECT_EQ(broken("", 5), "");
}

TEST(LineBreaks, ALongPathBreaksAfterTheLastSlashThatFits) {
    EXPECT_EQ(broken("at /home/ann/palettes/old/x.bmp.", 12),
              "at /home/ann/\npalettes/\nold/x.bmp.");
    // The piece ends with the slash: nothing is lost or added but the breaks.
    EXPECT_EQ(broken("/abc/defgh/ij", 6), "/abc/\ndefgh/\nij");
}

TEST(LineBreaks, AWordWithoutSlashesBreaksAfterTheLastCharacterThatFits) {
    EXPECT_EQ(broken("abcdefghij", 4), "abcd\nefgh\nij");
    EXPECT_EQ(broken("/abcdefgh", 4), "/abc\ndefg\nh");  // a leading slash is no break
    EXPECT_EQ(broken("abc", 0), "a\nb\nc");              // at least one character a line
}

TEST(LineBreaks, CharactersOfSeveralBytesAreNeverSplit) {
    const std::string text = "\xC3\xA4\xC3\xB6\xC3\xBC\xE2\x82\xAC";  // four characters
    EXPECT_EQ(broken(text, 3), "\xC3\xA4\xC3\xB6\xC3\xBC\n\xE2\x82\xAC");
}

}  // namespace
}  // namespace vexa
