// A small owner of an SQLite connection and its prepared statements, so that
// every handle is finalised or closed on every way out, and every failure
// hands back a one-line reason (without the file name) instead of a return
// code to look up. Each operation that can fail takes a nullable
// `std::string* reason`.
//
// Only platform/ includes this header; the SQLite types stay declared, not
// defined, so the callers need no third-party header.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace comptab {

class SqliteStatement;

class SqliteDb {
 public:
  SqliteDb();
  ~SqliteDb();
  SqliteDb(SqliteDb&&) noexcept;
  SqliteDb& operator=(SqliteDb&&) noexcept;

  // Opens an existing database file for reading only; never creates one.
  // False when it cannot be opened.
  bool openReadOnly(const std::string& path, std::string* reason = nullptr);
  // A new, empty database that lives in memory until it is closed; it can
  // be written and copied to a file.
  bool openInMemory(std::string* reason = nullptr);
  // True when the size of the file that openReadOnly opened is the size its
  // header gives; false for a file cut short or added to.
  bool checkFileSize(std::string* reason = nullptr);
  bool isOpen() const { return db_ != nullptr; }
  // Closes the connection; statements prepared on it must be gone first.
  void close();

  // Prepares one statement. Null when the text does not compile against
  // this database (a table or a column missing, ...).
  std::unique_ptr<SqliteStatement> prepare(std::string_view sql, std::string* reason = nullptr);

  // The integer value of `PRAGMA <name>` (user_version, application_id).
  // False when it cannot be read.
  bool pragmaInt(const char* name, int64_t& value, std::string* reason = nullptr);

  // Runs SQL text of any number of statements that return no rows needed.
  bool exec(const std::string& sql, std::string* reason = nullptr);

  // Copies the whole database into the file `path`, which must be empty or
  // missing, and closes the copy. The copy's durability is the caller's
  // business (it is written without syncing).
  bool copyTo(const std::string& path, std::string* reason = nullptr);

  // Creates (or adds to) the database at `path` by running `sql` on it.
  // Builds the databases that tests and examples start from.
  static bool createFromSql(const std::string& path, const std::string& sql, std::string* reason);

 private:
  struct Closer {
    void operator()(sqlite3* db) const;
  };
  std::unique_ptr<sqlite3, Closer> db_;
  uint64_t fileSize_ = 0;
};

class SqliteStatement {
 public:
  enum class Step { Row, Done, Error };
  // The storage class of a result column's value.
  enum class Type { Integer, Float, Text, Blob, Null };

  ~SqliteStatement();
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  // Parameters count from 1. The text is copied, so it need not outlive
  // the call.
  bool bind(int index, std::string_view text, std::string* reason = nullptr);
  bool bind(int index, int64_t value, std::string* reason = nullptr);

  Step step(std::string* reason = nullptr);
  // Makes the statement ready for its next use: back to the start, no
  // parameters bound. False when that itself fails.
  bool reset(std::string* reason = nullptr);

  Type columnType(int column) const;
  int64_t columnInt(int column) const;
  // Copies the text of a column of the current row; empty for NULL. False
  // only when SQLite could not make the text.
  bool columnText(int column, std::string& text, std::string* reason = nullptr);

 private:
  friend class SqliteDb;
  struct Finalizer {
    void operator()(sqlite3_stmt* stmt) const;
  };
  explicit SqliteStatement(sqlite3_stmt* stmt);
  std::unique_ptr<sqlite3_stmt, Finalizer> stmt_;
};

}  // namespace comptab
