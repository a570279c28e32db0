#pragma once

#include <sqlite3.h>

#include <string>

namespace crv::store {

/// One prepared statement of the store's connection, finalized when it goes out of scope.
/// get() is null when the connection is closed or the text did not compile.
class Statement {
public:
    Statement(sqlite3* db, const std::string& sql) {
        if (db == nullptr ||
            sqlite3_prepare_v2(db, sql.c_str(), -1, &m_statement, nullptr) != SQLITE_OK) {
            m_statement = nullptr;
        }
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    sqlite3_stmt* get() const { return m_statement; }
    bool bindText(int index, const std::string& text) {
        return sqlite3_bind_text(m_statement, index, text.data(), static_cast<int>(text.size()),
                                 SQLITE_TRANSIENT) == SQLITE_OK;
    }
    /// Binds x, y and z of a tile key to parameters 1 to 3.
    bool bindKey(int32_t x, int32_t y, int32_t z) {
        return sqlite3_bind_int(m_statement, 1, x) == SQLITE_OK &&
               sqlite3_bind_int(m_statement, 2, y) == SQLITE_OK &&
               sqlite3_bind_int(m_statement, 3, z) == SQLITE_OK;
    }

private:
    sqlite3_stmt* m_statement = nullptr;
};

} // namespace crv::store
