#pragma once
// A prepared SQLite statement that finalizes itself.
#include <sqlite3.h>

#include <cstdint>
#include <string_view>

namespace archive {

class Statement {
 public:
  Statement(sqlite3* db, const char* sql) { code_ = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr); }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  int PrepareCode() const { return code_; }
  bool Prepared() const { return code_ == SQLITE_OK && stmt_ != nullptr; }
  sqlite3_stmt* get() const { return stmt_; }

  void Bind(int i, int64_t v) { sqlite3_bind_int64(stmt_, i, v); }
  void Bind(int i, double v) { sqlite3_bind_double(stmt_, i, v); }
  void Bind(int i, std::string_view v) {
    sqlite3_bind_text(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
  }
  // The text must stay as it is until the statement is stepped and reset.
  void BindUnchanged(int i, std::string_view v) {
    sqlite3_bind_text(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_STATIC);
  }
  // The bytes as text where they are valid UTF-8 and as a blob otherwise, so
  // that every SQLite client reads the column and no byte changes.
  void BindRawUnchanged(int i, std::string_view v, bool validUtf8) {
    if (validUtf8) {
      BindUnchanged(i, v);
    } else {
      sqlite3_bind_blob(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_STATIC);
    }
  }
  void BindNull(int i) { sqlite3_bind_null(stmt_, i); }
  int Step() { return sqlite3_step(stmt_); }
  void Reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
  }

  bool IsNull(int col) const { return sqlite3_column_type(stmt_, col) == SQLITE_NULL; }
  int64_t Int(int col) const { return sqlite3_column_int64(stmt_, col); }
  double Real(int col) const { return sqlite3_column_double(stmt_, col); }
  std::string_view Text(int col) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, col));
    return p == nullptr ? std::string_view()
                        : std::string_view(p, static_cast<size_t>(sqlite3_column_bytes(stmt_, col)));
  }
  // The column's bytes as stored, text or blob alike.
  std::string_view Bytes(int col) const {
    const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt_, col));
    return p == nullptr ? std::string_view()
                        : std::string_view(p, static_cast<size_t>(sqlite3_column_bytes(stmt_, col)));
  }

 private:
  sqlite3_stmt* stmt_ = nullptr;
  int code_ = SQLITE_OK;
};

}  // namespace archive
