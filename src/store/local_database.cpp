#include "store/local_database.h"

#include <sqlite3.h>

#include <array>

namespace crv::store {

namespace {

// Write-ahead logging keeps writes quick without the risk of "synchronous off": a crash or
// power cut loses at most the last writes, never the file.
constexpr const char* kConnectionSetup = "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;";

constexpr std::array<const char*, 9> kSchema = {
    "CREATE TABLE IF NOT EXISTS float_parms(id INTEGER PRIMARY KEY AUTOINCREMENT, vname TEXT "
    "UNIQUE, val REAL)",
    "CREATE TABLE IF NOT EXISTS text_parms(id INTEGER PRIMARY KEY AUTOINCREMENT, vname TEXT "
    "UNIQUE, val TEXT)",
    "CREATE TABLE IF NOT EXISTS int_parms(id INTEGER PRIMARY KEY AUTOINCREMENT, vname TEXT "
    "UNIQUE, val INTEGER)",
    "CREATE TABLE IF NOT EXISTS gmap_tiles(id INTEGER PRIMARY KEY AUTOINCREMENT, x INTEGER, y "
    "INTEGER, z INTEGER, jpgdata BLOB, ctr INTEGER)",
    "CREATE TABLE IF NOT EXISTS gmap_sat(id INTEGER PRIMARY KEY AUTOINCREMENT, x INTEGER, y "
    "INTEGER, z INTEGER, jpgdata BLOB, ctr INTEGER)",
    "CREATE INDEX IF NOT EXISTS idx_gmap_tiles ON gmap_tiles (z ASC, x ASC, y ASC)",
    "CREATE INDEX IF NOT EXISTS idx_gmap_sat ON gmap_sat (z ASC, x ASC, y ASC)",
    "CREATE INDEX IF NOT EXISTS idx_gmap_tiles_id ON gmap_tiles (id ASC)",
    "CREATE INDEX IF NOT EXISTS idx_gmap_sat_id ON gmap_sat (id ASC)",
};

} // namespace

Status LocalDatabase::OpenLocalDatabase(const std::string& path) {
    CloseLocalDatabase();
    m_firstFailure.reset();
    m_failureTaken = false;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
    if (sqlite3_open_v2(path.c_str(), &m_db, flags, nullptr) != SQLITE_OK) {
        const std::string reason = m_db != nullptr ? sqlite3_errmsg(m_db) : "out of memory";
        CloseLocalDatabase();
        return noteFailure(Status::failure("cannot open " + path + ": " + reason));
    }
    // A read-only file cannot switch its journal; that shows up as the first failed write.
    sqlite3_exec(m_db, kConnectionSetup, nullptr, nullptr, nullptr);
    for (const char* statement : kSchema) {
        Status done = ExecSql(statement);
        if (!done.ok()) {
            return done;
        }
    }
    return Status::success();
}

void LocalDatabase::CloseLocalDatabase() {
    if (m_db != nullptr) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

Status LocalDatabase::ExecSql(const std::string& sql) {
    if (m_db == nullptr) {
        return Status::failure("the database is not open");
    }
    char* error = nullptr;
    if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &error) == SQLITE_OK) {
        return Status::success();
    }
    const std::string reason = error != nullptr ? error : sqlite3_errmsg(m_db);
    sqlite3_free(error);
    return noteFailure(Status::failure(reason));
}

Status LocalDatabase::noteFailure(Status status) {
    if (!status.ok() && !m_firstFailure) {
        m_firstFailure = status.message();
    }
    return status;
}

std::optional<std::string> LocalDatabase::takeFirstFailure() {
    if (m_failureTaken || !m_firstFailure) {
        return std::nullopt;
    }
    m_failureTaken = true;
    return m_firstFailure;
}

} // namespace crv::store
