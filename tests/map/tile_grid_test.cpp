#include "map/tile_grid.h"
#include "support/test_folder.h"
#include "tiles/tile_encoder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <string>
#include <vector>

namespace crv::map {
namespace {

using store::TileKey;
using store::TileLayer;

constexpr uint32_t kNoData = 0xFF0000FF;
constexpr uint32_t kRoad = 0xFFFFFF00;
constexpr int kZoom = 4;

/// A grid over a cache on a real file; the requests it makes are recorded.
class TileGridTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(database.OpenLocalDatabase(folder.file("crv_data")).ok()); }

    /// A satellite tile of one flat grey, a shade per tile.
    void storeSatellite(const TileKey& key, uint8_t shade) {
        const uint32_t colour = 0xFF000000 | uint32_t{shade} * 0x010101;
        ASSERT_TRUE(cache.StoreTile(TileLayer::Satellite, key,
                                    tiles::encodeJpeg(RgbaImage(256, 256, colour), 100))
                        .ok());
    }
    /// An overlay tile that is clear but for its top row.
    void storeOverlay(const TileKey& key) {
        RgbaImage overlay(256, 256, 0);
        std::fill_n(overlay.pixels.begin(), 256, kRoad);
        ASSERT_TRUE(cache.StoreTile(TileLayer::Overlay, key, tiles::encodePng(overlay)).ok());
    }
    /// Updates until no slot waits for a decode, as the map's redraws do.
    void show(WorldPixel centre) {
        grid.update(centre, kZoom);
        for (int round = 0; grid.decoding() && round < 3000; ++round) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            grid.update(centre, kZoom);
        }
        ASSERT_FALSE(grid.decoding());
    }
    static WorldPixel centreOfTile(int x, int y) { return {x * 256 + 128, y * 256 + 128}; }
    static uint8_t shadeOf(const RgbaImage& picture, int x, int y) { return picture.at(x, y) & 0xFF; }
    std::string stateText() const {
        std::string text;
        for (int s = 0; s < TileGrid::kSlots; ++s) {
            for (const SlotState state : grid.slot(s).state) {
                text += char('0' + int(state));
            }
            text += s < TileGrid::kSlots - 1 ? " " : "";
        }
        return text;
    }

    struct Request {
        TileLayer layer;
        TileKey key;
        bool operator==(const Request&) const = default;
    };

    testing::TestFolder folder{"crv-grid"};
    store::LocalDatabase database;
    store::TileCache cache{database};
    std::vector<Request> requests;
    std::atomic<int> decodedCalls{0};
    TileGrid grid{cache, RgbaImage(256, 256, kNoData),
                  [this](TileLayer layer, const TileKey& key) { requests.push_back({layer, key}); },
                  [this] { ++decodedCalls; }};
};

TEST_F(TileGridTest, LoadsWhatIsCachedAndAsksForTheRestInSlotOrder) {
    // Centre tile (5, 6): the left column (x 4) is cached with its overlays, the centre has a
    // satellite tile only, the rest is missing.
    for (int y = 5; y <= 7; ++y) {
        storeSatellite({4, y, kZoom}, uint8_t(40 + y));
        storeOverlay({4, y, kZoom});
    }
    storeSatellite({5, 6, kZoom}, 200);
    show(centreOfTile(5, 6));

    EXPECT_EQ(stateText(), "00 00 00 22 02 22 22 22 22");
    const TileSlot& leftTop = grid.slot(TileGrid::slotIndex(-1, -1));
    EXPECT_EQ(leftTop.key, (TileKey{4, 5, kZoom}));
    EXPECT_NEAR(shadeOf(leftTop.composite, 100, 100), 45, 2);
    EXPECT_EQ(leftTop.composite.at(100, 0), kRoad) << "overlay drawn over the satellite tile";
    const TileSlot& centre = grid.slot(TileGrid::slotIndex(0, 0));
    EXPECT_NEAR(shadeOf(centre.composite, 10, 10), 200, 2);
    EXPECT_EQ(grid.slot(TileGrid::slotIndex(0, -1)).composite.at(10, 10), kNoData);

    ASSERT_GE(requests.size(), 3u);
    EXPECT_EQ(requests[0], (Request{TileLayer::Satellite, {5, 5, kZoom}}))
        << "the first missing tile in slot order, satellite before overlay";
    EXPECT_EQ(requests[1], (Request{TileLayer::Overlay, {5, 5, kZoom}}));
    EXPECT_EQ(requests[2], (Request{TileLayer::Overlay, {5, 6, kZoom}}));
}

