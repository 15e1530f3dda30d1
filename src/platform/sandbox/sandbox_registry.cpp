#include "platform/sandbox/sandbox_registry.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "core/case_mapping.h"
#include "core/text.h"

namespace velkor::platform::sandbox {
namespace {

// Windows error codes that status.h has no name for.
constexpr uint32_t kInvalidHandle = 6;        // ERROR_INVALID_HANDLE
constexpr uint32_t kBadDb = 1009;             // ERROR_BADDB
constexpr uint32_t kRegistryIoFailed = 1016;  // ERROR_REGISTRY_IO_FAILED

// Windows' own limits.
constexpr size_t kMaxKeyNameLength = 255;
constexpr size_t kMaxValueNameLength = 16383;
constexpr size_t kMaxKeyDepth = 512;

constexpr int64_t kMachineHive = 1;
constexpr int64_t kUsersHive = 2;
constexpr std::u16string_view kWow64Node = u"WOW6432Node";

constexpr int32_t kApplicationId = 0x564C4B52;  // "VLKR": marks the file as ours
constexpr int64_t kSchemaVersion = 1;

// Names are UTF-16LE blobs so that any name Windows accepts (lone surrogates too)
// survives unchanged. `folded` is the lower-cased name, the identity used for lookups;
// `name` keeps the spelling first given. Value rows get increasing `seq`, so ordering
// by it lists values in creation order as Windows does.
constexpr const char* kSchema = R"sql(
CREATE TABLE keys (
  id     INTEGER PRIMARY KEY,
  parent INTEGER NOT NULL,  -- 0 for the two hives
  name   BLOB NOT NULL,
  folded BLOB NOT NULL,
  UNIQUE (parent, folded)
);
CREATE TABLE vals (
  seq    INTEGER PRIMARY KEY,
  key    INTEGER NOT NULL,
  name   BLOB NOT NULL,
  folded BLOB NOT NULL,
  type   INTEGER NOT NULL,
  data   BLOB NOT NULL,
  UNIQUE (key, folded)
);
CREATE TABLE meta (name TEXT PRIMARY KEY, value TEXT NOT NULL) WITHOUT ROWID;
PRAGMA application_id = 1447840594;
PRAGMA user_version = 1;
)sql";
static_assert(kApplicationId == 1447840594);

// Keys under HKLM\SOFTWARE that both views share on Windows 7 and later.
constexpr std::u16string_view kSharedSoftwareKeys[] = {
    u"Clients",
    u"Policies",
    u"RegisteredApplications",
    u"Microsoft\\SystemCertificates",
    u"Microsoft\\Windows\\CurrentVersion\\Group Policy",
    u"Microsoft\\Windows\\CurrentVersion\\Policies",
    u"Microsoft\\Windows NT\\CurrentVersion\\Fonts",
    u"Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes",
    u"Microsoft\\Windows NT\\CurrentVersion\\ProfileList",
    u"Microsoft\\Windows NT\\CurrentVersion\\Time Zones",
};

// Subkeys of the (otherwise shared) class keys that keep a separate 32-bit copy.
constexpr std::u16string_view kRedirectedClassKeys[] = {
    u"CLSID", u"DirectShow", u"Interface", u"Media Type", u"MediaFoundation",
};

using Parts = std::vector<std::u16string>;

// Thrown by the SQLite layer of this file only; every public call catches it and
// returns its status.
struct SqlError {
  Status status;
};

uint32_t WindowsCode(int sqlite_code) {
  switch (sqlite_code & 0xFF) {
    case SQLITE_FULL:
      return error::kDiskFull;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return error::kSharingViolation;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
      return error::kAccessDenied;
    case SQLITE_CANTOPEN:
      return error::kPathNotFound;
    case SQLITE_TOOBIG:
      return error::kInvalidParameter;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_CONSTRAINT:  // only a damaged or foreign file breaks our constraints
      return kBadDb;
    default:
      return kRegistryIoFailed;
  }
}

[[noreturn]] void ThrowSql(sqlite3* db, int rc, std::string_view doing) {
  std::string text = "registry store: " + std::string(doing) + ": " + sqlite3_errstr(rc);
  if (db != nullptr) text += std::string(" (") + sqlite3_errmsg(db) + ")";
  throw SqlError{Status::Failure(WindowsCode(rc), core::Utf8ToUtf16(text))};
}

[[noreturn]] void ThrowBadDb(std::u16string message) {
  throw SqlError{Status::Failure(kBadDb, std::move(message))};
}

std::string Bytes(std::u16string_view text) {
  return core::ToUtf16LeBytes(text);
}
std::string Folded(std::u16string_view name) {
  return Bytes(core::Lower(name));
}

// A cached prepared statement, reset when this borrow ends.
class Stmt {
 public:
  Stmt(sqlite3* db, sqlite3_stmt* stmt) : db_(db), stmt_(stmt) {}
  ~Stmt() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
  }
  Stmt(const Stmt&) = delete;
  Stmt& operator=(const Stmt&) = delete;

