#include "platform/store/registry_text.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

using Bytes = std::vector<std::uint8_t>;

const RegistryValue* valueAt(const ParsedRegistry& parsed, const std::string& key,
                             const std::string& name) {
    const RegistryNode* node = parsed.tree.find(splitKeyPath(key));
    return node ? node->value(name) : nullptr;
}

TEST(RegistryText, AnEmptyTextIsANewHiveWithSoftware) {
    for (std::string_view text : {"", "\n\n", "REGEDIT4\n"}) {
        auto parsed = parseRegistryText(text);
        EXPECT_TRUE(parsed.clean);
        EXPECT_TRUE(parsed.tree.find({"HKEY_LOCAL_MACHINE", "Software"}));
    }
    EXPECT_EQ(formatRegistryText(RegistryTree{}), "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software]\n");
}

TEST(RegistryText, WritesEachKeyWithValuesOrNoChildrenWithItsTypedValues) {
    RegistryTree tree;
    auto& view = tree.ensure(splitKeyPath("HKEY_LOCAL_MACHINE\\Software\\Varnel\\Vexa\\View"));
    view.setValue("Columns", REG_DWORD, {0, 1, 0, 0});
    view.setValue("On top", REG_DWORD, {0xFB, 0xFF, 0xFF, 0xFF});
    view.setValue("Path", REG_SZ, {'C', ':', '\\', '"', 'x', '"', 0});
    view.setValue("", REG_SZ, {0});
    view.setValue("Blob", REG_BINARY, {0xDE, 0xAD});
    view.setValue("List", 7, {'a', 0, 0});
    view.setValue("Lines", REG_SZ, {'a', '\n', 'b', 0});
    view.setValue("Short", REG_DWORD, {1, 2});
    EXPECT_EQ(formatRegistryText(tree),
              "REGEDIT4\n"
              "\n[HKEY_LOCAL_MACHINE\\Software\\Varnel\\Vexa\\View]\n"
              "\"Columns\"=dword:00000100\n"
              "\"On top\"=dword:fffffffb\n"
              "\"Path\"=\"C:\\\\\\\"x\\\"\"\n"
              "@=\"\"\n"
              "\"Blob\"=hex:de,ad\n"
              "\"List\"=hex(7):61,00,00\n"
              "\"Lines\"=hex(1):61,0a,62,00\n"
              "\"Short\"=hex(4):01,02\n");
}

TEST(RegistryText, EveryValueSurvivesARoundTripByteForByte) {
    RegistryTree tree;
    auto& key = tree.ensure(splitKeyPath("HKEY_LOCAL_MACHINE\\Software\\A b\\C"));
    std::vector<RegistryValue> values = {
        {"dw", REG_DWORD, {1, 2, 3, 4}},
        {"sz", REG_SZ, {'"', '\\', '=', '[', ']', ';', 0}},
        {"empty binary", REG_BINARY, {}},
        {"nul inside", REG_SZ, {'a', 0, 'b', 0}},
        {"no terminator", REG_SZ, {'a', 'b'}},
        {"cr", REG_SZ, {'a', '\r', 0}},
        {"big type", 0x12345678, {0xFF}},
        {"name \"quoted\" \\", REG_NONE, {0}},
        // A text that looks like the end of a continued hex list is no continuation.
        {"=hex:1,\\", REG_SZ, {'=', 'h', 'e', 'x', ':', '1', ',', '\\', 0}},
    };
    Bytes all;
    for (int i = 0; i < 256; ++i) all.push_back(static_cast<std::uint8_t>(i));
    values.push_back({"all bytes", 2, all});
    for (const auto& v : values) key.setValue(v.name, v.type, v.data);

    std::string text = formatRegistryText(tree);
    auto parsed = parseRegistryText(text);
    EXPECT_TRUE(parsed.clean);
    for (const auto& v : values) {
        const RegistryValue* back = valueAt(parsed, "HKEY_LOCAL_MACHINE\\Software\\A b\\C", v.name);
        ASSERT_TRUE(back) << v.name;
        EXPECT_EQ(*back, v) << v.name;
    }
    EXPECT_EQ(formatRegistryText(parsed.tree), text);
}

