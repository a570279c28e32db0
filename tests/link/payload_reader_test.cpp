#include "link/payload_reader.h"

#include <gtest/gtest.h>

namespace crv::link {
namespace {

TEST(PayloadReaderTest, ReadsBigEndianFields) {
    const uint8_t data[] = {0x20, 0xCB, 0xD2, 0x86, 0xFF, 0xFE};
    const PayloadReader reader(data, sizeof data);
    EXPECT_EQ(reader.u8(0), 0x20);
    EXPECT_EQ(reader.s8(4), -1);
    EXPECT_EQ(reader.u16(0), 0x20CB);
    EXPECT_EQ(reader.s16(4), -2);
    EXPECT_EQ(reader.s32(0), 550228614);
    EXPECT_EQ(reader.u32(2), 0xD286FFFEu);
}

TEST(PayloadReaderTest, BytesPastTheEndReadAsZero) {
    const uint8_t data[] = {0x12, 0x34, 0x56};
    const PayloadReader reader(data, sizeof data);
    EXPECT_EQ(reader.u16(2), 0x5600);
    EXPECT_EQ(reader.u32(1), 0x34560000u);
    EXPECT_EQ(reader.s16(3), 0);
    EXPECT_EQ(reader.u8(1000), 0);
    uint8_t out[5];
    reader.bytes(1, out, sizeof out);
    EXPECT_EQ(out[0], 0x34);
    EXPECT_EQ(out[1], 0x56);
    EXPECT_EQ(out[2] | out[3] | out[4], 0);

    const PayloadReader empty(nullptr, 0);
    EXPECT_EQ(empty.u32(0), 0u);
}

} // namespace
} // namespace crv::link
