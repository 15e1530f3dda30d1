#include "platform/sandbox/attribute_store.h"

#include <sqlite3.h>

#include <utility>
#include <vector>

#include "core/text.h"

namespace velkor::platform::sandbox {
namespace {

Status StoreFailure(sqlite3* db, const char* what) {
  return Status::Failure(error::kAccessDenied, core::U16(std::string("attribute store: ") + what +
                                                         ": " + sqlite3_errmsg(db)));
}

// One prepared statement, finalized on every path out.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr); }
  ~Statement() { sqlite3_finalize(statement_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  bool valid() const { return statement_ != nullptr; }
  Statement& Bind(int index, const std::string& bytes) {
    sqlite3_bind_blob(statement_, index, bytes.data(), static_cast<int>(bytes.size()),
                      SQLITE_TRANSIENT);
    return *this;
  }
  Statement& Bind(int index, int64_t value) {
    sqlite3_bind_int64(statement_, index, value);
    return *this;
  }
  // SQLITE_ROW, SQLITE_DONE or an error code.
  int Step() { return valid() ? sqlite3_step(statement_) : SQLITE_ERROR; }
  std::string Blob(int column) const {
    const void* data = sqlite3_column_blob(statement_, column);
    return std::string(static_cast<const char*>(data),
                       static_cast<size_t>(sqlite3_column_bytes(statement_, column)));
  }
  int64_t Integer(int column) const { return sqlite3_column_int64(statement_, column); }

 private:
  sqlite3_stmt* statement_ = nullptr;
};

// Keys below `key` sort between "key/" and "key0" ('0' follows '/').
std::pair<std::string, std::string> DescendantRange(const std::string& key) {
  return {key + "/", key + "0"};
}

constexpr const char* kEraseTree =
    "DELETE FROM attributes WHERE path = ?1 OR (path >= ?2 AND path < ?3)";

Status EraseTree(sqlite3* db, const std::string& key) {
  const auto [low, high] = DescendantRange(key);
  Statement erase(db, kEraseTree);
  if (erase.Bind(1, key).Bind(2, low).Bind(3, high).Step() != SQLITE_DONE) {
    return StoreFailure(db, "erase");
  }
  return Status::Ok();
}

Result<std::vector<std::pair<std::string, int64_t>>> ReadTree(sqlite3* db, const std::string& key) {
  const auto [low, high] = DescendantRange(key);
  Statement select(
      db, "SELECT path, value FROM attributes WHERE path = ?1 OR (path >= ?2 AND path < ?3)");
  select.Bind(1, key).Bind(2, low).Bind(3, high);
  std::vector<std::pair<std::string, int64_t>> rows;
  int step;
  while ((step = select.Step()) == SQLITE_ROW) rows.emplace_back(select.Blob(0), select.Integer(1));
  if (step != SQLITE_DONE) return StoreFailure(db, "read");
  return rows;
}

}  // namespace

Result<std::unique_ptr<AttributeStore>> AttributeStore::Open(const std::filesystem::path& db_file) {
  sqlite3* db = nullptr;
  const int flags =
      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX | SQLITE_OPEN_NOFOLLOW;
  if (sqlite3_open_v2(db_file.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    Status failure = StoreFailure(db, "open");
    sqlite3_close(db);
    return failure;
  }
  std::unique_ptr<AttributeStore> store(new AttributeStore(db));
  sqlite3_busy_timeout(db, 10000);
  for (const char* sql : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=NORMAL",
                          "CREATE TABLE IF NOT EXISTS attributes ("
                          "path BLOB PRIMARY KEY, value INTEGER NOT NULL) WITHOUT ROWID"}) {
    if (Status s = store->Execute(sql); !s) return s;
  }
  return store;
}

AttributeStore::~AttributeStore() {
  sqlite3_close(db_);
}

Status AttributeStore::Execute(const char* sql) {
  if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) return StoreFailure(db_, sql);
  return Status::Ok();
}

std::optional<uint32_t> AttributeStore::Find(const std::string& key) {
  std::lock_guard lock(mutex_);
  Statement select(db_, "SELECT value FROM attributes WHERE path = ?1");
  if (select.Bind(1, key).Step() != SQLITE_ROW) return std::nullopt;
  return static_cast<uint32_t>(select.Integer(0));
}

Status AttributeStore::Put(const std::string& key, uint32_t bits) {
  std::lock_guard lock(mutex_);
  Statement put(db_, "INSERT OR REPLACE INTO attributes (path, value) VALUES (?1, ?2)");
  if (put.Bind(1, key).Bind(2, int64_t{bits}).Step() != SQLITE_DONE)
    return StoreFailure(db_, "put");
  return Status::Ok();
}

Status AttributeStore::Erase(const std::string& key) {
  std::lock_guard lock(mutex_);
  return EraseTree(db_, key);
}

Status AttributeStore::Move(const std::string& from, const std::string& to) {
  std::lock_guard lock(mutex_);
  if (Status s = Execute("BEGIN IMMEDIATE"); !s) return s;
  Result<std::vector<std::pair<std::string, int64_t>>> rows = ReadTree(db_, from);
  Status status = rows.ok() ? EraseTree(db_, from) : rows.status();
  if (status.ok()) status = EraseTree(db_, to);
  for (size_t i = 0; status.ok() && i < rows->size(); ++i) {
    const auto& [path, value] = (*rows)[i];
    Statement put(db_, "INSERT INTO attributes (path, value) VALUES (?1, ?2)");
    if (put.Bind(1, to + path.substr(from.size())).Bind(2, value).Step() != SQLITE_DONE) {
      status = StoreFailure(db_, "move");
    }
  }
  if (Status end = Execute(status.ok() ? "COMMIT" : "ROLLBACK"); status.ok()) status = end;
  return status;
}

}  // namespace velkor::platform::sandbox
