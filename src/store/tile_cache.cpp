#include "store/tile_cache.h"

#include "store/statement.h"

#include <sqlite3.h>

#include <string>

namespace crv::store {

namespace {

// Table names only ever come from this pair.
const char* tableOf(TileLayer layer) {
    return layer == TileLayer::Satellite ? "gmap_sat" : "gmap_tiles";
}

constexpr TileLayer kLayers[] = {TileLayer::Satellite, TileLayer::Overlay};

/// Runs one statement on a connection; the failure message, if any.
Status step(sqlite3* db, sqlite3_stmt* statement) {
    if (statement == nullptr) {
        return Status::failure(db != nullptr ? sqlite3_errmsg(db) : "the database is not open");
    }
    const int result = sqlite3_step(statement);
    return result == SQLITE_DONE || result == SQLITE_ROW ? Status::success()
                                                         : Status::failure(sqlite3_errmsg(db));
}

/// Sets MapBusy for the life of a maintenance command.
class BusyScope {
public:
    explicit BusyScope(TileCache& cache) : m_cache(cache) { m_cache.setMapBusy(true); }
    ~BusyScope() { m_cache.setMapBusy(false); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    TileCache& m_cache;
};

} // namespace

int32_t wrapTile(int64_t index, int32_t zoom) {
    const int64_t size = int64_t{1} << zoom;
    return static_cast<int32_t>(((index % size) + size) % size);
}

int64_t TileCache::FindTile(TileLayer layer, const TileKey& key) {
    Statement select(m_database.handle(), std::string("SELECT id FROM ") + tableOf(layer) +
                                              " WHERE x=?1 AND y=?2 AND z=?3");
    if (select.get() == nullptr || !select.bindKey(key.x, key.y, key.z) ||
        sqlite3_step(select.get()) != SQLITE_ROW) {
        return -1;
    }
    return sqlite3_column_int64(select.get(), 0);
}

std::optional<std::vector<uint8_t>> TileCache::ReadTile(TileLayer layer, int64_t row) {
    sqlite3_blob* blob = nullptr;
    if (m_database.handle() == nullptr ||
        sqlite3_blob_open(m_database.handle(), "main", tableOf(layer), "jpgdata", row, 0, &blob) !=
            SQLITE_OK) {
        sqlite3_blob_close(blob);
        return std::nullopt;
    }
    std::vector<uint8_t> image(static_cast<size_t>(sqlite3_blob_bytes(blob)));
    const bool read =
        image.empty() ||
        sqlite3_blob_read(blob, image.data(), static_cast<int>(image.size()), 0) == SQLITE_OK;
    sqlite3_blob_close(blob);
    if (!read) {
        return std::nullopt;
    }
    return image;
}

Status TileCache::StoreTile(TileLayer layer, const TileKey& key,
                            const std::vector<uint8_t>& image) {
    sqlite3* db = m_database.handle();
    const std::string table = tableOf(layer);
    // One row a tile: the old file goes first. No transaction around the pair: the connection
    // is shared with the user-interface thread, whose statements would land inside it.
    Statement remove(db, "DELETE FROM " + table + " WHERE x=?1 AND y=?2 AND z=?3");
    Status done = remove.get() != nullptr && remove.bindKey(key.x, key.y, key.z)
                      ? step(db, remove.get())
                      : step(db, nullptr);
    if (!done.ok()) {
        return done;
    }
    Statement insert(db, "INSERT INTO " + table + "(x,y,z,jpgdata) VALUES(?1,?2,?3,?4)");
    const bool bound = insert.get() != nullptr && insert.bindKey(key.x, key.y, key.z) &&
                       sqlite3_bind_blob64(insert.get(), 4, image.data(), image.size(),
                                           SQLITE_TRANSIENT) == SQLITE_OK;
    return bound ? step(db, insert.get()) : step(db, nullptr);
}

Status TileCache::deleteWhere(const char* condition, std::initializer_list<int32_t> values) {
    sqlite3* db = m_database.handle();
    Status last = Status::success();
    for (TileLayer layer : kLayers) {
        Statement remove(db, std::string("DELETE FROM ") + tableOf(layer) + condition);
        int index = 1;
        bool bound = remove.get() != nullptr;
        for (int32_t value : values) {
            bound = bound && sqlite3_bind_int(remove.get(), index++, value) == SQLITE_OK;
        }
        Status done = bound ? step(db, remove.get()) : step(db, nullptr);
        if (!done.ok()) {
            last = m_database.noteFailure(done);
        }
    }
    return last;
}

void TileCache::DeleteViewTiles(int64_t centreX, int64_t centreY, int32_t zoom) {
    const BusyScope busy(*this);
    for (int i = -1; i <= 1; ++i) {
        for (int j = -1; j <= 1; ++j) {
            deleteWhere(" WHERE x=?1 AND y=?2 AND z=?3", {wrapTile(centreX / 256 + i, zoom),
                                                          wrapTile(centreY / 256 + j, zoom), zoom});
        }
    }
}

void TileCache::DeleteZoomLevel(int32_t zoom) {
    const BusyScope busy(*this);
    deleteWhere(" WHERE z=?1", {zoom});
}

void TileCache::DeleteAllTiles() {
    const BusyScope busy(*this);
    deleteWhere("", {});
}

void TileCache::CompactDatabase() {
    const BusyScope busy(*this);
    // The rebuilt file goes to the write-ahead log first; only the checkpoint hands it to the
    // file itself, and truncating the log gives its space back as well.
    if (m_database.ExecSql("VACUUM").ok()) {
        m_database.ExecSql("PRAGMA wal_checkpoint(TRUNCATE)");
    }
}

} // namespace crv::store
