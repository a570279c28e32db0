#pragma once

#include "store/local_database.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>

struct sqlite3_stmt;

namespace crv::store {

/// The ground station's settings: named integer, float and text parameters in the local
/// database. A read of a name that is not stored yet stores the caller's default and returns
/// it; on a database that does not work every read returns its default.
///
/// A read that fails (the file locked by another program, an I/O error, a damaged file) is not
/// taken for a name that is not stored: the default is returned but not stored, and
/// readFailed() tells callers not to write over a value that may well be there.
class SettingsStore {
public:
    explicit SettingsStore(LocalDatabase& database) : m_database(database) {}

    int32_t GetIntParam(const std::string& name, int32_t fallback);
    /// Stored with six decimals, so at most six decimal places survive.
    float GetFloatParam(const std::string& name, float fallback);
    std::string GetTextParam(const std::string& name, const std::string& fallback);

    void SetIntParam(const std::string& name, int32_t value);
    void SetFloatParam(const std::string& name, float value);
    void SetTextParam(const std::string& name, const std::string& value);

    /// True while the last read of a parameter of that name, in any table, failed and no
    /// write of it has worked since: what the file holds for it is unknown.
    bool readFailed(const std::string& name) const { return m_unread.contains(name); }

private:
    enum class Table { Int, Float, Text };
    /// The stored value as text, or nothing when the name is not stored or the read failed;
    /// readFailed() tells the two apart.
    std::optional<std::string> read(Table table, const std::string& name);
    /// Stores a value under name; bindValue binds it as parameter 2 of the insert.
    void write(Table table, const std::string& name,
               const std::function<bool(sqlite3_stmt*)>& bindValue);

    LocalDatabase& m_database;
    std::set<std::string> m_unread;
};

/// The integer at the start of text: optional blanks and sign, then digits up to the first
/// other character; 0 without digits, clamped to the 32-bit range.
int32_t leadingInteger(const std::string& text);
/// The decimal number at the start of text, "." as separator whatever the locale; 0 if none.
double leadingNumber(const std::string& text);

} // namespace crv::store
