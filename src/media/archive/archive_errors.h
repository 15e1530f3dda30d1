// The archive library's error codes (ArchiveLibrary::LastError). The engine shows them as
// "#" followed by the number. 1018 is the one code the engine acts on: out of memory, it
// retries with less. The others say what went wrong, mapped from 7-Zip's exit code and
// its messages.
#pragma once

#include <cstdint>

namespace velkor::media::archive::error_code {

inline constexpr uint32_t kNone = 0;
// 7-Zip ended with an exit code it does not document (killed by a signal, crashed).
inline constexpr uint32_t kToolFailed = 1000;
inline constexpr uint32_t kArchiveNotFound = 1001;
// Not an archive, a format 7-Zip cannot read, or encrypted names with another password.
inline constexpr uint32_t kCannotOpen = 1002;
// Encrypted data that the password does not decrypt.
inline constexpr uint32_t kWrongPassword = 1003;
// Damaged or truncated data: CRC or data errors, broken headers.
inline constexpr uint32_t kDataError = 1004;
// An item would be written outside the destination folder (or is a link); nothing was
// extracted.
inline constexpr uint32_t kUnsafeItemPath = 1005;
// 7-Zip refused its command line (exit code 7) or a value in it (a switch text it cannot
// use), or the archive or update code is unknown.
inline constexpr uint32_t kBadArguments = 1006;
// 7-Zip's fatal error (exit code 2) not explained by the cases above: files that cannot
// be written, a full disk, a missing folder.
inline constexpr uint32_t kFatal = 1007;
// 7-Zip's warning (exit code 1): some files could not be read, so the result is
// incomplete.
inline constexpr uint32_t kWarnings = 1008;
// The second engine process for an extraction could not be started.
inline constexpr uint32_t kOutOfProcessNotStarted = 1016;
// 7-Zip itself could not be started (missing program, no pipes, a path it cannot take).
inline constexpr uint32_t kToolNotStarted = 1017;
// 7-Zip ran out of memory (exit code 8).
inline constexpr uint32_t kOutOfMemory = 1018;
// The progress callback stopped the operation (7-Zip's exit code 255 is the same).
inline constexpr uint32_t kStopped = 1223;

}  // namespace velkor::media::archive::error_code
