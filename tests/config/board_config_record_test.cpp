#include "config/board_config_record.h"

#include <gtest/gtest.h>

#include <vector>

namespace crv::config {
namespace {

TEST(BoardConfigRecordTest, DecodesTheImage) {
    const std::vector<uint8_t> payload = {0x09, 0x23, 0x64, 0x32, 0x32, 0x78};
    const BoardConfigRecord record = decodeBoardConfig({24, 8, payload.data(), payload.size()});
    EXPECT_EQ(record.flags(), BoardConfigRecord::kRollReverse | BoardConfigRecord::kYawReverse);
    EXPECT_EQ(gainText(record.gain(0)), "0.35");
    EXPECT_EQ(gainText(record.gain(1)), "1");
    EXPECT_EQ(gainText(record.gain(2)), "0.5");
    EXPECT_EQ(gainText(record.gain(4)), "1.2");
    EXPECT_EQ(gainText(25), "0.25");

    const BoardConfigRecord shortRecord = decodeBoardConfig({24, 4, payload.data(), 2});
    EXPECT_EQ(shortRecord.gain(1), 0) << "missing bytes read as zero";
}

TEST(BoardConfigRecordTest, TypedGainsBecomeTheirHundredths) {
    struct Row {
        const char* text;
        int gain;
    };
    const Row rows[] = {
        {"0.35", 35},     {"1", 100},    {"0.5", 50},   {"1.2", 120},  {"0.29", 29},
        {"0.57", 57},     {"3", 44},     {"2.55", 255}, {"2.56", 0},   {"-0.01", 255},
        {"0.295", 29},    {"1e-1", 10},  {" 0.5 ", 50}, {"+1.5", 150}, {"1e300", 0},
        {"1.13", 113},    {"2.01", 201}, {"0.07", 7},   {"1.15", 115}, {"0.58", 58},
        {"-0.29", 227},   {"4.35", 179}, {".5", 50},    {"5.", 244},   {"29e-2", 29},
        {"0.0029e2", 29},
    };
    for (const Row& row : rows) {
        const GainParse parsed = parseGain(row.text);
        ASSERT_TRUE(parsed.gain) << row.text;
        EXPECT_EQ(*parsed.gain, row.gain) << row.text;
    }
}

// Past two decimals the hundredths are truncated, however close the value lies to the next one.
TEST(BoardConfigRecordTest, TypedGainsWithMoreDecimalsAreTruncated) {
    struct Row {
        const char* text;
        int gain;
    };
    const Row rows[] = {
        {"0.2899999999", 28},    {"1.9999999", 199},   {"0.0099999999", 0},
        {"2.5599999999", 255},   {"-0.0099999999", 0}, {"0.28999999999999999999", 28},
        {"1.005", 100},          {"0.999", 99},        {"-1.999999999", 57},
        {"28.999999999e-2", 28}, {"0.000000001", 0},   {"1.00000000001", 100},
    };
    for (const Row& row : rows) {
        const GainParse parsed = parseGain(row.text);
        ASSERT_TRUE(parsed.gain) << row.text;
        EXPECT_EQ(*parsed.gain, row.gain) << row.text;
    }
}

TEST(BoardConfigRecordTest, TextThatIsNoNumberIsRefused) {
    for (const char* text : {"abc", "", "1,5", "0.5x", "nan", "inf", "--1"}) {
        const GainParse parsed = parseGain(text);
        EXPECT_FALSE(parsed.gain) << text;
        EXPECT_EQ(parsed.error, std::string("'") + text + "' is not a valid floating point value");
    }
}

} // namespace
} // namespace crv::config