  Stmt& Bind(int index, int64_t number) {
    Check(sqlite3_bind_int64(stmt_, index, number));
    return *this;
  }
  // A zero-length blob, never NULL, for empty data.
  Stmt& Bind(int index, std::string_view bytes) {
    Check(bytes.empty()
              ? sqlite3_bind_zeroblob(stmt_, index, 0)
              : sqlite3_bind_blob64(stmt_, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT));
    return *this;
  }
  Stmt& BindText(int index, std::string_view text) {
    Check(
        sqlite3_bind_text64(stmt_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8));
    return *this;
  }

  // True when a row is ready, false when the statement is done.
  bool Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    ThrowSql(db_, rc, sqlite3_sql(stmt_));
  }
  void Run() {
    while (Step()) {
    }
  }

  int64_t Int(int column) const { return sqlite3_column_int64(stmt_, column); }
  std::string Blob(int column) const {
    const void* data = sqlite3_column_blob(stmt_, column);
    const int size = sqlite3_column_bytes(stmt_, column);
    return data == nullptr ? std::string() : std::string(static_cast<const char*>(data), size);
  }
  std::u16string Name(int column) const { return core::FromUtf16LeBytes(Blob(column)); }

 private:
  void Check(int rc) {
    if (rc != SQLITE_OK) ThrowSql(db_, rc, "bind");
  }

  sqlite3* db_;
  sqlite3_stmt* stmt_;
};

// A fingerprint of this system's lower-case mapping; the folded names were computed
// with the mapping whose fingerprint the file records.
std::string CaseFingerprint() {
  uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (uint32_t c = 0; c < 0x10000; ++c) {
    hash = (hash ^ core::LowerChar(static_cast<char16_t>(c))) * 1099511628211ull;
  }
  return std::to_string(hash);
}

// Windows lists subkeys in the order of their upper-cased names.
void SortAsWindows(std::vector<std::u16string>& names) {
  std::vector<std::pair<std::u16string, std::u16string>> keyed;
  keyed.reserve(names.size());
  for (auto& name : names) keyed.emplace_back(core::Upper(name), std::move(name));
  std::sort(keyed.begin(), keyed.end());
  for (size_t i = 0; i < keyed.size(); ++i) names[i] = std::move(keyed[i].second);
}

bool Is(std::u16string_view part, std::u16string_view name) {
  return core::EqualIgnoreCase(part, name);
}

// A key as stored: its hive and the path below it.
struct Location {
  int64_t hive = kMachineHive;
  Parts parts;
};

}  // namespace

// The SQLite connection and the tree operations on it. Used under the registry's lock.
class RegistryStore {
 public:
  explicit RegistryStore(sqlite3* db) : db_(db) {}
  ~RegistryStore() {
    for (auto& entry : cache_) sqlite3_finalize(entry.second);
    sqlite3_close_v2(db_);
  }
  RegistryStore(const RegistryStore&) = delete;
  RegistryStore& operator=(const RegistryStore&) = delete;

  sqlite3* db() const { return db_; }
  int depth = 0;  // open transactions and savepoints; kept by TransactionScope

