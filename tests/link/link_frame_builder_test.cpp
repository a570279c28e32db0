#include "link/link_frame_builder.h"

#include "support/frame_recorder.h"

#include <gtest/gtest.h>

namespace crv::link {
namespace {

using testing::Bytes;

class BuilderTest : public ::testing::Test {
protected:
    LinkCounters counters;
    testing::CollectingSink sink;
    LinkFrameBuilder builder{counters, &sink};
};

TEST_F(BuilderTest, BuildsFramesWithLengthAndCheck) {
    builder.begin();
    builder.put8(32);
    builder.put8(4);
    EXPECT_TRUE(builder.finish());
    builder.begin();
    builder.put8(3);
    builder.put8(1);
    EXPECT_TRUE(builder.finish());
    EXPECT_EQ(sink.bytes, (Bytes{0xCB, 0x03, 0x20, 0x04, 0xEC, 0xCB, 0x03, 0x03, 0x01, 0xCA}));
    EXPECT_EQ(counters.framesSent, 2u);
}

TEST_F(BuilderTest, MultiByteValuesAreBigEndian) {
    builder.begin();
    builder.put8(99);
    builder.put16(static_cast<uint16_t>(-1));
    builder.put32(1);
    builder.put32(static_cast<uint32_t>(-2));
    const uint8_t raw[] = {0x11, 0x22};
    builder.putBytes(raw, sizeof raw); // memory order kept
    ASSERT_TRUE(builder.finish());
    const Bytes body(sink.bytes.begin() + 3, sink.bytes.end() - 1);
    EXPECT_EQ(body, (Bytes{0xFF, 0xFF, 0, 0, 0, 1, 0xFF, 0xFF, 0xFF, 0xFE, 0x11, 0x22}));
    EXPECT_EQ(sink.bytes[1], 14); // 12 payload bytes + 2
}

TEST_F(BuilderTest, ReadRequests) {
    builder.sendReadRequest(1);
    builder.sendReadRequest(27, 70);
    EXPECT_EQ(sink.bytes, (Bytes{0xCB, 0x02, 0x81, 0x48, 0xCB, 0x03, 0x9B, 0x46, 0x15}));
}

TEST_F(BuilderTest, LargestPayloadFitsTheBuffer) {
    builder.begin();
    builder.put8(56);
    const Bytes payload(LinkFrameBuilder::kMaxPayload, 0x41);
    builder.putBytes(payload.data(), payload.size());
    ASSERT_TRUE(builder.finish());
    ASSERT_EQ(sink.bytes.size(), LinkFrameBuilder::kCapacity);
    EXPECT_EQ(sink.bytes[1], 248);
}

TEST_F(BuilderTest, RefusesWhatDoesNotFitAndWritesNothing) {
    builder.begin();
    builder.put8(56);
    const Bytes payload(LinkFrameBuilder::kMaxPayload + 1, 0x41);
    builder.putBytes(payload.data(), payload.size());
    EXPECT_FALSE(builder.finish());
    EXPECT_TRUE(sink.bytes.empty());
    EXPECT_EQ(counters.framesSent, 0u);

    // The next frame is unaffected.
    builder.begin();
    builder.put8(3);
    builder.put8(0);
    EXPECT_TRUE(builder.finish());
    EXPECT_EQ(sink.bytes, (Bytes{0xCB, 0x03, 0x03, 0x00, 0xCB}));
}

TEST_F(BuilderTest, RefusesFramesThatWereNotBegunOrHaveNoType) {
    EXPECT_FALSE(builder.finish());
    builder.put8(3);
    EXPECT_FALSE(builder.finish());
    builder.begin();
    EXPECT_FALSE(builder.finish());
    builder.begin();
    builder.put8(3);
    builder.put8(1);
    EXPECT_TRUE(builder.finish());
    EXPECT_FALSE(builder.finish()); // finished frames are not sent twice
    EXPECT_EQ(sink.frames, 1);
    EXPECT_EQ(counters.framesSent, 1u);
}

} // namespace
} // namespace crv::link
