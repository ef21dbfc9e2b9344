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

TEST(RegistryText, WritesEveryKeyWithItsTypedValues) {
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
              "\n[HKEY_LOCAL_MACHINE\\Software]\n"
              "\n[HKEY_LOCAL_MACHINE\\Software\\Varnel]\n"
              "\n[HKEY_LOCAL_MACHINE\\Software\\Varnel\\Vexa]\n"
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
        {"dw", REG_DWORD, {1, 2, 3, 4}},       {"sz", REG_SZ, {'"', '\\', '=', '[', ']', ';', 0}},
        {"empty binary", REG_BINARY, {}},      {"nul inside", REG_SZ, {'a', 0, 'b', 0}},
        {"no terminator", REG_SZ, {'a', 'b'}}, {"cr", REG_SZ, {'a', '\r', 0}},
        {"big type", 0x12345678, {0xFF}},      {"name \"quoted\" \\", REG_NONE, {0}},
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

}  // namespace
}  // namespace vexa
