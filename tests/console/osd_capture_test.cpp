#include "console/osd_capture.h"

#include <gtest/gtest.h>

#include <vector>

namespace crv::console {
namespace {

using Bytes = std::vector<uint8_t>;

/// The check value that makes coded pass: run the check over it with a zero check value, then
/// the value is what is left.
Bytes withCheck(Bytes coded) {
    coded.push_back(0);
    coded.push_back(0);
    uint16_t w = 0xCB35;
    for (size_t i = 0; i + 2 < coded.size(); ++i) {
        w ^= coded[i];
        w = static_cast<uint16_t>((w << 1) | (w & 1));
    }
    coded[coded.size() - 2] = static_cast<uint8_t>(w >> 8);
    coded[coded.size() - 1] = static_cast<uint8_t>(w);
    return coded;
}

Bytes pieceAt(uint16_t position, const Bytes& data, size_t from, size_t count) {
    Bytes payload(2 + count);
    payload[0] = static_cast<uint8_t>(position >> 8);
    payload[1] = static_cast<uint8_t>(position);
    std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(from), count, payload.begin() + 2);
    return payload;
}

std::optional<OsdCaptureResult> feed(OsdCapture& capture, const Bytes& payload) {
    return capture.piece(payload.data(), payload.size());
}

/// Sends a capture in pieces of pieceBytes and then the first piece of the next one.
OsdCaptureResult sendWhole(OsdCapture& capture, const Bytes& coded, size_t pieceBytes = 200) {
    for (size_t at = 0; at < coded.size(); at += pieceBytes) {
        feed(capture, pieceAt(static_cast<uint16_t>(at), coded, at,
                              std::min(pieceBytes, coded.size() - at)));
    }
    return *feed(capture, Bytes{0, 0});
}

struct RunCase {
    Bytes coded;
    Bytes picture;
};

TEST(OsdRuns, DecodesRunsMarksAndLiterals) {
    const RunCase cases[] = {
        {{0x00, 0xFE, 0x05}, {0, 0, 0, 0, 0, 0}},
        {{0xFE, 0xFE}, {0xFE}},
        {{0x11, 0xFE, 0xFE}, {0x11, 0xFE}},
        {{0x12, 0x34}, {0x12, 0x34}},
        {{0x7F, 0xFE, 0x02, 0x01}, {0x7F, 0x7F, 0x7F, 0x01}},
    };
    for (const RunCase& row : cases) {
        OsdPicture picture;
        picture.bytes.fill(0xAA);
        EXPECT_TRUE(decodeOsdRuns(row.coded.data(), row.coded.size(), picture));
        EXPECT_EQ(Bytes(picture.bytes.begin(), picture.bytes.begin() + row.picture.size()),
                  row.picture);
        EXPECT_EQ(picture.bytes[row.picture.size()], 0xAA) << "the rest keeps its contents";
    }
}

TEST(OsdRuns, ARunPastThePictureIsCutAndReported) {
    Bytes coded;
    for (int i = 0; i < 29; ++i) { // 29 runs of 254 bytes: 7366, past 7200
        coded.insert(coded.end(), {0x0F, 0xFE, 253});
    }
    OsdPicture picture;
    EXPECT_FALSE(decodeOsdRuns(coded.data(), coded.size(), picture));
    EXPECT_EQ(picture.bytes.back(), 0x0F);
    Bytes trailing(OsdPicture::kBytes + 1, 0x01); // literals that outrun the picture
    EXPECT_FALSE(decodeOsdRuns(trailing.data(), trailing.size(), picture));
}

TEST(OsdCheck, PassesOnlyTheRightValue) {
    Bytes coded(998);
    for (size_t i = 0; i < coded.size(); ++i) {
        coded[i] = static_cast<uint8_t>(i * 7);
    }
    Bytes capture = withCheck(coded);
    EXPECT_TRUE(osdCheckPasses(capture.data(), capture.size()));
    capture[500] ^= 0x01;
    EXPECT_FALSE(osdCheckPasses(capture.data(), capture.size()));
    EXPECT_FALSE(osdCheckPasses(capture.data(), 1));
    EXPECT_FALSE(osdCheckPasses(capture.data(), 0));
}

TEST(OsdCapture, AssemblesPiecesAndReportsLengthAndCheck) {
    OsdCapture capture;
    const auto first = feed(capture, Bytes{0, 0});
    ASSERT_TRUE(first);
    EXPECT_EQ(osdCaptionFor(*first), "Corvane X OSD capture: 0 bytes, CRC fail");

    Bytes coded;
    for (int row = 0; row < 240; ++row) { // a frame round the picture's edge, then 998 bytes
        coded.insert(coded.end(), {0x80, 0x00, 0xFE, 27, 0x01});
    }
    coded.resize(998, 0xF0);
    const OsdCaptureResult result = sendWhole(capture, withCheck(coded));
    EXPECT_EQ(osdCaptionFor(result), "Corvane X OSD capture: 1000 bytes, CRC OK");
    EXPECT_TRUE(capture.picture().lit(0, 0));
    EXPECT_FALSE(capture.picture().lit(1, 0));
    EXPECT_TRUE(capture.picture().lit(239, 5));
}

// Whatever goes wrong with a capture, the last good picture stays.
TEST(OsdCapture, FaultyCapturesFailAndKeepThePreviousPicture) {
    Bytes goodCoded = {0xFF, 0xFE, 200};
    const Bytes good = withCheck(goodCoded);
    Bytes overrun;
    for (int i = 0; i < 30; ++i) {
        overrun.insert(overrun.end(), {0x00, 0xFE, 253});
    }
    struct Fault {
        const char* what;
        std::vector<Bytes> pieces; ///< after the first piece of the capture
    };
    const Bytes bad = withCheck({0x00, 0xFE, 100, 0x01});
    Bytes wrongCheck = bad;
    wrongCheck.back() ^= 1;
    const Fault faults[] = {
        {"wrong check", {pieceAt(0, wrongCheck, 0, wrongCheck.size())}},
        {"out of order", {pieceAt(0, bad, 0, 2), pieceAt(4, bad, 4, 2), pieceAt(2, bad, 2, 2)}},
        {"missing piece", {pieceAt(0, bad, 0, 2), pieceAt(4, bad, 4, 2)}},
        {"repeated piece", {pieceAt(0, bad, 0, 2), pieceAt(2, bad, 2, 2), pieceAt(2, bad, 2, 2),
                            pieceAt(4, bad, 4, 2)}},
        {"past the buffer", {pieceAt(0, bad, 0, 2), pieceAt(4090, Bytes(200, 1), 0, 200)}},
        {"overruns the picture", {pieceAt(0, withCheck(overrun), 0, overrun.size() + 2)}},
    };
    for (const Fault& fault : faults) {
        OsdCapture capture;
        ASSERT_TRUE(sendWhole(capture, good).good);
        for (const Bytes& piece : fault.pieces) {
            feed(capture, piece);
        }
        const std::optional<OsdCaptureResult> result = feed(capture, Bytes{0, 0});
        ASSERT_TRUE(result);
        EXPECT_FALSE(result->good) << fault.what;
        EXPECT_EQ(capture.picture().bytes[0], 0xFF) << fault.what;
        EXPECT_EQ(capture.picture().bytes[200], 0xFF) << fault.what;
        EXPECT_EQ(capture.picture().bytes[201], 0x00) << fault.what;
    }
}

TEST(OsdCapture, APieceWithoutPositionIsIgnored) {
    OsdCapture capture;
    const Bytes good = withCheck({0x01, 0x02});
    feed(capture, pieceAt(0, good, 0, 2));
    EXPECT_FALSE(feed(capture, {0x00}).has_value());
    feed(capture, pieceAt(2, good, 2, 2));
    EXPECT_TRUE(feed(capture, Bytes{0, 0})->good);
}

TEST(OsdCapture, AGoodCaptureLeavesWhatItDoesNotReach) {
    OsdCapture capture;
    sendWhole(capture, withCheck({0xFF, 0xFE, 200}));
    ASSERT_TRUE(sendWhole(capture, withCheck({0x01, 0x02})).good);
    EXPECT_EQ(capture.picture().bytes[0], 0x01);
    EXPECT_EQ(capture.picture().bytes[1], 0x02);
    EXPECT_EQ(capture.picture().bytes[2], 0xFF);
}

} // namespace
} // namespace crv::console
