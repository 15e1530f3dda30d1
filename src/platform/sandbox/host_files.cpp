#include "platform/sandbox/host_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/text.h"

namespace velkor::platform::sandbox {
namespace {

constexpr int kCreateFlags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW;

uint32_t WindowsCodeOf(int error_number) {
  switch (error_number) {
    case ENOENT:
      return error::kFileNotFound;
    case ENOTDIR:
      return error::kPathNotFound;
    case EEXIST:
      return error::kAlreadyExists;
    case ENOTEMPTY:
      return error::kDirNotEmpty;
    case ENOSPC:
    case EDQUOT:
      return error::kDiskFull;
    case EXDEV:
      return error::kNotSameDevice;
    case ENAMETOOLONG:
      return error::kInvalidName;
    case EBUSY:
    case ETXTBSY:
      return error::kSharingViolation;
    default:  // EACCES, EPERM, EROFS, EISDIR, ELOOP and the rest
      return error::kAccessDenied;
  }
}

// Closes the descriptor on every path out of a function.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes now, reporting a failed close (a late write error on some file systems).
  int Close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

std::u16string PathText(const std::filesystem::path& path) {
  return core::Utf8ToUtf16(path.string());
}

Status WriteAll(int fd, std::string_view bytes, const std::filesystem::path& file) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return HostFailure(errno, PathText(file));
    }
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return Status::Ok();
}

// A staging file that is removed unless it was renamed into place.
class StagedFile {
 public:
  explicit StagedFile(const std::filesystem::path& staging)
      : name_((staging / "staged-XXXXXX").string()), fd_(::mkostemp(name_.data(), O_CLOEXEC)) {
    // mkostemp makes the file private; machine files are as readable as any other.
    if (fd_.valid()) ::fchmod(fd_.get(), 0644);
  }
  ~StagedFile() {
    if (!committed_ && fd_.valid()) ::unlink(name_.c_str());
  }
  bool valid() const { return fd_.valid(); }
  int fd() const { return fd_.get(); }

  // Flushes to disk, then renames over `target`.
  Status Commit(const std::filesystem::path& target) {
    if (::fsync(fd_.get()) != 0 || fd_.Close() != 0) return HostFailure(errno, PathText(target));
    if (::rename(name_.c_str(), target.c_str()) != 0) return HostFailure(errno, PathText(target));
    committed_ = true;
    return Status::Ok();
  }

 private:
  std::string name_;
  Descriptor fd_;
  bool committed_ = false;
};

Status CopyContent(int from, int to, const std::filesystem::path& source) {
  char buffer[1 << 16];
  for (;;) {
    const ssize_t got = ::read(from, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return HostFailure(errno, PathText(source));
    if (got == 0) return Status::Ok();
    if (Status s = WriteAll(to, std::string_view(buffer, static_cast<size_t>(got)), source); !s) {
      return s;
    }
  }
}

}  // namespace

Status HostFailure(int error_number, std::u16string_view what) {
  return Status::Failure(
      WindowsCodeOf(error_number),
      std::u16string(what) + u": " + core::Utf8ToUtf16(std::strerror(error_number)));
}

Result<std::string> ReadHostFile(const std::filesystem::path& file) {
  Descriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  if (!fd.valid()) return HostFailure(errno, PathText(file));
  std::string content;
  char buffer[1 << 16];
  for (;;) {
    const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return HostFailure(errno, PathText(file));
    if (got == 0) return content;
    content.append(buffer, static_cast<size_t>(got));
  }
}

Status WriteHostFileAtomically(const std::filesystem::path& staging,
                               const std::filesystem::path& target, std::string_view bytes) {
  StagedFile staged(staging);
  if (!staged.valid()) return HostFailure(errno, PathText(staging));
  if (Status s = WriteAll(staged.fd(), bytes, target); !s) return s;
  return staged.Commit(target);
}

Status CopyHostFileAtomically(const std::filesystem::path& staging,
                              const std::filesystem::path& source,
                              const std::filesystem::path& target) {
  Descriptor from(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  if (!from.valid()) return HostFailure(errno, PathText(source));
  struct stat info {};
  if (::fstat(from.get(), &info) != 0) return HostFailure(errno, PathText(source));
  StagedFile staged(staging);
  if (!staged.valid()) return HostFailure(errno, PathText(staging));
  if (Status s = CopyContent(from.get(), staged.fd(), source); !s) return s;
  const struct timespec times[2] = {info.st_atim, info.st_mtim};
  if (::futimens(staged.fd(), times) != 0) return HostFailure(errno, PathText(target));
  return staged.Commit(target);
}

Status AppendHostFile(const std::filesystem::path& file, std::string_view bytes) {
  Descriptor fd(::open(file.c_str(), kCreateFlags | O_APPEND, 0644));
  if (!fd.valid()) return HostFailure(errno, PathText(file));
  if (Status s = WriteAll(fd.get(), bytes, file); !s) return s;
  if (fd.Close() != 0) return HostFailure(errno, PathText(file));
  return Status::Ok();
}

Status CreateHostFileExclusive(const std::filesystem::path& file) {
  Descriptor fd(::open(file.c_str(), kCreateFlags | O_EXCL, 0644));
  if (!fd.valid()) {
    const int error_number = errno;
    Status failure = HostFailure(error_number, PathText(file));
    if (error_number == EEXIST) return Status::Failure(error::kFileExists, failure.message());
    return failure;
  }
  return Status::Ok();
}

uint64_t FileTimeOf(int64_t seconds, int64_t nanoseconds) {
  constexpr int64_t kSecondsFrom1601To1970 = 11644473600;
  const int64_t since_1601 = seconds + kSecondsFrom1601To1970;
  if (since_1601 < 0) return 0;
  return static_cast<uint64_t>(since_1601) * 10000000u + static_cast<uint64_t>(nanoseconds / 100);
}

}  // namespace velkor::platform::sandbox