  void Exec(const char* sql) {
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) ThrowSql(db_, rc, sql);
  }

  Stmt Prepare(const char* sql) {
    sqlite3_stmt*& stmt = cache_[sql];
    if (stmt == nullptr) {
      const int rc = sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
      if (rc != SQLITE_OK) {
        cache_.erase(sql);
        ThrowSql(db_, rc, sql);
      }
    }
    return Stmt(db_, stmt);
  }

  int64_t Scalar(const char* sql) {
    Stmt stmt = Prepare(sql);
    return stmt.Step() ? stmt.Int(0) : 0;
  }

  void Configure();
  void PrepareSchema();
  void UseWriteAheadLog();
  void QuickCheck();
  void RefoldIfNeeded();

  std::optional<std::string> Meta(std::string_view name);
  void SetMeta(std::string_view name, std::string_view value);

  std::optional<int64_t> Find(const Location& where);
  int64_t Create(const Location& where);
  void DeleteTree(int64_t key);
  std::vector<std::u16string> Subkeys(int64_t key);
  std::vector<std::u16string> ValueNames(int64_t key);
  std::optional<RegistryValue> Value(int64_t key, std::u16string_view name);
  void PutValue(int64_t key, std::u16string_view name, const RegistryValue& value);
  bool RemoveValue(int64_t key, std::u16string_view name);
  Status CheckTree();

 private:
  std::optional<int64_t> Child(int64_t parent, std::u16string_view name);
  void RefoldTable(const char* select, const char* update);

  sqlite3* db_;
  std::unordered_map<const char*, sqlite3_stmt*> cache_;  // keyed by the SQL literal
};

