// The Windows attributes of a machine's files and folders (read-only, hidden, system,
// archive, ...), which a host file system cannot hold. They live in a side store,
// <machine>/attributes.db (SQLite, so a crash leaves it whole and several processes may
// share it), keyed by the entry's path below the machine folder. An entry without a
// record has the attributes of a freshly created one; the file system decides what
// that means. The store does not check the host: callers keep it in step with the
// entries they create, move and delete. Any thread may call.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/status.h"

struct sqlite3;

namespace velkor::platform::sandbox {

class AttributeStore {
 public:
  static Result<std::unique_ptr<AttributeStore>> Open(const std::filesystem::path& db_file);
  ~AttributeStore();
  AttributeStore(const AttributeStore&) = delete;
  AttributeStore& operator=(const AttributeStore&) = delete;

  // The stored bits of `key`, or nullopt when it has no record.
  std::optional<uint32_t> Find(const std::string& key);
  Status Put(const std::string& key, uint32_t bits);
  // Removes the records of `key` and of everything below it.
  Status Erase(const std::string& key);
  // Moves the records of `from` and of everything below it to `to`, replacing any
  // records there.
  Status Move(const std::string& from, const std::string& to);

 private:
  explicit AttributeStore(sqlite3* db) : db_(db) {}
  Status Execute(const char* sql);

  std::mutex mutex_;
  sqlite3* db_;
};

}  // namespace velkor::platform::sandbox
