#include "console/package_transfer.h"

#include "console/pack_files.h"
#include "console/sent_frames.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace crv::console {
namespace {

using testing::Bytes;
using Kind = TransferStep::Kind;

Bytes counting(size_t size) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<uint8_t>(i % 251 + 1);
    }
    return bytes;
}

class PackageTransferTest : public ::testing::Test {
protected:
    TransferStep board(Package package, const Bytes& payload, int64_t nowMs = 0) {
        return transfer.handle(package, testing::frameWith(static_cast<uint8_t>(package), payload),
                               nowMs);
    }
    /// 131 with a block number and 128 bytes.
    TransferStep block(Package package, uint16_t number, const Bytes& data) {
        Bytes payload = {131, static_cast<uint8_t>(number >> 8), static_cast<uint8_t>(number)};
        payload.insert(payload.end(), data.begin(), data.end());
        return board(package, payload);
    }

    testing::SentFrames sent;
    PackageTransfer transfer{sent.builder};
};

TEST_F(PackageTransferTest, Uploads300ByteVoicePackWithFilledLastBlock) {
    const Bytes pack = counting(300);
    EXPECT_EQ(transfer.startUpload(Package::Voice, pack, 0).text, "Write request...");
    EXPECT_EQ(sent.takePayload(), (Bytes{1, 0x5A, 0xC3, 0xA5, 0x5C}));
    EXPECT_EQ(sent.frames.size(), 0u);
    EXPECT_EQ(board(Package::Voice, {129}).text, "0%");
    EXPECT_EQ(board(Package::Voice, {130}).text, "50%");
    EXPECT_EQ(board(Package::Voice, {130}).text, "100%");
    const TransferStep end = board(Package::Voice, {130});
    EXPECT_EQ(end.kind, Kind::Finished);
    EXPECT_EQ(end.text, "OK");
    ASSERT_EQ(sent.frames.size(), 4u);
    for (int number = 0; number < 3; ++number) {
        const Bytes payload = sent.takePayload();
        ASSERT_EQ(payload.size(), 131u);
        EXPECT_EQ(payload[0], 2);
        EXPECT_EQ(payload[2], number);
        const size_t real = std::min<size_t>(128, 300 - number * 128);
        EXPECT_EQ(Bytes(payload.begin() + 3, payload.begin() + 3 + real),
                  Bytes(pack.begin() + number * 128, pack.begin() + number * 128 + real));
        EXPECT_EQ(std::count(payload.begin() + 3 + real, payload.end(), 0xFF), 128 - real);
    }
    EXPECT_EQ(sent.takePayload(), (Bytes{2, 0xFF, 0xFF}));
    EXPECT_FALSE(transfer.active());
    EXPECT_EQ(board(Package::Voice, {130}).kind, Kind::Nothing) << "nothing after the end";
    EXPECT_EQ(sent.frames.size(), 0u);
}

TEST_F(PackageTransferTest, UploadsScriptImageOf256BytesWithoutAFilledBlock) {
    transfer.startUpload(Package::Script, counting(256), 0);
    EXPECT_EQ(sent.takePayload()[0], 1);
    EXPECT_EQ(board(Package::Script, {129}).text, "0%");
    EXPECT_EQ(board(Package::Script, {130}).text, "33%");
    EXPECT_EQ(board(Package::Script, {130}).text, "OK");
    ASSERT_EQ(sent.frames.size(), 3u);
    EXPECT_EQ(sent.frames[0].type, 58);
    EXPECT_EQ(sent.frames[2].payload, (Bytes{2, 0xFF, 0xFF}));
}

TEST_F(PackageTransferTest, DownloadsVoicePackBlockByBlock) {
    transfer.startDownload(Package::Voice, 0);
    EXPECT_EQ(sent.takePayload(), (Bytes{3, 0xFF, 0xFF}));
    board(Package::Voice, {131, 0xFF, 0xFF, 0x00, 0x03});
    const Bytes pack = counting(512);
    for (uint16_t number = 0; number < 4; ++number) {
        EXPECT_EQ(sent.takePayload(), (Bytes{3, 0, static_cast<uint8_t>(number)}));
        const TransferStep step =
            block(Package::Voice, 77, Bytes(pack.begin() + number * 128,
                                            pack.begin() + number * 128 + 128));
        EXPECT_EQ(step.kind, number < 3 ? Kind::Progress : Kind::Downloaded);
    }
    EXPECT_EQ(sent.frames.size(), 0u) << "no request after the last block";
    EXPECT_EQ(transfer.takeDownload(), pack);
}

TEST_F(PackageTransferTest, ReadsScriptUpToItsEndEvenWhenLaterBlocksFollow) {
    transfer.startDownload(Package::Script, 0);
    board(Package::Script, {131, 0xFF, 0xFF, 0x00, 0x02});
    Bytes first = {0x0B, 'R', 'U', 'N', 13, 10, 0, 0};
    first.resize(128, 0x55);
    EXPECT_EQ(block(Package::Script, 0, first).text, "33%");
    EXPECT_EQ(block(Package::Script, 1, Bytes(128, 'x')).text, "66%");
    EXPECT_EQ(block(Package::Script, 2, Bytes(128, 'y')).kind, Kind::Downloaded);
    EXPECT_EQ(sent.frames.size(), 4u);
    EXPECT_EQ(transfer.takeDownload(), (Bytes{0x0B, 'R', 'U', 'N', 13, 10}));
}

