#include "store/settings_store.h"
#include "store/tile_cache.h"
#include "support/test_folder.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>
#include <unistd.h>

namespace crv::store {
namespace {

namespace fs = std::filesystem;

class TileCacheTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(database.OpenLocalDatabase(path).ok()); }
    void TearDown() override { database.CloseLocalDatabase(); }

    static std::vector<uint8_t> image(size_t size, uint8_t seed) {
        std::vector<uint8_t> bytes(size);
        for (size_t i = 0; i < size; ++i) {
            bytes[i] = static_cast<uint8_t>(i * 31 + seed);
        }
        return bytes;
    }
    int rows(const char* table) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(database.handle(),
                           (std::string("SELECT count(*) FROM ") + table).c_str(), -1, &statement,
                           nullptr);
        sqlite3_step(statement);
        const int count = sqlite3_column_int(statement, 0);
        sqlite3_finalize(statement);
        return count;
    }

    testing::TestFolder folder{"crv-tiles"};
    std::string path = folder.file("crv_data");
    LocalDatabase database;
    TileCache cache{database};
};

TEST_F(TileCacheTest, StoresFindsAndReadsBackByteForByte) {
    const TileKey key{9345, 5127, 14};
    EXPECT_EQ(cache.FindTile(TileLayer::Satellite, key), -1);
    const auto jpeg = image(20000, 7);
    ASSERT_TRUE(cache.StoreTile(TileLayer::Satellite, key, jpeg).ok());
    const int64_t row = cache.FindTile(TileLayer::Satellite, key);
    ASSERT_GE(row, 0);
    EXPECT_EQ(cache.ReadTile(TileLayer::Satellite, row), jpeg);
    EXPECT_EQ(cache.FindTile(TileLayer::Overlay, key), -1) << "the layers are apart";
    EXPECT_EQ(cache.ReadTile(TileLayer::Satellite, row + 100), std::nullopt);
    EXPECT_EQ(rows("gmap_tiles"), 0);
}

TEST_F(TileCacheTest, AStoreReplacesTheTilesOldFile) {
    const TileKey key{1, 2, 3};
    ASSERT_TRUE(cache.StoreTile(TileLayer::Overlay, key, image(100, 1)).ok());
    ASSERT_TRUE(cache.StoreTile(TileLayer::Overlay, key, image(50, 2)).ok());
    EXPECT_EQ(rows("gmap_tiles"), 1);
    EXPECT_EQ(cache.ReadTile(TileLayer::Overlay, cache.FindTile(TileLayer::Overlay, key)),
              image(50, 2));
}

TEST_F(TileCacheTest, ClearingAZoomLevelLeavesTheOthers) {
    for (int32_t zoom : {17, 18, 19}) {
        for (TileLayer layer : {TileLayer::Satellite, TileLayer::Overlay}) {
            ASSERT_TRUE(cache.StoreTile(layer, {10, 20, zoom}, image(10, 0)).ok());
        }
    }
    cache.DeleteZoomLevel(18);
    EXPECT_EQ(cache.FindTile(TileLayer::Satellite, {10, 20, 18}), -1);
    EXPECT_EQ(cache.FindTile(TileLayer::Overlay, {10, 20, 18}), -1);
    EXPECT_GE(cache.FindTile(TileLayer::Satellite, {10, 20, 17}), 0);
    EXPECT_GE(cache.FindTile(TileLayer::Overlay, {10, 20, 19}), 0);
    EXPECT_FALSE(cache.MapBusy());
    cache.DeleteAllTiles();
    EXPECT_EQ(rows("gmap_sat") + rows("gmap_tiles"), 0);
}

TEST_F(TileCacheTest, ReloadViewWrapsAroundTheAntimeridian) {
    const int32_t zoom = 3; // 8 columns
    for (int32_t x = 0; x < 8; ++x) {
        ASSERT_TRUE(cache.StoreTile(TileLayer::Satellite, {x, 4, zoom}, image(10, 0)).ok());
    }
    // A view centred in the last column: its neighbours are columns 6 and 0.
    cache.DeleteViewTiles(7 * 256 + 128, 4 * 256 + 128, zoom);
    for (int32_t x = 0; x < 8; ++x) {
        const bool gone = x == 6 || x == 7 || x == 0;
        EXPECT_EQ(cache.FindTile(TileLayer::Satellite, {x, 4, zoom}) == -1, gone) << x;
    }
    EXPECT_EQ(wrapTile(-1, 3), 7);
    EXPECT_EQ(wrapTile(8, 3), 0);
}

TEST_F(TileCacheTest, CompactingShrinksTheFileDuringTheSessionAndKeepsTheSettings) {
    SettingsStore settings(database);
    settings.SetIntParam("Logfile_num", 17);
    for (int32_t x = 0; x < 60; ++x) {
        ASSERT_TRUE(cache.StoreTile(TileLayer::Satellite, {x, 0, 10}, image(30000, 3)).ok());
    }
    // A later session starts on the big file, clears the map and compacts what is left.
    database.CloseLocalDatabase();
    ASSERT_TRUE(database.OpenLocalDatabase(path).ok());
    const auto before = fs::file_size(path);
    ASSERT_GT(before, 60u * 30000);
    cache.DeleteAllTiles();
    cache.CompactDatabase();
    EXPECT_LT(fs::file_size(path), before / 4);
    const fs::path log = path + "-wal";
    EXPECT_TRUE(!fs::exists(log) || fs::file_size(log) == 0) << "the log gives its space back";
    EXPECT_EQ(settings.GetIntParam("Logfile_num", 1), 17);
    EXPECT_FALSE(cache.MapBusy());
}

TEST_F(TileCacheTest, StoresFromAnotherThreadWhileTheUserInterfaceLooksUp) {
    std::thread worker([this] {
        for (int32_t x = 0; x < 200; ++x) {
            cache.StoreTile(TileLayer::Overlay, {x, 1, 12}, image(2000, 5));
        }
    });
    for (int round = 0; round < 2000; ++round) {
        const int64_t row = cache.FindTile(TileLayer::Overlay, {round % 200, 1, 12});
        if (row >= 0) { // a tile is either missing or whole, never half stored
            ASSERT_EQ(cache.ReadTile(TileLayer::Overlay, row), image(2000, 5));
        }
    }
    worker.join();
    EXPECT_EQ(rows("gmap_tiles"), 200);
}

TEST(TileCacheClosedTest, AClosedDatabaseFindsNothingAndStoresNothing) {
    LocalDatabase closed;
    TileCache cache(closed);
    EXPECT_EQ(cache.FindTile(TileLayer::Satellite, {0, 0, 1}), -1);
    EXPECT_FALSE(cache.StoreTile(TileLayer::Satellite, {0, 0, 1}, {1, 2, 3}).ok());
    EXPECT_EQ(cache.ReadTile(TileLayer::Satellite, 1), std::nullopt);
    cache.DeleteAllTiles();
    cache.CompactDatabase();
    EXPECT_FALSE(cache.MapBusy());
}

} // namespace
} // namespace crv::store
