#include "store/tile_retries.h"

#include <gtest/gtest.h>

namespace crv::store {
namespace {

constexpr TileKey kBad{3, 3, 5};
constexpr TileKey kGood{4, 3, 5};

void tick(TileRetries& retries, int64_t ticks) {
    for (int64_t n = 0; n < ticks; ++n) {
        retries.tick();
    }
}

TEST(TileRetriesTest, AFailedTileWaitsLongerAfterEveryFailure) {
    TileRetries retries;
    EXPECT_TRUE(retries.mayFetch(TileLayer::Satellite, kBad)) << "nothing failed yet";
    int64_t delay = TileRetries::kFirstDelayTicks;
    for (int failure = 0; failure < 8; ++failure) {
        retries.failed(TileLayer::Satellite, kBad);
        tick(retries, delay - 1);
        EXPECT_FALSE(retries.mayFetch(TileLayer::Satellite, kBad)) << "failure " << failure;
        EXPECT_TRUE(retries.mayFetch(TileLayer::Overlay, kBad)) << "the other layer is its own";
        EXPECT_TRUE(retries.mayFetch(TileLayer::Satellite, kGood)) << "other tiles go first";
        retries.tick();
        EXPECT_TRUE(retries.mayFetch(TileLayer::Satellite, kBad)) << "failure " << failure;
        delay = std::min(delay * 2, TileRetries::kLongestDelayTicks);
    }
}

// The map asks only for tiles it cannot show: one asked for again after it was stored did not
// decode, and waits as a failed download does.
TEST(TileRetriesTest, ATileAskedForAgainAfterItWasStoredCountsAsFailed) {
    TileRetries retries;
    retries.stored(TileLayer::Satellite, kBad);
    retries.stored(TileLayer::Satellite, kGood);
    EXPECT_FALSE(retries.mayFetch(TileLayer::Satellite, kBad));
    tick(retries, TileRetries::kFirstDelayTicks);
    EXPECT_TRUE(retries.mayFetch(TileLayer::Satellite, kBad));
    retries.stored(TileLayer::Satellite, kBad);
    EXPECT_FALSE(retries.mayFetch(TileLayer::Satellite, kBad));
    tick(retries, TileRetries::kFirstDelayTicks);
    EXPECT_FALSE(retries.mayFetch(TileLayer::Satellite, kBad)) << "the second wait is longer";

    retries.forget();
    EXPECT_TRUE(retries.mayFetch(TileLayer::Satellite, kBad)) << "after tiles were deleted";
    EXPECT_TRUE(retries.mayFetch(TileLayer::Satellite, kGood)) << "stores are forgotten too";
}

TEST(TileRetriesTest, KeepsABoundedNumberOfTiles) {
    TileRetries retries;
    for (int x = 0; x <= int(TileRetries::kMaxKept); ++x) {
        retries.failed(TileLayer::Overlay, {x, 0, 9});
    }
    EXPECT_TRUE(retries.mayFetch(TileLayer::Overlay, {0, 0, 9})) << "the oldest was forgotten";
    EXPECT_FALSE(retries.mayFetch(TileLayer::Overlay, {1, 0, 9}));
}

} // namespace
} // namespace crv::store