TEST(RegistryText, ReadsAHandWrittenFileWithCrLfCommentsAndContinuations) {
    auto parsed = parseRegistryText(
        "REGEDIT4\r\n"
        "\r\n"
        "; settings written by hand\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Varnel\\Vexa\\View]  \r\n"
        "\"Columns\"=dword:00000010\r\n"
        "\"ROWS\" = dword:10\r\n"
        "\"Title\"=\"Pal \\\"8\\\" \\\\ bit\"\r\n"
        "@=\"default\"\r\n"
        "\"Multi\"=hex(7):61,00,62,\\\r\n"
        "  00,00\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Other]\r\n"
        "\"Bin\"=hex:01,02\r\n");
    EXPECT_TRUE(parsed.clean);
    const std::string view = "HKEY_LOCAL_MACHINE\\Software\\Varnel\\Vexa\\View";
    EXPECT_EQ(valueAt(parsed, view, "columns")->data, (Bytes{16, 0, 0, 0}));
    EXPECT_EQ(valueAt(parsed, view, "rows")->data, (Bytes{16, 0, 0, 0}));
    EXPECT_EQ(valueAt(parsed, view, "Title")->data,
              (Bytes{'P', 'a', 'l', ' ', '"', '8', '"', ' ', '\\', ' ', 'b', 'i', 't', 0}));
    EXPECT_EQ(valueAt(parsed, view, "")->type, REG_SZ);
    EXPECT_EQ(valueAt(parsed, view, "Multi")->type, 7u);
    EXPECT_EQ(valueAt(parsed, view, "Multi")->data, (Bytes{'a', 0, 'b', 0, 0}));
    EXPECT_EQ(valueAt(parsed, "HKEY_CURRENT_USER\\Other", "Bin")->data, (Bytes{1, 2}));
    // The first spelling of a key is kept; the new hive's "Software" came first.
    EXPECT_EQ(parsed.tree.storedSpelling(splitKeyPath(view))[1], "Software");
    EXPECT_EQ(parsed.tree.storedSpelling({"hkey_local_machine", "software", "varnel"})[2],
              "Varnel");
}

TEST(RegistryText, UsesTheLinesThatParseAndReportsTheRest) {
    struct Case {
        const char* text;
        bool clean;
    };
    for (auto c : {
             Case{"REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\X]\n\"a\"=dword:1\n", true},
             Case{"[HKEY_LOCAL_MACHINE\\Software\\X]\n\"a\"=dword:1\n", false},
             Case{"REGEDIT4\n\"a\"=dword:1\n[HKEY_LOCAL_MACHINE\\Software\\X]\n\"a\"=dword:1\n",
                  false},
             Case{"REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\X]\n\"a\"=dword:1\ngarbage\n", false},
             Case{"REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\X]\n\"a\"=dword:1\n\"b\"=dword:"
                  "123456789\n",
                  false},
             Case{"REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\X]\n\"a\"=dword:1\n\"b\"=hex:1,zz\n",
                  false},
             Case{"REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\X]\n\"a\"=dword:1\n\"b\"=\"open\n",
                  false},
             Case{"REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\X]\n\"a\"=dword:1\n\"b\"=\"\\n\"\n",
                  false},
             Case{"REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\X]\n\"a\"=dword:1\n[Broken\n\"b\"="
                  "dword:2\n",
                  false},
             Case{"REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\X]\n\"a\"=dword:1\n[NotARoot\\Y]\n",
                  false},
             Case{"\x01\x02\xff\nREGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\X]\n\"a\"=dword:1\n",
                  false},
         }) {
        auto parsed = parseRegistryText(c.text);
        EXPECT_EQ(parsed.clean, c.clean) << c.text;
        const RegistryValue* a = valueAt(parsed, "HKEY_LOCAL_MACHINE\\Software\\X", "a");
        ASSERT_TRUE(a) << c.text;
        EXPECT_EQ(a->data, (Bytes{1, 0, 0, 0})) << c.text;
        // Values under a section that could not be read go nowhere else.
        EXPECT_FALSE(valueAt(parsed, "HKEY_LOCAL_MACHINE\\Software\\X", "b")) << c.text;
    }
}

