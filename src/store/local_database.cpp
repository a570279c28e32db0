#include "store/local_database.h"

#include "store/statement.h"

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

constexpr int kLockPollMs = 10;

/// Whether a read failed because the file may not be written, not because it is broken.
bool cannotWrite(int result) {
    const int primary = result & 0xff;
    return primary == SQLITE_READONLY || primary == SQLITE_CANTOPEN;
}

/// path as the path part of a "file:" name.
std::string uriPath(const std::string& path) {
    std::string escaped;
    for (const char c : path) {
        switch (c) {
        case '%':
            escaped += "%25";
            break;
        case '?':
            escaped += "%3f";
            break;
        case '#':
            escaped += "%23";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

} // namespace

Status LocalDatabase::OpenLocalDatabase(const std::string& path) {
    CloseLocalDatabase();
    m_firstFailure.reset();
    m_failureTaken = false;
    m_noWaitUntil = {};
    Status opened = open(path, false);
    if (opened.ok() && cannotWrite(probe())) {
        // A write-ahead-logged file in a read-only folder cannot be read the usual way, as its
        // shared index file cannot be made there; read as a file that nothing changes, it can.
        opened = open(path, true);
    }
    if (!opened.ok()) {
        return noteFailure(opened);
    }
    if (!readOnly()) {
        // Fails on a file that another program keeps locked; the reads then say so.
        sqlite3_exec(m_db, kConnectionSetup, nullptr, nullptr, nullptr);
    }
    return createSchema();
}

Status LocalDatabase::open(const std::string& path, bool unchanging) {
    CloseLocalDatabase();
    const std::string name = unchanging ? "file:" + uriPath(path) + "?immutable=1" : path;
    const int flags = (unchanging ? SQLITE_OPEN_READONLY | SQLITE_OPEN_URI
                                  : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) |
                      SQLITE_OPEN_FULLMUTEX;
    if (sqlite3_open_v2(name.c_str(), &m_db, flags, nullptr) != SQLITE_OK) {
        const std::string reason = m_db != nullptr ? sqlite3_errmsg(m_db) : "out of memory";
        CloseLocalDatabase();
        return Status::failure("cannot open " + path + ": " + reason);
    }
    sqlite3_busy_handler(m_db, &LocalDatabase::waitForLock, this);
    return Status::success();
}

int LocalDatabase::probe() {
    Statement count(m_db, "SELECT count(*) FROM sqlite_master");
    if (count.get() == nullptr) {
        return sqlite3_errcode(m_db);
    }
    const int result = sqlite3_step(count.get());
    return result == SQLITE_ROW ? SQLITE_OK : result;
}

Status LocalDatabase::createSchema() {
    Status first = Status::success();
    for (const char* statement : kSchema) {
        Status done = ExecSql(statement);
        if (first.ok()) {
            first = std::move(done);
        }
    }
    return first;
}

// A lock held by another program is waited for up to kBusyTimeout. Once a wait has run out the
// lock is taken to stay: statements give up at once until a time-out's length has passed without
// meeting it, so a file locked for good costs one wait, not one per setting.
int LocalDatabase::waitForLock(void* self, int attempts) {
    auto& database = *static_cast<LocalDatabase*>(self);
    const Clock::time_point now = Clock::now();
    if (attempts == 0) {
        database.m_waitStarted = now;
    }
    if (now < database.m_noWaitUntil || now - database.m_waitStarted >= kBusyTimeout) {
        database.m_noWaitUntil = now + kBusyTimeout;
        return 0;
    }
    sqlite3_sleep(kLockPollMs);
    return 1;
}

void LocalDatabase::CloseLocalDatabase() {
    if (m_db != nullptr) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

bool LocalDatabase::readOnly() const {
    return m_db != nullptr && sqlite3_db_readonly(m_db, "main") == 1;
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
