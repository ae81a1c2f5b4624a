#include "platform/support/sqlite_db.h"

#include <sqlite3.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <utility>

#include "platform/support/file_handle.h"
#include "platform/support/text.h"

namespace comptab {

namespace {

// A writer holding the file briefly (a library being rebuilt) should not
// fail a batch run at once.
constexpr int kBusyTimeoutMs = 2000;

std::string describe(sqlite3* db, int rc) {
  const char* text = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  return std::string(text ? text : "unknown SQLite error") + " (" + std::to_string(rc) + ")";
}

// Every failing operation ends here: the reason goes to the caller that
// asked for it, and the result is false.
bool fail(std::string* reason, std::string text) {
  if (reason != nullptr) *reason = std::move(text);
  return false;
}

bool fail(std::string* reason, sqlite3* db, int rc) { return fail(reason, describe(db, rc)); }

// Readers of a database in write-ahead-log mode create the -wal and -shm
// files beside it, even read-only. Bytes 18 and 19 of the header are the
// file format versions: 2 means write-ahead log.
bool usesWriteAheadLog(const FileHandle& file) {
  char header[20] = {};
  if (::pread(file.get(), header, sizeof header, 0) != static_cast<ssize_t>(sizeof header)) return false;  // too short
  return std::memcmp(header, "SQLite format 3", 16) == 0 && (header[18] == 2 || header[19] == 2);
}

}  // namespace

void SqliteDb::Closer::operator()(sqlite3* db) const {
  // close_v2 never leaves the handle half-open, whatever is still pending.
  sqlite3_close_v2(db);
}

SqliteDb::SqliteDb() = default;
SqliteDb::~SqliteDb() = default;
SqliteDb::SqliteDb(SqliteDb&&) noexcept = default;
SqliteDb& SqliteDb::operator=(SqliteDb&&) noexcept = default;

bool SqliteDb::openReadOnly(const std::string& path, std::string* reason) {
  close();
  if (path.empty() || path.find('\0') != std::string::npos) return fail(reason, "not a usable file name");
  // SQLite itself would block on a FIFO and read a device: only a regular
  // file goes on.
  FileHandle file;
  std::string why;
  if (!openInputFile(path, file, &why, &fileSize_)) return fail(reason, why);
  if (usesWriteAheadLog(file)) {
    return fail(reason, "in write-ahead-log mode, which would make a reader create files; use a rollback journal");
  }
  // This SQLite reads names that begin with "file:" as URIs, whose query
  // could ask for write access or a new file; "./" keeps it a plain name.
  const std::string name = path.starts_with("file:") ? "./" + path : path;
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(name.c_str(), &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
  db_.reset(raw);  // a failed open may still hand out a handle to release
  if (rc != SQLITE_OK) {
    fail(reason, db_.get(), rc);
    db_.reset();
    return false;
  }
  // The file comes from outside: refuse what a crafted schema could make a
  // reader do, and wait a little for a writer instead of failing.
  int applied = 0;
  int step = sqlite3_db_config(db_.get(), SQLITE_DBCONFIG_DEFENSIVE, 1, &applied);
  if (step == SQLITE_OK) step = sqlite3_db_config(db_.get(), SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, &applied);
  if (step == SQLITE_OK) step = sqlite3_busy_timeout(db_.get(), kBusyTimeoutMs);
  if (step != SQLITE_OK) {
    fail(reason, db_.get(), step);
    db_.reset();
    return false;
  }
  return true;
}

bool SqliteDb::checkFileSize(std::string* reason) {
  int64_t pages = 0;
  int64_t pageSize = 0;
  if (!pragmaInt("page_count", pages, reason) || !pragmaInt("page_size", pageSize, reason)) return false;
  // A file cut within its last page still opens and passes SQLite's own
  // checks, answering with whatever the lost bytes leave behind.
  if (pages < 0 || pageSize <= 0 || static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize) != fileSize_) {
    return fail(reason, strprintf("the file is %llu bytes long, but it should hold %lld pages of %lld bytes: it was "
                                  "cut short or added to",
                                  static_cast<unsigned long long>(fileSize_), static_cast<long long>(pages),
                                  static_cast<long long>(pageSize)));
  }
  return true;
}

bool SqliteDb::openInMemory(std::string* reason) {
  close();
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(":memory:", &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  db_.reset(raw);
  if (rc != SQLITE_OK) {
    fail(reason, db_.get(), rc);
    db_.reset();
    return false;
  }
  return true;
}

void SqliteDb::close() { db_.reset(); }

bool SqliteDb::copyTo(const std::string& path, std::string* reason) {
  if (!db_) return fail(reason, "database not open");
  SqliteDb target;
  sqlite3* raw = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  target.db_.reset(raw);
  // The copy is a fresh file that nobody reads before it is finished, so it
  // needs neither a journal nor syncing here.
  if (rc != SQLITE_OK) return fail(reason, target.db_.get(), rc);
  if (!target.exec("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF", reason)) return false;
  sqlite3_backup* backup = sqlite3_backup_init(target.db_.get(), "main", db_.get(), "main");
  if (backup == nullptr) return fail(reason, target.db_.get(), sqlite3_errcode(target.db_.get()));
  const int stepped = sqlite3_backup_step(backup, -1);
  const int finished = sqlite3_backup_finish(backup);
  if (stepped != SQLITE_DONE) return fail(reason, nullptr, stepped);
  if (finished != SQLITE_OK) return fail(reason, target.db_.get(), finished);
  // On failure the handle stays with `target`, whose closer releases it.
  rc = sqlite3_close(target.db_.get());
  if (rc != SQLITE_OK) return fail(reason, target.db_.get(), rc);
  static_cast<void>(target.db_.release());
  return true;
}

bool SqliteDb::pragmaInt(const char* name, int64_t& value, std::string* reason) {
  const auto statement = prepare(std::string("PRAGMA ") + name, reason);
  if (!statement) return false;
  if (statement->step(reason) != SqliteStatement::Step::Row) return false;
  value = statement->columnInt(0);
  return true;
}

std::unique_ptr<SqliteStatement> SqliteDb::prepare(std::string_view sql, std::string* reason) {
  if (!db_) {
    fail(reason, "database not open");
    return nullptr;
  }
  if (sql.size() > static_cast<size_t>(INT_MAX)) {
    fail(reason, "statement too long");
    return nullptr;
  }
  sqlite3_stmt* raw = nullptr;
  const int rc =
      sqlite3_prepare_v3(db_.get(), sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &raw, nullptr);
  std::unique_ptr<SqliteStatement> statement(raw ? new SqliteStatement(raw) : nullptr);
  if (rc != SQLITE_OK) {
    fail(reason, db_.get(), rc);
    return nullptr;
  }
  if (!statement) {  // only white space or a comment
    fail(reason, "empty statement");
    return nullptr;
  }
  return statement;
}

bool SqliteDb::exec(const std::string& sql, std::string* reason) {
  if (!db_) return fail(reason, "database not open");
  char* message = nullptr;
  const int rc = sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, &message);
  if (rc != SQLITE_OK) {
    fail(reason, std::string(message ? message : sqlite3_errstr(rc)) + " (" + std::to_string(rc) + ")");
  }
  sqlite3_free(message);
  return rc == SQLITE_OK;
}

bool SqliteDb::createFromSql(const std::string& path, const std::string& sql, std::string* reason) {
  SqliteDb db;
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  db.db_.reset(raw);
  if (rc != SQLITE_OK) return fail(reason, db.db_.get(), rc);
  if (!db.exec(sql, reason)) return false;
  const int closed = sqlite3_close(db.db_.release());
  if (closed != SQLITE_OK) {
    return fail(reason, nullptr, closed);
  }
  return true;
}

void SqliteStatement::Finalizer::operator()(sqlite3_stmt* stmt) const {
  // Its result repeats the last step's error, which was handled there.
  sqlite3_finalize(stmt);
}

SqliteStatement::SqliteStatement(sqlite3_stmt* stmt) : stmt_(stmt) {}
SqliteStatement::~SqliteStatement() = default;

bool SqliteStatement::bind(int index, std::string_view text, std::string* reason) {
  const int rc = sqlite3_bind_text64(stmt_.get(), index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
  return rc == SQLITE_OK || fail(reason, sqlite3_db_handle(stmt_.get()), rc);
}

bool SqliteStatement::bind(int index, int64_t value, std::string* reason) {
  const int rc = sqlite3_bind_int64(stmt_.get(), index, value);
  return rc == SQLITE_OK || fail(reason, sqlite3_db_handle(stmt_.get()), rc);
}

SqliteStatement::Step SqliteStatement::step(std::string* reason) {
  const int rc = sqlite3_step(stmt_.get());
  if (rc == SQLITE_ROW) return Step::Row;
  if (rc == SQLITE_DONE) return Step::Done;
  fail(reason, sqlite3_db_handle(stmt_.get()), rc);
  return Step::Error;
}

bool SqliteStatement::reset(std::string* reason) {
  const int rc = sqlite3_reset(stmt_.get());
  const int cleared = sqlite3_clear_bindings(stmt_.get());
  if (rc != SQLITE_OK) return fail(reason, sqlite3_db_handle(stmt_.get()), rc);
  if (cleared != SQLITE_OK) return fail(reason, sqlite3_db_handle(stmt_.get()), cleared);
  return true;
}

SqliteStatement::Type SqliteStatement::columnType(int column) const {
  switch (sqlite3_column_type(stmt_.get(), column)) {
    case SQLITE_INTEGER:
      return Type::Integer;
    case SQLITE_FLOAT:
      return Type::Float;
    case SQLITE_TEXT:
      return Type::Text;
    case SQLITE_BLOB:
      return Type::Blob;
    default:
      return Type::Null;
  }
}

int64_t SqliteStatement::columnInt(int column) const { return sqlite3_column_int64(stmt_.get(), column); }

bool SqliteStatement::columnText(int column, std::string& text, std::string* reason) {
  text.clear();
  if (sqlite3_column_type(stmt_.get(), column) == SQLITE_NULL) return true;
  // The text first, then its length: asking in this order converts once.
  const unsigned char* bytes = sqlite3_column_text(stmt_.get(), column);
  if (!bytes) return fail(reason, sqlite3_db_handle(stmt_.get()), sqlite3_errcode(sqlite3_db_handle(stmt_.get())));
  const int size = sqlite3_column_bytes(stmt_.get(), column);
  text.assign(reinterpret_cast<const char*>(bytes), static_cast<size_t>(size));
  return true;
}

}  // namespace comptab