namespace {

// One transaction, or a savepoint inside an open one; rolled back unless committed.
class TransactionScope {
 public:
  TransactionScope(RegistryStore& store, bool write) : store_(store) {
    // IMMEDIATE takes the write lock up front, so that another process holding it
    // makes us wait (busy timeout) instead of failing halfway.
    store_.Exec(store_.depth > 0 ? "SAVEPOINT op" : write ? "BEGIN IMMEDIATE" : "BEGIN");
    ++store_.depth;
  }
  ~TransactionScope() {
    if (committed_) return;
    --store_.depth;
    sqlite3* db = store_.db();
    if (store_.depth > 0) {
      sqlite3_exec(db, "ROLLBACK TO op; RELEASE op", nullptr, nullptr, nullptr);
    } else if (!sqlite3_get_autocommit(db)) {
      sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
  }
  TransactionScope(const TransactionScope&) = delete;
  TransactionScope& operator=(const TransactionScope&) = delete;

  void Commit() {
    store_.Exec(store_.depth > 1 ? "RELEASE op" : "COMMIT");
    --store_.depth;
    committed_ = true;
  }

 private:
  RegistryStore& store_;
  bool committed_ = false;
};

}  // namespace

void RegistryStore::Configure() {
  sqlite3_extended_result_codes(db_, 1);
  sqlite3_busy_timeout(db_, 10000);
  Exec("PRAGMA synchronous = FULL");
  Exec("PRAGMA cell_size_check = ON");
  Exec("PRAGMA trusted_schema = OFF");
}

// After the file proved to be ours, so that a foreign file is left as it was. Where
// the file system cannot share the log's index, SQLite keeps its rollback journal,
// which is as safe against a crash, only slower.
void RegistryStore::UseWriteAheadLog() {
  Prepare("PRAGMA journal_mode = WAL").Run();
}

// A damaged file is refused when opened rather than failing calls halfway through a setup.
void RegistryStore::QuickCheck() {
  Stmt check = Prepare("PRAGMA quick_check(1)");
  if (check.Step() && check.Blob(0) != "ok") {
    ThrowBadDb(u"the registry is damaged: " + core::Utf8ToUtf16(check.Blob(0)));
  }
}

void RegistryStore::PrepareSchema() {
  TransactionScope tx(*this, true);
  const int64_t application = Scalar("PRAGMA application_id");
  const int64_t version = Scalar("PRAGMA user_version");
  if (application == 0 && version == 0) {
    if (Scalar("SELECT count(*) FROM sqlite_master") != 0) {
      ThrowBadDb(u"the file is a database but not a registry");
    }
    Exec(kSchema);
    Exec(
        "INSERT INTO keys (id, parent, name, folded) VALUES "
        "(1, 0, CAST('HKEY_LOCAL_MACHINE' AS BLOB), CAST('hkey_local_machine' AS BLOB)),"
        "(2, 0, CAST('HKEY_USERS' AS BLOB), CAST('hkey_users' AS BLOB))");
    SetMeta("fold", CaseFingerprint());
  } else if (application != kApplicationId) {
    ThrowBadDb(u"the file is a database but not a registry");
  } else if (version > kSchemaVersion) {
    ThrowBadDb(u"the registry was written by a newer version of this program");
  }
  tx.Commit();
}

// Folded names follow this system's case mapping; a file written under another
// mapping (another C library) is folded again so that lookups keep finding its keys.
void RegistryStore::RefoldIfNeeded() {
  const std::string fingerprint = CaseFingerprint();
  TransactionScope tx(*this, true);
  if (Meta("fold") == fingerprint) return;
  RefoldTable("SELECT id, name, folded FROM keys WHERE parent <> 0",
              "UPDATE keys SET folded = ?2 WHERE id = ?1");
  RefoldTable("SELECT seq, name, folded FROM vals", "UPDATE vals SET folded = ?2 WHERE seq = ?1");
  SetMeta("fold", fingerprint);
  tx.Commit();
}

void RegistryStore::RefoldTable(const char* select, const char* update) {
  std::vector<std::pair<int64_t, std::string>> changed;
  {
    Stmt rows = Prepare(select);
    while (rows.Step()) {
      std::string folded = Folded(rows.Name(1));
      if (folded != rows.Blob(2)) changed.emplace_back(rows.Int(0), std::move(folded));
    }
  }
  for (const auto& [id, folded] : changed) Prepare(update).Bind(1, id).Bind(2, folded).Run();
}

std::optional<std::string> RegistryStore::Meta(std::string_view name) {
  Stmt stmt = Prepare("SELECT value FROM meta WHERE name = ?1");
  stmt.BindText(1, name);
  if (!stmt.Step()) return std::nullopt;
  return stmt.Blob(0);
}

void RegistryStore::SetMeta(std::string_view name, std::string_view value) {
  Prepare("INSERT OR REPLACE INTO meta (name, value) VALUES (?1, ?2)")
      .BindText(1, name)
      .BindText(2, value)
      .Run();
}

std::optional<int64_t> RegistryStore::Child(int64_t parent, std::u16string_view name) {
  Stmt stmt = Prepare("SELECT id FROM keys WHERE parent = ?1 AND folded = ?2");
  stmt.Bind(1, parent).Bind(2, Folded(name));
  if (!stmt.Step()) return std::nullopt;
  return stmt.Int(0);
}

std::optional<int64_t> RegistryStore::Find(const Location& where) {
  std::optional<int64_t> key = where.hive;
  for (const auto& part : where.parts) {
    key = Child(*key, part);
    if (!key) break;
  }
  return key;
}

int64_t RegistryStore::Create(const Location& where) {
  int64_t key = where.hive;
  for (const auto& part : where.parts) {
    if (std::optional<int64_t> child = Child(key, part)) {
      key = *child;
      continue;
    }
    Prepare("INSERT INTO keys (parent, name, folded) VALUES (?1, ?2, ?3)")
        .Bind(1, key)
        .Bind(2, Bytes(part))
        .Bind(3, Folded(part))
        .Run();
    key = sqlite3_last_insert_rowid(db_);
  }
  return key;
}

// Values first, then the keys: the subtree is found again by the second statement.
void RegistryStore::DeleteTree(int64_t key) {
  Prepare(
      "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION SELECT k.id FROM keys k JOIN tree t "
      "ON k.parent = t.id) DELETE FROM vals WHERE key IN tree")
      .Bind(1, key)
      .Run();
  Prepare(
      "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION SELECT k.id FROM keys k JOIN tree t "
      "ON k.parent = t.id) DELETE FROM keys WHERE id IN tree")
      .Bind(1, key)
      .Run();
}

std::vector<std::u16string> RegistryStore::Subkeys(int64_t key) {
  std::vector<std::u16string> names;
  Stmt stmt = Prepare("SELECT name FROM keys WHERE parent = ?1");
  stmt.Bind(1, key);
  while (stmt.Step()) names.push_back(stmt.Name(0));
  return names;
}

std::vector<std::u16string> RegistryStore::ValueNames(int64_t key) {
  std::vector<std::u16string> names;
  Stmt stmt = Prepare("SELECT name FROM vals WHERE key = ?1 ORDER BY seq");
  stmt.Bind(1, key);
  while (stmt.Step()) names.push_back(stmt.Name(0));
  return names;
}

std::optional<RegistryValue> RegistryStore::Value(int64_t key, std::u16string_view name) {
  Stmt stmt = Prepare("SELECT type, data FROM vals WHERE key = ?1 AND folded = ?2");
  stmt.Bind(1, key).Bind(2, Folded(name));
  if (!stmt.Step()) return std::nullopt;
  return RegistryValue{static_cast<RegistryType>(static_cast<uint32_t>(stmt.Int(0))), stmt.Blob(1)};
}

// Overwriting keeps the value's first spelling and its place in the list.
void RegistryStore::PutValue(int64_t key, std::u16string_view name, const RegistryValue& value) {
  Prepare(
      "INSERT INTO vals (key, name, folded, type, data) VALUES (?1, ?2, ?3, ?4, ?5) "
      "ON CONFLICT (key, folded) DO UPDATE SET type = excluded.type, data = excluded.data")
      .Bind(1, key)
      .Bind(2, Bytes(name))
      .Bind(3, Folded(name))
      .Bind(4, static_cast<int64_t>(static_cast<uint32_t>(value.type)))
      .Bind(5, value.data)
      .Run();
}

bool RegistryStore::RemoveValue(int64_t key, std::u16string_view name) {
  Prepare("DELETE FROM vals WHERE key = ?1 AND folded = ?2")
      .Bind(1, key)
      .Bind(2, Folded(name))
      .Run();
  return sqlite3_changes(db_) > 0;
}

Status RegistryStore::CheckTree() {
  {
    Stmt check = Prepare("PRAGMA integrity_check(1)");
    if (check.Step() && check.Blob(0) != "ok") {
      return Status::Failure(kBadDb,
                             u"registry store damaged: " + core::Utf8ToUtf16(check.Blob(0)));
    }
  }
  if (Scalar("SELECT count(*) FROM keys WHERE parent = 0") != 2) {
    return Status::Failure(kBadDb, u"registry store damaged: its hives are missing");
  }
  const int64_t lost_keys = Scalar(
      "WITH RECURSIVE reach(id) AS (SELECT id FROM keys WHERE parent = 0 UNION "
      "SELECT k.id FROM keys k JOIN reach r ON k.parent = r.id) "
      "SELECT (SELECT count(*) FROM keys) - (SELECT count(*) FROM reach)");
  const int64_t lost_values =
      Scalar("SELECT count(*) FROM vals WHERE key NOT IN (SELECT id FROM keys)");
  if (lost_keys != 0 || lost_values != 0) {
    return Status::Failure(kBadDb, u"registry store damaged: keys or values without a parent");
  }
  return Status::Ok();
}

namespace {

std::u16string_view RootName(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::kClassesRoot:
      return u"HKEY_CLASSES_ROOT";
    case RegistryRoot::kCurrentUser:
      return u"HKEY_CURRENT_USER";
    case RegistryRoot::kLocalMachine:
      return u"HKEY_LOCAL_MACHINE";
    case RegistryRoot::kUsers:
      return u"HKEY_USERS";
    case RegistryRoot::kCurrentConfig:
      return u"HKEY_CURRENT_CONFIG";
  }
  return {};
}

// What the Windows API sees of a name: its null-terminated strings end at the first NUL.
std::u16string_view UpToNul(std::u16string_view text) {
  return text.substr(0, text.find(u'\0'));
}

// Empty components ("a\\b", a trailing backslash) are skipped as Windows skips them.
Result<Parts> SplitKeyPath(std::u16string_view key) {
  key = UpToNul(key);
  if (!key.empty() && key.front() == u'\\') {
    return Status::Failure(error::kBadPathname, u"registry key path starts with a backslash");
  }
  Parts parts;
  size_t start = 0;
  while (start < key.size()) {
    size_t end = key.find(u'\\', start);
    if (end == std::u16string_view::npos) end = key.size();
    if (end - start > kMaxKeyNameLength) {
      return Status::Failure(error::kInvalidParameter, u"registry key name longer than 255");
    }
    if (end > start) parts.emplace_back(key.substr(start, end - start));
    start = end + 1;
  }
  if (parts.size() > kMaxKeyDepth) {
    return Status::Failure(error::kInvalidParameter, u"registry key deeper than 512 levels");
  }
  return parts;
}

Parts Prefixed(std::initializer_list<std::u16string_view> base, const Parts& rest) {
  Parts parts(base.begin(), base.end());
  parts.insert(parts.end(), rest.begin(), rest.end());
  return parts;
}

// True when parts[from...] starts with the components of `path`.
bool HasPrefix(const Parts& parts, size_t from, std::u16string_view path) {
  size_t at = from;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(u'\\', start);
    if (end == std::u16string_view::npos) end = path.size();
    if (at >= parts.size() || !Is(parts[at], path.substr(start, end - start))) return false;
    ++at;
    start = end + 1;
  }
  return true;
}

