#include "ui/string_table.h"

#include <gtest/gtest.h>

#include <set>

namespace vexa {
namespace {

TEST(StringTable, HoldsTheApplicationName) {
    EXPECT_EQ(loadString(57344), "Vexa");
    EXPECT_EQ(applicationName(), "Vexa");
}

TEST(StringTable, AnswersNothingForUnknownIdsAndHasUniqueIds) {
    EXPECT_FALSE(loadString(57345).has_value());
    EXPECT_FALSE(loadString(0).has_value());
    std::set<unsigned> ids;
    for (const StringResource& entry : stringTable()) {
        EXPECT_TRUE(ids.insert(entry.id).second) << entry.id;
        EXPECT_NE(entry.text, nullptr);
    }
    const std::optional<std::string> rights = loadString(IDS_RIGHTS_NOTICE);
    ASSERT_TRUE(rights.has_value());
    EXPECT_NE(rights->find("Varnel"), std::string::npos);
}

}  // namespace
}  // namespace vexa
