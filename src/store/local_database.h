#pragma once

#include "common/status.h"

#include <chrono>
#include <optional>
#include <string>

struct sqlite3;

namespace crv::store {

/// The one connection to the local database file that holds the settings and the map tiles.
/// Usable from the user-interface thread and the tile worker at once (serialized mode).
///
/// Failures never stop the program: a database that cannot be opened or written leaves every
/// setting at its default. The first failure is kept so the user can be told once.
class LocalDatabase {
public:
    static constexpr const char* kFileName = "crv_data";
    /// How long a statement waits for a lock that another program holds on the file.
    static constexpr std::chrono::milliseconds kBusyTimeout{2000};

    LocalDatabase() = default;
    ~LocalDatabase() { CloseLocalDatabase(); }
    LocalDatabase(const LocalDatabase&) = delete;
    LocalDatabase& operator=(const LocalDatabase&) = delete;

    /// Opens (creating it if missing) the file and makes sure every table and index exists.
    /// A file that can be read but not written (a read-only folder or medium) is opened
    /// read-only; readOnly() then tells.
    Status OpenLocalDatabase(const std::string& path = kFileName);
    void CloseLocalDatabase();
    bool isOpen() const { return m_db != nullptr; }
    /// True when the open file can only be read: every write fails.
    bool readOnly() const;

    /// Runs SQL text without parameters, every statement of it. Values that come from outside
    /// never go into the text: callers bind them in prepared statements.
    Status ExecSql(const std::string& sql);

    /// Records a failure of an operation on the connection; returns the status as given.
    Status noteFailure(Status status);
    /// The first failure since opening, once: afterwards empty until the next open.
    std::optional<std::string> takeFirstFailure();

    /// The open connection, or null.
    sqlite3* handle() const { return m_db; }

private:
    using Clock = std::chrono::steady_clock;

    /// Opens path read-write, or read-only as a file that nothing changes while it is open.
    Status open(const std::string& path, bool unchanging);
    /// The result code of one read of the file: SQLITE_OK when it can be read.
    int probe();
    /// Runs every schema statement, also after one failed; the first failure.
    Status createSchema();
    static int waitForLock(void* self, int attempts);

    sqlite3* m_db = nullptr;
    std::optional<std::string> m_firstFailure;
    bool m_failureTaken = false;
    // Lock waits; touched only inside a statement, under the connection's own mutex.
    Clock::time_point m_waitStarted;
    Clock::time_point m_noWaitUntil;
};

} // namespace crv::store
