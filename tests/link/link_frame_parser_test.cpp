#include "link/link_frame_parser.h"

#include "support/frame_recorder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace crv::link {
namespace {

using testing::Bytes;
using testing::SeenFrame;

class ParserTest : public ::testing::Test {
protected:
    ParserTest() {
        for (int type = 0; type < 128; ++type) {
            dispatcher.setHandler(static_cast<uint8_t>(type), [this](const LinkFrame& frame) {
                frames.push_back(testing::seen(frame));
                if (onFrame) {
                    onFrame(frame);
                }
            });
        }
    }

    void feed(const Bytes& bytes) { parser.feed(bytes.data(), bytes.size()); }

    LinkCounters counters;
    MessageDispatcher dispatcher;
    LinkFrameParser parser{counters, dispatcher};
    std::vector<SeenFrame> frames;
    std::function<void(const LinkFrame&)> onFrame;
};

const Bytes kArm = {0xCB, 0x03, 0x03, 0x01, 0xCA};
const Bytes kDisarm = {0xCB, 0x03, 0x03, 0x00, 0xCB};
const Bytes kVersionRequest = {0xCB, 0x02, 0x81, 0x48};
const Bytes kVersion = {0xCB, 0x08, 0x01, 0x00, 0x02, 0x00, 0x00, 0x17, 0xD4, 0x03};

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

struct StreamCase {
    std::string name;
    Bytes stream;
    std::vector<SeenFrame> expected;
    friend void PrintTo(const StreamCase& row, std::ostream* out) { *out << row.name; }
};

class ParserStreamTest : public ParserTest, public ::testing::WithParamInterface<StreamCase> {};

TEST_P(ParserStreamTest, DispatchesExactlyTheGoodFrames) {
    feed(GetParam().stream);
    EXPECT_EQ(frames, GetParam().expected);
    EXPECT_EQ(counters.framesReceived, GetParam().expected.size());
    EXPECT_EQ(counters.bytesReceived, GetParam().stream.size());
}

TEST_P(ParserStreamTest, SameFramesWhenSplitAnywhere) {
    const Bytes& stream = GetParam().stream;
    for (size_t cut = 0; cut <= stream.size(); ++cut) {
        frames.clear();
        parser.feed(stream.data(), cut);
        parser.feed(stream.data() + cut, stream.size() - cut);
        EXPECT_EQ(frames, GetParam().expected) << "split at " << cut;
    }
    frames.clear();
    for (uint8_t byte : stream) {
        parser.feed(&byte, 1);
    }
    EXPECT_EQ(frames, GetParam().expected) << "byte by byte";
}

INSTANTIATE_TEST_SUITE_P(
    Streams, ParserStreamTest,
    ::testing::Values(
        StreamCase{"ReadRequestWithoutPayload", kVersionRequest, {{0x81, 2, {}}}},
        StreamCase{"GarbageBeforeSync", {0x00, 0x55, 0xCB, 0x03, 0x03, 0x01, 0xCA}, {{3, 3, {1}}}},
        StreamCase{"BackToBack",
                   join({kArm, kVersion, kDisarm}),
                   {{3, 3, {1}}, {1, 8, {0, 2, 0, 0, 0x17, 0xD4}}, {3, 3, {0}}}},
        StreamCase{"CheckOffByOneIsDroppedNextFrameKept",
                   join({{0xCB, 0x03, 0x03, 0x01, 0xCB}, kDisarm}),
                   {{3, 3, {0}}}},
        StreamCase{"Length253Abandoned", join({{0xCB, 0xFD}, kArm}), {{3, 3, {1}}}},
        StreamCase{"Length254Abandoned", join({{0xCB, 0xFE}, kArm}), {{3, 3, {1}}}},
        StreamCase{"Length255Abandoned", join({{0xCB, 0xFF}, kArm}), {{3, 3, {1}}}},
        // A sync byte inside a dropped frame is not looked at again: no arm frame is found
        // in CB 03 03 01 CA although it sits in the bytes.
        StreamCase{
            "NoBacktrackingAfterBadCheck", {0xCB, 0x05, 0x03, 0xCB, 0x03, 0x03, 0x01, 0xCA}, {}},
        // Lengths 0 and 1 make the third byte the check; it lands in the type position.
        StreamCase{"LengthZero", {0xCB, 0x00, 0xCB}, {{0xCB, 0, {}}}},
        StreamCase{"LengthOne", {0xCB, 0x01, 0xCA}, {{0xCA, 1, {}}}},
        StreamCase{"OnlyGarbage", {0x01, 0x02, 0xCA, 0xCC}, {}}),
    [](const auto& info) { return info.param.name; });

Bytes frameOfLength(uint8_t length) {
    Bytes frame = {0xCB, length, 55};
    for (int i = 3; i <= length; ++i) {
        frame.push_back(static_cast<uint8_t>(i));
    }
    uint8_t check = 0;
    for (uint8_t byte : frame) {
        check ^= byte;
    }
    frame.push_back(check);
    return frame;
}

// Lengths up to 252 announce frames longer than 250 bytes; they are stored and handed out whole.
TEST_F(ParserTest, LongestFramesAreDispatchedWhole) {
    for (uint8_t length : {248, 249, 252}) {
        const Bytes frame = frameOfLength(length);
        frames.clear();
        feed(frame);
        for (uint8_t byte : frame) { // the stored path, too
            parser.feed(&byte, 1);
        }
        ASSERT_EQ(frames.size(), 2u) << int(length);
        EXPECT_EQ(frames[0], frames[1]);
        EXPECT_EQ(frames[0].payload.size(), length - 2u);
        EXPECT_EQ(frames[0].payload.back(), length);
    }
}

TEST_F(ParserTest, KeepsStreamOrderWhenAHandlerFeedsAgain) {
    // A handler of the first frame serves the port again, as a modal box does. The bytes it
    // reads came after the rest of the outer chunk, which ends half-way through a frame.
    const Bytes outer = join({kArm, kDisarm, Bytes(kVersion.begin(), kVersion.begin() + 4)});
    const Bytes nested = join({Bytes(kVersion.begin() + 4, kVersion.end()), kVersionRequest});
    bool nestedFed = false;
    onFrame = [&](const LinkFrame& frame) {
        if (!nestedFed && frame.payloadSize == 1 && frame.payload[0] == 1) {
            nestedFed = true;
            feed(nested);
            EXPECT_EQ(frames.size(), 4u)
                << "frames completed in the nested call are dispatched there";
        }
    };
    feed(outer);
    EXPECT_EQ(frames,
              (std::vector<SeenFrame>{
                  {3, 3, {1}}, {3, 3, {0}}, {1, 8, {0, 2, 0, 0, 0x17, 0xD4}}, {0x81, 2, {}}}));
    EXPECT_EQ(counters.framesReceived, 4u);

    // Fully back at rest: the next frame parses normally.
    feed(kArm);
    EXPECT_EQ(frames.size(), 5u);
}

TEST_F(ParserTest, HandlerPayloadSurvivesNestedFeeds) {
    // The stored path: the outer frame arrives in pieces, so it lives in the parser's store,
    // which the nested frame reuses.
    Bytes payloadSeenAfterNesting;
    bool nestedFed = false;
    onFrame = [&](const LinkFrame& frame) {
        if (frame.type == 1 && !nestedFed) {
            nestedFed = true;
            for (uint8_t byte : kArm) {
                parser.feed(&byte, 1);
            }
            payloadSeenAfterNesting.assign(frame.payload, frame.payload + frame.payloadSize);
        }
    };
    for (uint8_t byte : kVersion) {
        parser.feed(&byte, 1);
    }
    EXPECT_EQ(payloadSeenAfterNesting, (Bytes{0, 2, 0, 0, 0x17, 0xD4}));
    EXPECT_EQ(frames.size(), 2u);
}

class CollectingTap : public RecordingTap {
public:
    void recordBytes(const uint8_t* data, size_t count) override {
        bytes.insert(bytes.end(), data, data + count);
    }
    Bytes bytes;
};

TEST_F(ParserTest, RecordingTapSeesEveryByteInArrivalOrder) {
    CollectingTap tap;
    parser.setRecorder(RecorderState::Recording, &tap);
    onFrame = [&](const LinkFrame& frame) {
        if (frame.type == 3 && frame.payload[0] == 1) {
            feed(kVersionRequest);
        }
    };
    const Bytes outer = join({kArm, {0x00, 0x11}, kDisarm});
    feed(outer);
    EXPECT_EQ(tap.bytes, join({outer, kVersionRequest}));
    EXPECT_EQ(frames.size(), 3u);

    parser.setRecorder(RecorderState::Idle, nullptr);
    feed(kArm);
    EXPECT_EQ(tap.bytes.size(), outer.size() + kVersionRequest.size());
}

} // namespace
} // namespace crv::link
