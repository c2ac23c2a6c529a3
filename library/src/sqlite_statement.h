#pragma once
// A prepared statement that finalises itself, with the few bindings and column reads the
// library uses.

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace ostrino::library {

class Statement {
  public:
    Statement(sqlite3* db, const char* sql) {
        prepareCode_ = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr);
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // SQLITE_OK when the statement could be prepared. Preparing is the first read of the
    // file's catalogue, so a file that is not a database or is locked shows here first.
    int prepareCode() const { return prepareCode_; }

    void bind(int index, double v) { sqlite3_bind_double(stmt_, index, v); }
    void bind(int index, std::int64_t v) { sqlite3_bind_int64(stmt_, index, v); }
    void bind(int index, int v) { sqlite3_bind_int(stmt_, index, v); }
    void bind(int index, std::string_view v) {
        sqlite3_bind_text64(stmt_, index, v.data(), v.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    }
    void bindNull(int index) { sqlite3_bind_null(stmt_, index); }

    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step() { return sqlite3_step(stmt_); }
    void reset() {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }

    double doubleAt(int column) const { return sqlite3_column_double(stmt_, column); }
    std::int64_t intAt(int column) const { return sqlite3_column_int64(stmt_, column); }
    bool isNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
    std::string textAt(int column) const {
        const auto* text = sqlite3_column_text(stmt_, column);
        const int bytes = sqlite3_column_bytes(stmt_, column);
        return text == nullptr ? std::string()
                               : std::string(reinterpret_cast<const char*>(text),
                                             static_cast<std::size_t>(bytes));
    }

  private:
    sqlite3_stmt* stmt_ = nullptr;
    int prepareCode_ = SQLITE_OK;
};

}  // namespace ostrino::library