// Keys without values survive a rewrite wherever they sit, a root key included.
TEST(RegistryText, EmptyKeysSurviveParseWriteParse) {
    const std::string text =
        "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Empty]\n"
        "\n[HKEY_LOCAL_MACHINE\\Software\\Full]\n\"a\"=dword:00000001\n\n[HKEY_CURRENT_USER]\n";
    auto once = parseRegistryText(text);
    ASSERT_TRUE(once.clean);
    auto twice = parseRegistryText(formatRegistryText(once.tree));
    EXPECT_TRUE(twice.tree.find({"HKEY_CURRENT_USER"}));
    EXPECT_TRUE(twice.tree.find({"HKEY_LOCAL_MACHINE", "Software", "Empty"}));
    EXPECT_EQ(formatRegistryText(twice.tree), text);
}

std::string chain(std::size_t depth) {
    std::string path = "HKEY_LOCAL_MACHINE";
    for (std::size_t i = 1; i < depth; ++i) path += "\\k";
    return path;
}

TEST(RegistryText, ADeepKeyIsWrittenOnceNotOncePerLevel) {
    const std::string text =
        "REGEDIT4\n\n[" + chain(maxRegistryDepth) + "]\n\"v\"=dword:00000001\n";
    auto parsed = parseRegistryText(text);
    EXPECT_TRUE(parsed.clean);
    std::vector<std::string> levels = splitKeyPath(chain(maxRegistryDepth));
    ASSERT_TRUE(parsed.tree.find(levels));
    // The new hive's Software key keeps its own section; nothing else is added.
    EXPECT_EQ(formatRegistryText(parsed.tree),
              "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software]\n" + text.substr(9));
}

TEST(RegistryText, ASectionDeeperThanTheLimitIsUnreadableAndTheRestIsKept) {
    for (std::size_t depth : {maxRegistryDepth + 1, std::size_t{300000}}) {
        auto parsed = parseRegistryText(
            "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\X]\n"
            "\"a\"=dword:1\n[" +
            chain(depth) + "]\n\"b\"=dword:2\n");
        EXPECT_FALSE(parsed.clean) << depth;
        EXPECT_TRUE(valueAt(parsed, "HKEY_LOCAL_MACHINE\\Software\\X", "a")) << depth;
        EXPECT_FALSE(parsed.tree.find({"HKEY_LOCAL_MACHINE", "k"})) << depth;
    }
}

TEST(RegistryText, ATextLongerThanTheLimitIsNotReadAtAll) {
    std::string text = "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\X]\n\"a\"=dword:1\n";
    text.resize(maxRegistryTextSize + 1, '\n');
    auto parsed = parseRegistryText(text);
    EXPECT_FALSE(parsed.clean);
    EXPECT_FALSE(parsed.tree.find({"HKEY_LOCAL_MACHINE", "Software", "X"}));
}

// Built in memory, a hive can be deeper than any file may be: taking it apart and writing
// it must not use the stack per level.
TEST(RegistryTree, AMillionLevelsAreWrittenAndDestroyedWithoutRecursion) {
    std::size_t textSize = 0;
    {
        RegistryTree tree;
        RegistryNode* node = &tree.ensure({"HKEY_LOCAL_MACHINE"});
        for (int i = 0; i < 1000000; ++i) node = &node->childOrNew("k");
        textSize = formatRegistryText(tree).size();
    }
    EXPECT_GT(textSize, 2000000u);
    EXPECT_LT(textSize, 2100000u);
}

// Sibling lookups go through an index: a wide hive parses and writes in linear time (a scan
// per key took minutes at this size).
TEST(RegistryText, AWideHiveKeepsEveryKeyInOrderAndFindsThemByAnySpelling) {
    std::string text = "REGEDIT4\n";
    for (int i = 0; i < 200000; ++i)
        text += "\n[HKEY_LOCAL_MACHINE\\Software\\Key" + std::to_string(i) +
                "]\n\"Value\"=dword:" + std::to_string(10000000 + i) + "\n";
    auto parsed = parseRegistryText(text);
    ASSERT_TRUE(parsed.clean);
    const RegistryNode* software = parsed.tree.find({"HKEY_LOCAL_MACHINE", "Software"});
    ASSERT_EQ(software->children().size(), 200000u);
    EXPECT_TRUE(software->child("KEY199999"));
    EXPECT_TRUE(software->child("key0"));
    EXPECT_FALSE(software->child("Key200000"));
    EXPECT_EQ(formatRegistryText(parsed.tree), text);
}

}  // namespace
}  // namespace vexa