// A script whose end-of-text zero never came is not handed out as read.
TEST_F(PackageTransferTest, AScriptWithoutItsEndIsCutShort) {
    transfer.startDownload(Package::Script, 0);
    board(Package::Script, {131, 0xFF, 0xFF, 0x00, 0x00});
    const TransferStep step = block(Package::Script, 0, Bytes(128, 'a'));
    EXPECT_EQ(step.kind, Kind::Failed);
    EXPECT_TRUE(transfer.takeDownload().empty());
}

TEST_F(PackageTransferTest, RefusesOversizedPackagesAndHeaders) {
    EXPECT_EQ(transfer.startUpload(Package::Voice, {}, 0).kind, Kind::Failed);
    EXPECT_EQ(transfer.startUpload(Package::Voice, Bytes(kMaxPackageBytes + 1), 0).kind,
              Kind::Failed);
    EXPECT_EQ(sent.frames.size(), 0u);
    transfer.startDownload(Package::Script, 0);
    EXPECT_EQ(board(Package::Script, {131, 0xFF, 0xFF, 0x10, 0x00}).kind, Kind::Failed);
    EXPECT_FALSE(transfer.active());
    transfer.startDownload(Package::Voice, 0);
    EXPECT_EQ(board(Package::Voice, {131, 0xFF, 0xFF, 0xFF, 0xFF}).kind, Kind::Failed);
}

// Only one transfer runs: the other package's frames do not spoil it.
TEST_F(PackageTransferTest, FramesOfTheOtherPackageOrOfNoTransferAreIgnored) {
    EXPECT_EQ(board(Package::Voice, {129}).kind, Kind::Nothing);
    transfer.startUpload(Package::Voice, counting(300), 0);
    EXPECT_EQ(board(Package::Script, {129}).kind, Kind::Nothing);
    EXPECT_EQ(board(Package::Voice, {130}).kind, Kind::Nothing) << "not yet ready";
    EXPECT_EQ(board(Package::Voice, {131, 0xFF, 0xFF, 0, 1}).kind, Kind::Nothing);
    EXPECT_EQ(sent.frames.size(), 1u);
}

TEST_F(PackageTransferTest, ABoardThatStopsAskingStallsTheTransferUntilCancelled) {
    transfer.startUpload(Package::Voice, counting(1000), 1000);
    EXPECT_FALSE(transfer.stalled(3999));
    board(Package::Voice, {129}, 3000);
    EXPECT_FALSE(transfer.stalled(5999));
    EXPECT_TRUE(transfer.stalled(6000));
    board(Package::Voice, {130}, 7000);
    EXPECT_FALSE(transfer.stalled(7000)) << "the board carries on";
    transfer.cancel();
    EXPECT_FALSE(transfer.active());
    EXPECT_FALSE(transfer.stalled(20000));
    EXPECT_EQ(board(Package::Voice, {130}).kind, Kind::Nothing);
}

TEST(PackageReports, VoiceAndScriptReports) {
    const Bytes voice = {128, 1, 4, 'E', 'n', 'g', 0, 'x'};
    const Bytes none = {128, 255, 1, 2, 'x'};
    const Bytes script = {128, 0, 0, 0x01, 0x2C};
    EXPECT_EQ(voiceReportText(testing::frameWith(57, voice)), "Eng v1.4");
    EXPECT_EQ(voiceReportText(testing::frameWith(57, none)), "----------");
    EXPECT_EQ(scriptReportText(testing::frameWith(58, script)), "300bytes");
    EXPECT_EQ(scriptReportText(testing::frameWith(58, none)), "----------");
}

TEST(PackFiles, ReadsRefusesAndWritesWhole) {
    crv::testing::TestFolder folder("crv-packs");
    const std::string path = (folder.path() / "pack.XVPack").string();
    const Bytes pack = counting(1000);
    ASSERT_TRUE(writeFileWhole(path, pack).ok());
    EXPECT_FALSE(std::filesystem::exists(path + ".part"));
    const FileBytes read = readFileWhole(path, 2000, "too big");
    ASSERT_TRUE(read.status.ok());
    EXPECT_EQ(read.bytes, pack);
    EXPECT_EQ(readFileWhole(path, 999, "too big").status.message(), "too big");
    EXPECT_FALSE(readFileWhole(path + "x", 2000, "too big").status.ok());
    EXPECT_FALSE(writeFileWhole((folder.path() / "no" / "such.XVPack").string(), pack).ok());
    EXPECT_EQ(checkVoicePack({}).message(), "The voice pack file is empty.");
    EXPECT_FALSE(checkVoicePack(Bytes(kMaxPackageBytes + 1)).ok());
    EXPECT_TRUE(checkVoicePack(Bytes(kMaxPackageBytes)).ok());
}

} // namespace
} // namespace crv::console
