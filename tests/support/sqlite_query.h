#pragma once

#include <sqlite3.h>

#include <string>

namespace crv::testing {

/// The first column of the first row of sql run on the database file at path, as text; "" when
/// there is no row. Opens and closes its own connection, as another program would.
inline std::string queryFirstCell(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr);
    std::string result;
    if (statement != nullptr && sqlite3_step(statement) == SQLITE_ROW) {
        const unsigned char* text = sqlite3_column_text(statement, 0);
        result = text != nullptr ? reinterpret_cast<const char*>(text) : "";
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return result;
}

} // namespace crv::testing