// Inserts WOW6432Node below a class key when the subkey after it keeps a 32-bit copy.
void RedirectClasses(Parts& parts, size_t at) {
  if (parts.size() <= at) return;
  for (std::u16string_view name : kRedirectedClassKeys) {
    if (Is(parts[at], name)) {
      parts.insert(parts.begin() + at, std::u16string(kWow64Node));
      return;
    }
  }
}

// Where a key of the 32-bit view is stored on 64-bit Windows.
void Redirect32(Location& where) {
  Parts& parts = where.parts;
  if (where.hive == kUsersHive) {
    if (parts.size() > 3 && Is(parts[1], u"Software") && Is(parts[2], u"Classes")) {
      RedirectClasses(parts, 3);
    }
    return;
  }
  if (parts.empty() || !Is(parts[0], u"SOFTWARE")) return;
  if (parts.size() > 1 && Is(parts[1], u"Classes")) return RedirectClasses(parts, 2);
  if (parts.size() > 1 && Is(parts[1], kWow64Node)) return;
  for (std::u16string_view shared : kSharedSoftwareKeys) {
    if (HasPrefix(parts, 1, shared)) return;
  }
  parts.insert(parts.begin() + 1, std::u16string(kWow64Node));
}

bool Uses32BitView(const RegistryFacts& facts, RegistryView view) {
  if (!facts.is_64bit_windows) return false;
  return view == RegistryView::kView32 || (view == RegistryView::kDefault && facts.wow64_process);
}

