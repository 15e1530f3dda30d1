// What loading a setup script gives: the tables, or why there are none.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "script/script_tables.h"

namespace velkor::script {

enum class LoadFailure {
  kNone,
  kNoScript,   // the engine file ends where its executable image ends
  kBadImage,   // the engine file's image headers cannot be read (damaged or cut short)
  kMalformed,  // the script data ends before a section's "$" line
  kFileError,  // the engine file could not be read, or the temporary copy not written
};

class ScriptLoadResult {
 public:
  static ScriptLoadResult Success(ScriptTables tables) {
    ScriptLoadResult result;
    result.tables_.emplace(std::move(tables));
    return result;
  }
  static ScriptLoadResult Failure(LoadFailure failure, std::u16string message) {
    ScriptLoadResult result;
    result.failure_ = failure;
    result.message_ = std::move(message);
    return result;
  }

  bool ok() const { return tables_.has_value(); }
  LoadFailure failure() const { return failure_; }
  // Says what failed, for the start-up's error message; empty on success.
  const std::u16string& message() const { return message_; }
  // Only on success.
  ScriptTables& tables() { return *tables_; }
  ScriptTables TakeTables() { return std::move(*tables_); }

 private:
  ScriptLoadResult() = default;

  std::optional<ScriptTables> tables_;
  LoadFailure failure_ = LoadFailure::kNone;
  std::u16string message_;
};

// The exit code the start-up sequence ends with after a failed load: 13 ("For internal
// use only") when the engine file carries no script; every other failure is an error
// raised while loading, reported as "Runtime error in install: " with the message and
// exit code 11.
inline uint32_t StartupExitCode(LoadFailure failure) {
  return failure == LoadFailure::kNoScript ? 13 : 11;
}

}  // namespace velkor::script
