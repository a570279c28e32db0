#include "console/paced_sender.h"

#include "console/sent_frames.h"

#include <gtest/gtest.h>

namespace crv::console {
namespace {

using testing::Bytes;

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

class PacedSenderTest : public ::testing::Test {
protected:
    testing::SentFrames sent;
    PacedSender sender{sent.builder};
};

TEST_F(PacedSenderTest, SendsALineInOneFrameAtOnce) {
    sender.send(bytesOf("help\r\n"), false);
    ASSERT_EQ(sent.frames.size(), 1u);
    EXPECT_EQ(sent.frames[0].type, 56);
    EXPECT_EQ(sent.frames[0].payload, bytesOf("help\r\n"));
    EXPECT_FALSE(sender.busy());
}

TEST_F(PacedSenderTest, SendsALongLineAsFortyByteFramesOnePerTick) {
    sender.send(bytesOf(std::string(100, 'x') + "\r\n"), false);
    EXPECT_EQ(sent.frames.size(), 1u);
    EXPECT_TRUE(sender.busy());
    sender.tick();
    EXPECT_EQ(sent.frames.size(), 2u);
    sender.tick();
    sender.tick(); // nothing left
    ASSERT_EQ(sent.frames.size(), 3u);
    EXPECT_EQ(sent.frames[0].payload.size(), 40u);
    EXPECT_EQ(sent.frames[1].payload.size(), 40u);
    EXPECT_EQ(sent.frames[2].payload, bytesOf("xxxxxxxxxxxxxxxxxxxx\r\n"));
    EXPECT_EQ(sender.sentBytes(), 102u);
    EXPECT_EQ(sender.queuedBytes(), 102u);
}

TEST_F(PacedSenderTest, SkipsCarriageReturnsOfAFile) {
    sender.send({'a', 13, 10, 'b'}, true);
    ASSERT_EQ(sent.frames.size(), 1u);
    EXPECT_EQ(sent.frames[0].payload, (Bytes{'a', 10, 'b'}));
}

// A second send while one runs goes out after it, in order, not in between.
TEST_F(PacedSenderTest, QueuesSendsBehindEachOther) {
    sender.send(bytesOf(std::string(50, 'a')), false);
    sender.send(bytesOf("bb"), false);
    EXPECT_EQ(sent.frames.size(), 1u);
    sender.tick();
    ASSERT_EQ(sent.frames.size(), 2u);
    EXPECT_EQ(sent.frames[1].payload, bytesOf("aaaaaaaaaabb"));
    EXPECT_EQ(sender.queuedBytes(), 52u);
}

TEST_F(PacedSenderTest, CancelDropsWhatIsNotSent) {
    sender.send(bytesOf(std::string(200, 'a')), false);
    sender.cancel();
    EXPECT_FALSE(sender.busy());
    sender.tick();
    EXPECT_EQ(sent.frames.size(), 1u);
    sender.send(bytesOf("x"), false);
    EXPECT_EQ(sent.frames.size(), 2u) << "an idle sender starts at once again";
}

} // namespace
} // namespace crv::console