// A decode can take long (a large or hostile file); the redraw that read the file goes on with
// what the slot showed and a later one takes the picture.
TEST_F(TileGridTest, CachedTilesAreDecodedOffTheUpdatingThread) {
    storeSatellite({5, 6, kZoom}, 70);
    storeOverlay({5, 6, kZoom});
    grid.update(centreOfTile(5, 6), kZoom);
    EXPECT_EQ(grid.slot(4).state[0], SlotState::Decoding);
    EXPECT_EQ(grid.slot(4).state[1], SlotState::Decoding);
    EXPECT_TRUE(grid.decoding());
    EXPECT_EQ(grid.slot(3).state[0], SlotState::Missing) << "what is not cached is missing at once";

    show(centreOfTile(5, 6));
    EXPECT_EQ(stateText(), "22 22 22 22 00 22 22 22 22");
    EXPECT_NEAR(shadeOf(grid.slot(4).composite, 100, 100), 70, 2);
    EXPECT_EQ(grid.slot(4).composite.at(100, 0), kRoad);
    EXPECT_GE(decodedCalls.load(), 1) << "finished pictures are announced";
}

TEST_F(TileGridTest, APictureDecodedForAnOlderReadIsNotShown) {
    storeSatellite({5, 6, kZoom}, 30);
    grid.update(centreOfTile(5, 6), kZoom); // decoding the shade 30
    storeSatellite({5, 6, kZoom}, 160);
    grid.markForReload(TileLayer::Satellite, {5, 6, kZoom});
    show(centreOfTile(5, 6));
    EXPECT_NEAR(shadeOf(grid.slot(4).composite, 100, 100), 160, 2);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    grid.update(centreOfTile(5, 6), kZoom);
    EXPECT_NEAR(shadeOf(grid.slot(4).composite, 100, 100), 160, 2) << "and stays";
}

TEST_F(TileGridTest, LoadedSlotsAreNotReadAgainWhileTheCentreTileStays) {
    storeSatellite({5, 6, kZoom}, 90);
    show(centreOfTile(5, 6));
    cache.DeleteAllTiles();
    show({5 * 256 + 3, 6 * 256 + 250}); // moved, but within the same tile
    EXPECT_NEAR(shadeOf(grid.slot(4).composite, 0, 0), 90, 2) << "drawn from the kept picture";

    show(centreOfTile(6, 6));
    EXPECT_EQ(grid.slot(TileGrid::slotIndex(-1, 0)).composite.at(0, 0), kNoData)
        << "a new centre tile reads every slot again";
}

TEST_F(TileGridTest, AStoredTileShowsAfterItsSlotIsMarked) {
    storeOverlay({5, 6, kZoom});
    show(centreOfTile(5, 6));
    const TileSlot& centre = grid.slot(4);
    EXPECT_EQ(centre.composite.at(0, 100), kNoData);
    EXPECT_EQ(centre.composite.at(0, 0), kRoad);

    storeSatellite({5, 6, kZoom}, 120);
    grid.markForReload(TileLayer::Satellite, {5, 6, kZoom});
    grid.markForReload(TileLayer::Satellite, {9, 9, kZoom}); // no slot shows it
    show(centreOfTile(5, 6));
    EXPECT_NEAR(shadeOf(centre.composite, 0, 100), 120, 2);
    EXPECT_EQ(centre.composite.at(0, 0), kRoad)
        << "a satellite tile arriving after its overlay keeps the overlay on top";
}

TEST_F(TileGridTest, ADamagedCachedTileCountsAsMissingAndIsAskedForAgain) {
    ASSERT_TRUE(cache.StoreTile(TileLayer::Satellite, {5, 6, kZoom},
                                std::vector<uint8_t>(400, 0xFF)).ok());
    show(centreOfTile(5, 6));
    EXPECT_EQ(grid.slot(4).state[0], SlotState::Missing);
    EXPECT_EQ(grid.slot(4).composite.at(50, 50), kNoData);
    EXPECT_NE(std::find(requests.begin(), requests.end(),
                        Request{TileLayer::Satellite, {5, 6, kZoom}}),
              requests.end());
}

TEST_F(TileGridTest, NeighboursWrapAroundTheWorld) {
    const int last = (1 << kZoom) - 1;
    show(centreOfTile(last, 0));
    EXPECT_EQ(grid.slot(TileGrid::slotIndex(1, 0)).key, (TileKey{0, 0, kZoom}))
        << "east of the last column lies column 0";
    EXPECT_EQ(grid.slot(TileGrid::slotIndex(0, -1)).key, (TileKey{last, last, kZoom}))
        << "rows wrap too";
}

TEST_F(TileGridTest, ReloadAllShowsDeletedTilesAsMissing) {
    storeSatellite({5, 6, kZoom}, 60);
    show(centreOfTile(5, 6));
    cache.DeleteZoomLevel(kZoom);
    grid.reloadAll();
    show(centreOfTile(5, 6));
    EXPECT_EQ(stateText(), "22 22 22 22 22 22 22 22 22");
}

} // namespace
} // namespace crv::map
