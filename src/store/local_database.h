#pragma once

#include "common/status.h"

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

    LocalDatabase() = default;
    ~LocalDatabase() { CloseLocalDatabase(); }
    LocalDatabase(const LocalDatabase&) = delete;
    LocalDatabase& operator=(const LocalDatabase&) = delete;

    /// Opens (creating it if missing) the file and makes sure every table and index exists.
    Status OpenLocalDatabase(const std::string& path = kFileName);
    void CloseLocalDatabase();
    bool isOpen() const { return m_db != nullptr; }

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
    sqlite3* m_db = nullptr;
    std::optional<std::string> m_firstFailure;
    bool m_failureTaken = false;
};

} // namespace crv::store
