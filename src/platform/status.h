// The result of a platform call: success, or the Windows error code and a message.
// Both backends report failures with Windows error codes, so callers decide the same
// way on either.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace velkor::platform {

// The Windows error codes the backends report.
namespace error {
inline constexpr uint32_t kSuccess = 0;
inline constexpr uint32_t kFileNotFound = 2;
inline constexpr uint32_t kPathNotFound = 3;
inline constexpr uint32_t kAccessDenied = 5;
inline constexpr uint32_t kInvalidData = 13;
inline constexpr uint32_t kNotSameDevice = 17;
inline constexpr uint32_t kSharingViolation = 32;
inline constexpr uint32_t kHandleEof = 38;
inline constexpr uint32_t kNotSupported = 50;
inline constexpr uint32_t kFileExists = 80;
inline constexpr uint32_t kInvalidParameter = 87;
inline constexpr uint32_t kDiskFull = 112;
inline constexpr uint32_t kInvalidName = 123;
inline constexpr uint32_t kDirNotEmpty = 145;
inline constexpr uint32_t kAlreadyExists = 183;
inline constexpr uint32_t kMoreData = 234;
inline constexpr uint32_t kNoMoreItems = 259;
inline constexpr uint32_t kCancelled = 1223;
inline constexpr uint32_t kBadPathname = 161;
inline constexpr uint32_t kDirectory = 267;  // ERROR_DIRECTORY: not a folder
}  // namespace error

class Status {
 public:
  Status() = default;
  static Status Ok() { return Status(); }
  static Status Failure(uint32_t code, std::u16string message) {
    Status s;
    s.code_ = code == 0 ? error::kInvalidParameter : code;
    s.message_ = std::move(message);
    return s;
  }

  bool ok() const { return code_ == 0; }
  explicit operator bool() const { return ok(); }
  uint32_t code() const { return code_; }
  const std::u16string& message() const { return message_; }

 private:
  uint32_t code_ = 0;
  std::u16string message_;
};

// A value or the Status of the failure that prevented it.
template <typename T>
class Result {
 public:
  Result(T value) : value_(std::move(value)) {}            // NOLINT: implicit by design
  Result(Status failure) : status_(std::move(failure)) {}  // NOLINT: implicit by design

  bool ok() const { return value_.has_value(); }
  explicit operator bool() const { return ok(); }
  const Status& status() const { return status_; }
  uint32_t code() const { return status_.code(); }

  T& value() & { return *value_; }
  const T& value() const& { return *value_; }
  T&& value() && { return std::move(*value_); }
  T& operator*() & { return *value_; }
  const T& operator*() const& { return *value_; }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }
  T value_or(T fallback) const { return value_ ? *value_ : std::move(fallback); }

 private:
  Status status_;
  std::optional<T> value_;
};

}  // namespace velkor::platform
