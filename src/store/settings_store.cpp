#include "store/settings_store.h"

#include "common/typed_number.h"
#include "store/statement.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>

namespace crv::store {

namespace {

const char* selectText(int table) {
    static constexpr const char* kSelects[] = {
        "SELECT val FROM int_parms WHERE vname=?",
        "SELECT val FROM float_parms WHERE vname=?",
        "SELECT val FROM text_parms WHERE vname=?",
    };
    return kSelects[table];
}

const char* insertText(int table) {
    static constexpr const char* kInserts[] = {
        "INSERT OR REPLACE INTO int_parms(vname,val) VALUES(?,?)",
        "INSERT OR REPLACE INTO float_parms(vname,val) VALUES(?,?)",
        "INSERT OR REPLACE INTO text_parms(vname,val) VALUES(?,?)",
    };
    return kInserts[table];
}

size_t skipBlanks(const std::string& text) {
    size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) {
        ++at;
    }
    return at;
}

} // namespace

int32_t leadingInteger(const std::string& text) {
    size_t at = skipBlanks(text);
    const bool negative = at < text.size() && text[at] == '-';
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
        ++at;
    }
    int64_t value = 0;
    for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at) {
        value = std::min<int64_t>(value * 10 + (text[at] - '0'), int64_t{1} << 32);
    }
    value = negative ? -value : value;
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

double leadingNumber(const std::string& text) {
    size_t at = skipBlanks(text);
    if (at < text.size() && text[at] == '+') {
        ++at;
    }
    double value = 0;
    const auto result = std::from_chars(text.data() + at, text.data() + text.size(), value);
    return result.ec == std::errc() ? value : 0.0;
}

std::optional<std::string> SettingsStore::read(Table table, const std::string& name) {
    Statement select(m_database.handle(), selectText(static_cast<int>(table)));
    const int result = select.get() != nullptr && select.bindText(1, name)
                           ? sqlite3_step(select.get())
                           : SQLITE_ERROR;
    if (result != SQLITE_ROW && result != SQLITE_DONE) {
        m_unread.insert(name);
        m_database.noteFailure(Status::failure(m_database.isOpen()
                                                   ? sqlite3_errmsg(m_database.handle())
                                                   : "the database is not open"));
        return std::nullopt;
    }
    m_unread.erase(name);
    if (result == SQLITE_DONE) {
        return std::nullopt;
    }
    const auto* value = reinterpret_cast<const char*>(sqlite3_column_text(select.get(), 0));
    return std::string(value != nullptr ? value : "");
}

void SettingsStore::write(Table table, const std::string& name,
                          const std::function<bool(sqlite3_stmt*)>& bindValue) {
    if (!m_database.isOpen()) {
        return;
    }
    Statement insert(m_database.handle(), insertText(static_cast<int>(table)));
    const bool bound =
        insert.get() != nullptr && insert.bindText(1, name) && bindValue(insert.get());
    if (!bound || sqlite3_step(insert.get()) != SQLITE_DONE) {
        m_database.noteFailure(Status::failure(sqlite3_errmsg(m_database.handle())));
        return;
    }
    m_unread.erase(name);
}

int32_t SettingsStore::GetIntParam(const std::string& name, int32_t fallback) {
    if (auto stored = read(Table::Int, name)) {
        return leadingInteger(*stored);
    }
    if (!readFailed(name)) {
        SetIntParam(name, fallback);
    }
    return fallback;
}

float SettingsStore::GetFloatParam(const std::string& name, float fallback) {
    if (auto stored = read(Table::Float, name)) {
        return static_cast<float>(leadingNumber(*stored));
    }
    if (!readFailed(name)) {
        SetFloatParam(name, fallback);
    }
    return fallback;
}

std::string SettingsStore::GetTextParam(const std::string& name, const std::string& fallback) {
    if (auto stored = read(Table::Text, name)) {
        return *stored;
    }
    if (!readFailed(name)) {
        SetTextParam(name, fallback);
    }
    return fallback;
}

void SettingsStore::SetIntParam(const std::string& name, int32_t value) {
    write(Table::Int, name, [value](sqlite3_stmt* insert) {
        return sqlite3_bind_int(insert, 2, value) == SQLITE_OK;
    });
}

// The value goes in as the number its six-decimal text reads as, so what is stored is what an
// INSERT with that literal would store.
void SettingsStore::SetFloatParam(const std::string& name, float value) {
    const double stored = leadingNumber(fixedDecimals(value, 6));
    write(Table::Float, name, [stored](sqlite3_stmt* insert) {
        return sqlite3_bind_double(insert, 2, stored) == SQLITE_OK;
    });
}

void SettingsStore::SetTextParam(const std::string& name, const std::string& value) {
    write(Table::Text, name, [&value](sqlite3_stmt* insert) {
        return sqlite3_bind_text(insert, 2, value.data(), static_cast<int>(value.size()),
                                 SQLITE_TRANSIENT) == SQLITE_OK;
    });
}

} // namespace crv::store