// The stored keys a call addresses, the one that wins first.
struct Address {
  std::vector<Location> candidates;
  std::u16string display;  // for messages
};

Result<Address> Resolve(const RegistryFacts& facts, RegistryRoot root, std::u16string_view key,
                        RegistryView view) {
  Result<Parts> parts = SplitKeyPath(key);
  if (!parts) return parts.status();
  Address address;
  address.display = std::u16string(RootName(root)) + u"\\" + std::u16string(UpToNul(key));
  auto& out = address.candidates;
  const std::u16string_view sid = facts.user_sid;
  switch (root) {
    case RegistryRoot::kLocalMachine:
      out.push_back({kMachineHive, *parts});
      break;
    case RegistryRoot::kUsers:
      out.push_back({kUsersHive, *parts});
      break;
    case RegistryRoot::kCurrentUser:
      out.push_back({kUsersHive, Prefixed({sid}, *parts)});
      break;
    case RegistryRoot::kCurrentConfig:
      out.push_back(
          {kMachineHive,
           Prefixed({u"SYSTEM", u"CurrentControlSet", u"Hardware Profiles", u"Current"}, *parts)});
      break;
    case RegistryRoot::kClassesRoot:
      // The user's classes win over the machine's; new keys go to the machine's.
      out.push_back({kUsersHive, Prefixed({sid, u"Software", u"Classes"}, *parts)});
      out.push_back({kMachineHive, Prefixed({u"SOFTWARE", u"Classes"}, *parts)});
      break;
    default:
      return Status::Failure(kInvalidHandle, u"unknown registry root");
  }
  if (Uses32BitView(facts, view)) {
    for (Location& where : out) Redirect32(where);
  }
  return address;
}

Status CheckWritable(const RegistryFacts& facts, bool setting_up, const Location& where,
                     const std::u16string& display) {
  if (facts.machine_writable || setting_up) return Status::Ok();
  if (where.hive == kUsersHive && !where.parts.empty() && Is(where.parts[0], facts.user_sid)) {
    return Status::Ok();
  }
  return Status::Failure(error::kAccessDenied, u"access denied: " + display);
}

Status KeyNotFound(const Address& address) {
  return Status::Failure(error::kFileNotFound, u"registry key not found: " + address.display);
}

Status ValueNotFound(const Address& address, std::u16string_view name) {
  return Status::Failure(error::kFileNotFound, u"registry value not found: " + address.display +
                                                   u" " + std::u16string(name));
}

Result<std::u16string> ValueName(std::u16string_view name) {
  name = UpToNul(name);
  if (name.size() > kMaxValueNameLength) {
    return Status::Failure(error::kInvalidParameter, u"registry value name longer than 16383");
  }
  return std::u16string(name);
}

struct Found {
  const Location* where;
  int64_t key;
};

