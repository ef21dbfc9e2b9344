#include "settings/registry_key_path.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "recording_registry.h"

namespace vexa {
namespace {

using test::RecordingRegistry;
using Calls = std::vector<std::string>;

const std::string software = "HKEY_LOCAL_MACHINE\\Software";
const std::string vexaKey = software + "\\Varnel\\Vexa";

TEST(RegistryKeyPathBind, TakesTheNamesItIsGivenAndRootZeroUnbinds) {
    RecordingRegistry registry;
    RegistryKeyPath key(registry, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(key.root(), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(key.software(), "Software");
    EXPECT_EQ(key.company(), "");
    EXPECT_EQ(key.application(), "");

    key.bind(key.root(), "", "Vexa");
    EXPECT_EQ(key.company(), "");
    EXPECT_EQ(key.application(), "Vexa");
    key.bind(key.root(), "Varnel", "Vexa");
    EXPECT_EQ(key.company(), "Varnel");

    key.bind(0, "Co", "App");
    EXPECT_EQ(key.root(), 0u);
    EXPECT_EQ(key.software() + key.company() + key.application(), "");
    EXPECT_TRUE(registry.calls().empty());
}

class RegistryKeyPathTest : public ::testing::Test {
  protected:
    RecordingRegistry registry;
    RegistryKeyPath key{registry, HKEY_LOCAL_MACHINE, "Varnel", "Vexa"};
};

TEST_F(RegistryKeyPathTest, FirstReadCreatesTheLevelsAndSectionAndClosesEveryHandle) {
    EXPECT_EQ(key.readInt("View", "Columns", 256), 256);
    EXPECT_EQ(registry.calls(), (Calls{
                                    "open " + software,
                                    "create " + software + "\\Varnel",
                                    "create " + software + "\\Varnel\\Vexa",
                                    "close " + software + "\\Varnel",
                                    "close " + software,
                                    "create " + vexaKey + "\\View",
                                    "close " + vexaKey,
                                    "query " + vexaKey + "\\View:Columns",
                                    "close " + vexaKey + "\\View",
                                }));
    EXPECT_TRUE(registry.hasKey(vexaKey + "\\View"));
    EXPECT_EQ(registry.openHandles(), 0u);
}

TEST_F(RegistryKeyPathTest, IntegersRoundTripAsSignedLittleEndianDwords) {
    EXPECT_TRUE(key.writeInt("Window", "Bounds.left", -5));
    EXPECT_EQ(key.readInt("Window", "Bounds.left", 0), -5);
    auto stored = registry.value(vexaKey + "\\Window", "Bounds.left");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->type, REG_DWORD);
    EXPECT_EQ(stored->data, (std::vector<std::uint8_t>{0xFB, 0xFF, 0xFF, 0xFF}));
    EXPECT_TRUE(key.writeInt("View", "Columns", 0x01020304));
    EXPECT_EQ(registry.value(vexaKey + "\\View", "Columns")->data,
              (std::vector<std::uint8_t>{4, 3, 2, 1}));
    EXPECT_EQ(registry.openHandles(), 0u);
}

TEST_F(RegistryKeyPathTest, IntegerReadsOfOtherValuesFollowTheirBytes) {
    // Five bytes with the terminator: too long for the 4-byte buffer.
    registry.putBytes(vexaKey + "\\View", "Long", REG_SZ, {'a', 'b', 'c', 'd', 0});
    EXPECT_EQ(key.readInt("View", "Long", 77), 77);
    // Exactly four bytes are read whatever their type.
    registry.putBytes(vexaKey + "\\View", "Short", REG_SZ, {'a', 'b', 'c', 0});
    EXPECT_EQ(key.readInt("View", "Short", 77), 0x00636261);
    // A shorter value leaves the high bytes zero.
    registry.putBytes(vexaKey + "\\View", "Two", REG_BINARY, {0x34, 0x12});
    EXPECT_EQ(key.readInt("View", "Two", -1), 0x1234);
    EXPECT_EQ(key.readInt("View", "Absent", -9), -9);
}

TEST_F(RegistryKeyPathTest, AnUnboundKeyReadsDefaultsWritesNothingAndCreatesNoKey) {
    key.unbind();
    EXPECT_EQ(key.readInt("View", "Columns", 256), 256);
    EXPECT_FALSE(key.writeInt("View", "Columns", 16));
    EXPECT_FALSE(registry.hasKey(software + "\\Varnel"));
    EXPECT_EQ(registry.tree.find({"HKEY_LOCAL_MACHINE", "Software"})->children().size(), 0u);
    EXPECT_EQ(registry.openHandles(), 0u);
}

TEST_F(RegistryKeyPathTest, AFailingCompanyLevelStopsThereAndClosesTheSoftwareKey) {
    registry.failCall("create " + software + "\\Varnel");
    EXPECT_EQ(key.readInt("View", "Columns", 256), 256);
    EXPECT_EQ(registry.calls(),
              (Calls{"open " + software, "create " + software + "\\Varnel", "close " + software}));
    EXPECT_EQ(registry.openHandles(), 0u);
    EXPECT_FALSE(registry.hasKey(software + "\\Varnel"));
}

TEST_F(RegistryKeyPathTest, AFailureAtAnyCallGivesTheDefaultAndLeavesNoHandleOpen) {
    // One read goes through nine calls; failing each in turn must never leak a handle.
    for (std::size_t i = 0; i < 9; ++i) {
        RecordingRegistry fresh;
        RegistryKeyPath k(fresh, HKEY_LOCAL_MACHINE, "Varnel", "Vexa");
        fresh.putDword(vexaKey + "\\View", "Columns", 16);
        fresh.failCall(i);
        std::int32_t got = k.readInt("View", "Columns", 256);
        bool closeFailed = fresh.calls()[i].rfind("close ", 0) == 0;
        EXPECT_EQ(got, closeFailed ? 16 : 256) << fresh.calls()[i];
        // A failed close leaves its handle; every other handle is closed.
        EXPECT_EQ(fresh.openHandles(), closeFailed ? 1u : 0u) << fresh.calls()[i];
    }
}

}  // namespace
}  // namespace vexa
