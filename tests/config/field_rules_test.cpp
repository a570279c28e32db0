#include "common/typed_number.h"
#include "config/field_rules.h"

#include <gtest/gtest.h>

namespace crv::config {
namespace {

TEST(FieldRulesTest, StrictIntegers) {
    EXPECT_EQ(parseInteger("42").value, 42);
    EXPECT_EQ(parseInteger(" -7 ").value, -7);
    EXPECT_EQ(parseInteger("+5").value, 5);
    for (const char* text : {"", "12a", "1.5", "abc", "99999999999", "--1", "0x10"}) {
        const IntegerParse parsed = parseInteger(text);
        EXPECT_FALSE(parsed.value) << text;
        EXPECT_EQ(parsed.error, std::string("'") + text + "' is not a valid integer value");
    }
}

TEST(FieldRulesTest, DecimalNumbers) {
    EXPECT_DOUBLE_EQ(*parseNumber("12.0").value, 12.0);
    EXPECT_DOUBLE_EQ(*parseNumber("-0.5").value, -0.5);
    EXPECT_FALSE(parseNumber("12,0").value);
    EXPECT_EQ(parseNumber("x").error, "'x' is not a valid floating point value");
}

TEST(FieldRulesTest, Clamps) {
    struct Row {
        int32_t typed;
        int safe, throttle, angle;
    };
    const Row rows[] = {
        {250, 50, 100, 80},  {30, 50, 50, 30}, {-5, 50, 100, 5},    {120, 120, 100, 80},
        {10, 50, 50, 10},    {0, 50, 50, 5},   {100, 100, 100, 80}, {75, 75, 75, 75},
        {200, 200, 100, 80}, {50, 50, 50, 50},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(safeAltitudeByte(row.typed), row.safe) << row.typed;
        EXPECT_EQ(throttleMaxByte(row.typed), row.throttle) << row.typed;
        EXPECT_EQ(angleLimitByte(row.typed), row.angle) << row.typed;
    }
}

TEST(FieldRulesTest, CustomLines) {
    EXPECT_EQ(customCategoryOf(0x43), 2);
    EXPECT_EQ(customItemOf(0x43), 3);
    EXPECT_EQ(customItems(2)[3], "Odometer: km");
    EXPECT_EQ(customCategoryOf(0xE1), 7);
    EXPECT_EQ(customItems(7), customItems(0));
    EXPECT_EQ(keptItemIndex(customItemOf(0xE1), static_cast<int>(customItems(7).size())), 0);
    EXPECT_EQ(customLineByte(2, 3), 0x43);

    // "Sens" item 9 to "Climb" becomes item 0; "Climb" item 4 to "Nav" stays 4.
    EXPECT_EQ(keptItemIndex(9, static_cast<int>(customItems(1).size())), 0);
    EXPECT_EQ(keptItemIndex(4, static_cast<int>(customItems(4).size())), 4);
    EXPECT_EQ(customItems(4)[4], "Path error: m");
    EXPECT_EQ(keptItemIndex(-1, 5), 0);
    EXPECT_EQ(channelNames().front(), "RC5");
    EXPECT_EQ(channelNames().back(), "S18");
}

} // namespace
} // namespace crv::config
