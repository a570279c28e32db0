// The log format: counting records, finding one by index, reading them in order.

#include "recorder/log_index.h"
#include "recorder/log_player.h"
#include "recorder/log_record.h"
#include "recorder_test_logs.h"

#include <gtest/gtest.h>

#include <random>

namespace crv::recorder {
namespace {

using testing::Bytes;
using testing::logOf;
using testing::recordOf;

int32_t countOf(const Bytes& bytes) { return LogIndex::build(MemoryLogSource(bytes))->count(); }

Bytes joined(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

struct CountCase {
    const char* name;
    Bytes file;
    int32_t records;
};

class RecordCount : public ::testing::TestWithParam<CountCase> {};

TEST_P(RecordCount, StopsAtTheFirstRecordThatIsNotWhole) {
    EXPECT_EQ(countOf(GetParam().file), GetParam().records);
}

const Bytes kTwo = logOf({{0xCB, 0x02}, {}});
INSTANTIATE_TEST_SUITE_P(
    Files, RecordCount,
    ::testing::Values(
        CountCase{"empty", {}, 0}, CountCase{"two_bytes", {0x55, 0x00}, 0},
        CountCase{"one_empty_record", {0x55, 0x00, 0x00}, 1}, CountCase{"two_records", kTwo, 2},
        CountCase{"last_cut_short", joined({kTwo, {0x55, 0x00, 0x04, 1, 2, 3}}), 2},
        CountCase{"header_cut_short", joined({kTwo, {0x55, 0x00}}), 2},
        CountCase{"wrong_marker", joined({kTwo, {0x54, 0x00, 0x00}, kTwo}), 2},
        // 3 + 1021 bytes exceeds the largest record, whatever follows.
        CountCase{"oversized", joined({kTwo, {0x55, 0x03, 0xFD}, Bytes(1021), kTwo}), 2},
        CountCase{"largest", joined({recordOf(Bytes(kLargestRecordData, 7)), kTwo}), 3},
        CountCase{"no_log_at_all", Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0}, 0},
        CountCase{"length_past_the_end", {0x55, 0xFF, 0xFF}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RecordTime, ShowsHoursMinutesAndWholeSeconds) {
    EXPECT_EQ(recordTimeText(0), "0:00:00");
    EXPECT_EQ(recordTimeText(50), "0:00:05");
    EXPECT_EQ(recordTimeText(59), "0:00:05");
    EXPECT_EQ(recordTimeText(36000 + 600 + 10), "1:01:01");
}

// Records of random sizes, so that checkpoints and read pieces fall anywhere in them.
Bytes randomLog(int records, std::vector<int64_t>& offsets) {
    std::mt19937 random(7);
    Bytes log;
    for (int i = 0; i < records; ++i) {
        offsets.push_back(int64_t(log.size()));
        Bytes data(random() % (kLargestRecordData + 1), uint8_t(i));
        const Bytes record = recordOf(data);
        log.insert(log.end(), record.begin(), record.end());
    }
    return log;
}

TEST(LogIndex, FindsEveryRecordWhereAWalkFromTheStartWould) {
    std::vector<int64_t> offsets;
    const MemoryLogSource source(randomLog(3000, offsets)); // several 1 MiB read pieces
    const LogIndex index = *LogIndex::build(source);
    ASSERT_EQ(index.count(), 3000);
    EXPECT_EQ(index.end(), source.size());
    for (int32_t target : {0, 1, 255, 256, 257, 1000, 2047, 2048, 2999}) {
        EXPECT_EQ(index.offsetOf(source, target), offsets[size_t(target)]) << target;
    }
    EXPECT_FALSE(index.offsetOf(source, 3000));
    EXPECT_FALSE(index.offsetOf(source, -1));
}

TEST(LogIndex, AppendedRecordsAreFoundAsCountedOnes) {
    std::vector<int64_t> offsets;
    const Bytes bytes = randomLog(600, offsets);
    const MemoryLogSource source(bytes);
    LogIndex appended;
    for (size_t i = 0; i < offsets.size(); ++i) {
        const int64_t next = i + 1 < offsets.size() ? offsets[i + 1] : int64_t(bytes.size());
        appended.append(size_t(next - offsets[i]));
    }
    EXPECT_EQ(appended.count(), 600);
    EXPECT_EQ(appended.offsetOf(source, 599), offsets[599]);
    EXPECT_EQ(appended.offsetOf(source, 300), offsets[300]);
}

TEST(LogIndex, ACancelledCountGivesNothing) {
    std::vector<int64_t> offsets;
    const MemoryLogSource source(randomLog(3000, offsets));
    const std::atomic<bool> cancelled{true};
    EXPECT_FALSE(LogIndex::build(source, &cancelled));
}

TEST(LogIndex, AFileChangedSinceItWasCountedFindsNothing) {
    std::vector<int64_t> offsets;
    Bytes bytes = randomLog(300, offsets);
    const LogIndex index = *LogIndex::build(MemoryLogSource(bytes));
    bytes.resize(size_t(offsets[280]));
    EXPECT_FALSE(index.offsetOf(MemoryLogSource(bytes), 290));
}

LogPlayer playerOf(const Bytes& bytes) {
    auto source = std::make_unique<MemoryLogSource>(bytes);
    LogIndex index = *LogIndex::build(*source);
    return LogPlayer(std::move(source), std::move(index));
}

TEST(LogPlayer, ReadsTheCountedRecordsInOrderThenEnds) {
    LogPlayer player = playerOf(joined({logOf({{1, 2}, {}, {3}}), {0x55, 0x00, 0x09, 1}}));
    LogPlayer::RecordBuffer buffer;
    size_t size = 0;
    ASSERT_EQ(player.next(buffer, size), LogPlayer::Step::Record);
    EXPECT_EQ(Bytes(buffer.begin() + 3, buffer.begin() + 3 + long(size)), (Bytes{1, 2}));
    ASSERT_EQ(player.next(buffer, size), LogPlayer::Step::Record);
    EXPECT_EQ(size, 0u);
    ASSERT_EQ(player.next(buffer, size), LogPlayer::Step::Record);
    EXPECT_EQ(buffer[3], 3);
    EXPECT_EQ(player.position(), 3);
    EXPECT_EQ(player.next(buffer, size), LogPlayer::Step::End) << "the cut record is not played";
}

TEST(LogPlayer, SeeksToARecordAndReadsOnFromThere) {
    std::vector<int64_t> offsets;
    LogPlayer player = playerOf(randomLog(700, offsets));
    LogPlayer::RecordBuffer buffer;
    size_t size = 0;
    ASSERT_TRUE(player.seek(613));
    ASSERT_EQ(player.next(buffer, size), LogPlayer::Step::Record);
    EXPECT_EQ(player.position(), 614);
    if (size > 0) {
        EXPECT_EQ(buffer[3], uint8_t(613));
    }
    ASSERT_TRUE(player.seek(5000));
    EXPECT_EQ(player.position(), 699) << "at most the last record";
}

TEST(LogPlayer, AFileThatChangedUnderItEndsAsCorrupt) {
    auto source = std::make_unique<MemoryLogSource>(logOf({{1}, {2}}));
    LogIndex index = *LogIndex::build(*source);
    LogPlayer player(std::make_unique<MemoryLogSource>(Bytes{0x55, 0x00, 0x01, 1, 0x00, 0, 1, 2}),
                     std::move(index));
    LogPlayer::RecordBuffer buffer;
    size_t size = 0;
    EXPECT_EQ(player.next(buffer, size), LogPlayer::Step::Record);
    EXPECT_EQ(player.next(buffer, size), LogPlayer::Step::Corrupt);
}

} // namespace
} // namespace crv::recorder