std::optional<Found> FindFirst(RegistryStore& store, const Address& address) {
  for (const Location& where : address.candidates) {
    if (std::optional<int64_t> key = store.Find(where)) return Found{&where, *key};
  }
  return std::nullopt;
}

// The existing key that a change addresses, when the caller may change it.
Result<int64_t> FindChangeableKey(RegistryStore& store, const RegistryFacts& facts, bool setting_up,
                                  const Address& address) {
  std::optional<Found> found = FindFirst(store, address);
  if (!found) return KeyNotFound(address);
  if (Status allowed = CheckWritable(facts, setting_up, *found->where, address.display); !allowed) {
    return allowed;
  }
  return found->key;
}

}  // namespace

SandboxRegistry::SandboxRegistry(std::unique_ptr<RegistryStore> store, RegistryFacts facts)
    : store_(std::move(store)), facts_(std::move(facts)) {}

SandboxRegistry::~SandboxRegistry() = default;

Result<std::unique_ptr<SandboxRegistry>> SandboxRegistry::Open(const std::filesystem::path& db_file,
                                                               const RegistryFacts& facts) {
  const std::u16string context = u"cannot open the registry " + core::Utf8ToUtf16(db_file.string());
  Result<Parts> sid = SplitKeyPath(facts.user_sid);
  if (!sid || sid->size() != 1) {
    return Status::Failure(error::kInvalidParameter, context + u": bad user SID");
  }
  sqlite3* db = nullptr;
  const int rc =
      sqlite3_open_v2(db_file.string().c_str(), &db,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  auto store = std::make_unique<RegistryStore>(db);  // closes `db` even when the open failed
  try {
    if (rc != SQLITE_OK) ThrowSql(db, rc, "open");
    store->Configure();
    store->PrepareSchema();
    store->QuickCheck();
    store->UseWriteAheadLog();
    store->RefoldIfNeeded();
    // The roots that are aliases always exist, as on Windows.
    TransactionScope tx(*store, true);
    store->Create({kUsersHive, {facts.user_sid}});
    store->Create({kMachineHive, {u"SOFTWARE", u"Classes"}});
    store->Create(
        {kMachineHive, {u"SYSTEM", u"CurrentControlSet", u"Hardware Profiles", u"Current"}});
    tx.Commit();
  } catch (const SqlError& failure) {
    return Status::Failure(failure.status.code(), context + u": " + failure.status.message());
  }
  return std::unique_ptr<SandboxRegistry>(new SandboxRegistry(std::move(store), facts));
}

template <typename Body>
auto SandboxRegistry::Locked(bool write, Body&& body) -> decltype(body()) {
  std::lock_guard lock(mutex_);
  try {
    TransactionScope tx(*store_, write);
    auto result = body();
    if (result.ok()) tx.Commit();
    return result;
  } catch (const SqlError& failure) {
    return failure.status;
  }
}

Status SandboxRegistry::CreateKey(RegistryRoot root, std::u16string_view key, RegistryView view) {
  Result<Address> address = Resolve(facts_, root, key, view);
  if (!address) return address.status();
  return Locked(true, [&]() -> Status {
    // Opening an existing key needs no write access, as on Windows.
    if (FindFirst(*store_, *address)) return Status::Ok();
    const Location& target = address->candidates.back();
    if (Status allowed = CheckWritable(facts_, setting_up_, target, address->display); !allowed) {
      return allowed;
    }
    store_->Create(target);
    return Status::Ok();
  });
}

bool SandboxRegistry::KeyExists(RegistryRoot root, std::u16string_view key, RegistryView view) {
  Result<Address> address = Resolve(facts_, root, key, view);
  if (!address) return false;
  Result<bool> exists =
      Locked(false, [&]() -> Result<bool> { return FindFirst(*store_, *address).has_value(); });
  return exists.value_or(false);
}

Status SandboxRegistry::DeleteKey(RegistryRoot root, std::u16string_view key, RegistryView view) {
  // Deleting a root would empty a whole hive; both backends refuse it alike.
  if (UpToNul(key).find_first_not_of(u'\\') == std::u16string_view::npos) {
    return Status::Failure(error::kInvalidParameter, u"a registry root cannot be deleted");
  }
  Result<Address> address = Resolve(facts_, root, key, view);
  if (!address) return address.status();
  return Locked(true, [&]() -> Status {
    Result<int64_t> target = FindChangeableKey(*store_, facts_, setting_up_, *address);
    if (!target) return target.status();
    store_->DeleteTree(*target);
    return Status::Ok();
  });
}

Result<RegistryValue> SandboxRegistry::ReadValue(RegistryRoot root, std::u16string_view key,
                                                 std::u16string_view name, RegistryView view) {
  Result<Address> address = Resolve(facts_, root, key, view);
  if (!address) return address.status();
  return Locked(false, [&]() -> Result<RegistryValue> {
    std::optional<Found> found = FindFirst(*store_, *address);
    if (!found) return KeyNotFound(*address);
    Result<std::u16string> value_name = ValueName(name);
    if (!value_name) return value_name.status();
    std::optional<RegistryValue> value = store_->Value(found->key, *value_name);
    if (!value) return ValueNotFound(*address, *value_name);
    return *std::move(value);
  });
}

Status SandboxRegistry::WriteValue(RegistryRoot root, std::u16string_view key,
                                   std::u16string_view name, const RegistryValue& value,
                                   RegistryView view) {
  Result<Address> address = Resolve(facts_, root, key, view);
  if (!address) return address.status();
  return Locked(true, [&]() -> Status {
    Result<int64_t> target = FindChangeableKey(*store_, facts_, setting_up_, *address);
    if (!target) return target.status();
    Result<std::u16string> value_name = ValueName(name);
    if (!value_name) return value_name.status();
    store_->PutValue(*target, *value_name, value);
    return Status::Ok();
  });
}

Status SandboxRegistry::DeleteValue(RegistryRoot root, std::u16string_view key,
                                    std::u16string_view name, RegistryView view) {
  Result<Address> address = Resolve(facts_, root, key, view);
  if (!address) return address.status();
  return Locked(true, [&]() -> Status {
    Result<int64_t> target = FindChangeableKey(*store_, facts_, setting_up_, *address);
    if (!target) return target.status();
    Result<std::u16string> value_name = ValueName(name);
    if (!value_name) return value_name.status();
    if (!store_->RemoveValue(*target, *value_name)) return ValueNotFound(*address, *value_name);
    return Status::Ok();
  });
}

// For the merged HKEY_CLASSES_ROOT the subkeys of both sides are listed once each.
Result<std::vector<std::u16string>> SandboxRegistry::EnumerateKeys(RegistryRoot root,
                                                                   std::u16string_view key,
                                                                   RegistryView view) {
  Result<Address> address = Resolve(facts_, root, key, view);
  if (!address) return address.status();
  return Locked(false, [&]() -> Result<std::vector<std::u16string>> {
    std::vector<std::u16string> names;
    std::unordered_set<std::u16string> seen;  // folded
    bool any = false;
    for (const Location& where : address->candidates) {
      std::optional<int64_t> id = store_->Find(where);
      if (!id) continue;
      any = true;
      for (auto& name : store_->Subkeys(*id)) {
        if (seen.insert(core::Lower(name)).second) names.push_back(std::move(name));
      }
    }
    if (!any) return KeyNotFound(*address);
    SortAsWindows(names);
    return names;
  });
}

Result<std::vector<std::u16string>> SandboxRegistry::EnumerateValues(RegistryRoot root,
                                                                     std::u16string_view key,
                                                                     RegistryView view) {
  Result<Address> address = Resolve(facts_, root, key, view);
  if (!address) return address.status();
  return Locked(false, [&]() -> Result<std::vector<std::u16string>> {
    std::optional<Found> found = FindFirst(*store_, *address);
    if (!found) return KeyNotFound(*address);
    return store_->ValueNames(found->key);
  });
}

Status SandboxRegistry::Transaction(const std::function<Status()>& body) {
  return Locked(true, body);
}

Status SandboxRegistry::RunOnce(std::u16string_view marker, const std::function<Status()>& body) {
  const std::string name = "once:" + core::Utf16ToUtf8(marker);
  return Locked(true, [&]() -> Status {
    if (store_->Meta(name)) return Status::Ok();
    struct Reset {
      bool& flag;
      ~Reset() { flag = false; }
    } reset{setting_up_};
    setting_up_ = true;
    Status status = body();
    if (status) store_->SetMeta(name, "done");
    return status;
  });
}

Status SandboxRegistry::VerifyIntegrity() {
  return Locked(false, [&] { return store_->CheckTree(); });
}

}  // namespace velkor::platform::sandbox
