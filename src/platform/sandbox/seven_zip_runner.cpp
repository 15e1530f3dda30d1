#include "platform/sandbox/seven_zip_runner.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "core/text.h"
#include "platform/sandbox/windows_path.h"

namespace velkor::platform::sandbox {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr auto kStopGrace = std::chrono::seconds(3);

std::u16string HostText(const fs::path& path) {
  return core::Utf8ToUtf16(path.string());
}

bool IsFullWindowsPath(std::u16string_view path) {
  const bool drive = path.size() >= 3 && path[1] == u':' && (path[2] == u'\\' || path[2] == u'/');
  const bool unc = path.size() >= 2 && (path[0] == u'\\' || path[0] == u'/') &&
                   (path[1] == u'\\' || path[1] == u'/');
  return drive || unc;
}

std::u16string ForwardSlashes(std::u16string name) {
  for (auto& c : name) {
    if (c == u'\\') c = u'/';
  }
  return name;
}

class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
      Close();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  ~FileDescriptor() { Close(); }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

// A list file in the work folder, readable only by this user, removed when done.
class ListFile {
 public:
  ListFile() = default;
  ListFile(const ListFile&) = delete;
  ListFile& operator=(const ListFile&) = delete;
  ~ListFile() {
    if (!path_.empty()) ::unlink(path_.c_str());
  }

  Status Write(const fs::path& folder, const std::string& content) {
    std::string pattern = (folder / ".7zlist-XXXXXX").string();
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) {
      return Status::Failure(error::kAccessDenied,
                             u"Cannot create a 7-Zip list file in " + HostText(folder));
    }
    path_ = pattern;
    FileDescriptor file(fd);
    size_t written = 0;
    while (written < content.size()) {
      const ssize_t n = ::write(file.get(), content.data() + written, content.size() - written);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return Status::Failure(error::kDiskFull, u"Cannot write a 7-Zip list file");
      written += static_cast<size_t>(n);
    }
    return Status::Ok();
  }

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The child process until it has been waited for; a run that ends early (an exception in
// the progress callback) must not leave the tool running.
class Child {
 public:
  Child() = default;
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      Wait();
    }
  }

  void set(pid_t pid) { pid_ = pid; }
  pid_t pid() const { return pid_; }
  void Signal(int signal) const {
    if (pid_ > 0) ::kill(pid_, signal);
  }

  // True once the child has ended (its status is then in `status`).
  bool TryWait() {
    if (pid_ <= 0) return true;
    const pid_t r = ::waitpid(pid_, &status_, WNOHANG);
    if (r == pid_ || (r < 0 && errno != EINTR)) pid_ = -1;
    return pid_ <= 0;
  }
  void Wait() {
    while (pid_ > 0) {
      const pid_t r = ::waitpid(pid_, &status_, 0);
      if (r == pid_ || (r < 0 && errno != EINTR)) pid_ = -1;
    }
  }
  int ExitCode() const {
    if (WIFEXITED(status_)) return WEXITSTATUS(status_);
    if (WIFSIGNALED(status_)) return 128 + WTERMSIG(status_);
    return -1;
  }

 private:
  pid_t pid_ = -1;
  int status_ = 0;
};

struct Pipes {
  FileDescriptor input_parent, input_child;  // a socket pair: sends never raise SIGPIPE
  FileDescriptor output_parent, output_child;
  FileDescriptor progress_parent, progress_child;
};

Status MakePipes(Pipes& pipes) {
  int input[2], output[2], progress[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, input) != 0) {
    return Status::Failure(error::kAccessDenied, u"Cannot create the 7-Zip input channel");
  }
  pipes.input_parent = FileDescriptor(input[0]);
  pipes.input_child = FileDescriptor(input[1]);
  if (::pipe2(output, O_CLOEXEC) != 0) {
    return Status::Failure(error::kAccessDenied, u"Cannot create the 7-Zip output pipe");
  }
  pipes.output_parent = FileDescriptor(output[0]);
  pipes.output_child = FileDescriptor(output[1]);
  if (::pipe2(progress, O_CLOEXEC) != 0) {
    return Status::Failure(error::kAccessDenied, u"Cannot create the 7-Zip progress pipe");
  }
  pipes.progress_parent = FileDescriptor(progress[0]);
  pipes.progress_child = FileDescriptor(progress[1]);
  return Status::Ok();
}

Status Spawn(const fs::path& program, const std::vector<std::u16string>& arguments, Pipes& pipes,
             Child& child) {
  std::vector<std::string> storage;
  storage.push_back(program.string());
  for (const auto& argument : arguments) storage.push_back(core::Utf16ToUtf8(argument));
  std::vector<char*> argv;
  for (auto& text : storage) argv.push_back(text.data());
  argv.push_back(nullptr);
  // Nothing of the engine's environment is passed on.
  char locale[] = "LC_ALL=C.UTF-8";
  char zone[] = "TZ=UTC0";
  char* envp[] = {locale, zone, nullptr};

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipes.input_child.get(), 0);
  posix_spawn_file_actions_adddup2(&actions, pipes.output_child.get(), 1);
  posix_spawn_file_actions_adddup2(&actions, pipes.progress_child.get(), 2);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults, none;
  sigemptyset(&none);
  sigemptyset(&defaults);
  for (int signal : {SIGINT, SIGTERM, SIGPIPE, SIGHUP, SIGQUIT}) sigaddset(&defaults, signal);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setsigmask(&attributes, &none);
  // A group of its own: a terminal's Ctrl+C reaches the engine, which decides.
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETPGROUP);

  pid_t pid = -1;
  const int result =
      ::posix_spawn(&pid, storage.front().c_str(), &actions, &attributes, argv.data(), envp);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (result != 0) {
    return Status::Failure(result == ENOENT ? error::kFileNotFound : error::kAccessDenied,
                           u"Cannot start 7-Zip (" + HostText(program) + u"): " +
                               core::Utf8ToUtf16(std::strerror(result)));
  }
  child.set(pid);
  pipes.input_child.Close();
  pipes.output_child.Close();
  pipes.progress_child.Close();
  return Status::Ok();
}

// Drains both streams, feeds the password, reports progress and stops the tool when the
// callback asks; returns whether it was stopped.
bool Supervise(Pipes& pipes, Child& child, const std::string& input, SevenZipStreams& streams,
               const SevenZipProgressFn& progress) {
  size_t input_sent = 0;
  bool stopping = false;
  Clock::time_point deadline;
  char buffer[65536];

  while (pipes.output_parent.valid() || pipes.progress_parent.valid()) {
    if (pipes.input_parent.valid() && input_sent == input.size()) {
      ::shutdown(pipes.input_parent.get(), SHUT_WR);
      pipes.input_parent.Close();
    }
    pollfd fds[3] = {{pipes.input_parent.get(), POLLOUT, 0},
                     {pipes.output_parent.get(), POLLIN, 0},
                     {pipes.progress_parent.get(), POLLIN, 0}};
    int timeout = -1;
    if (stopping) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      if (left.count() <= 0) {
        child.Signal(SIGKILL);
        timeout = 100;
      } else {
        timeout = static_cast<int>(left.count());
      }
    }
    const int ready = ::poll(fds, 3, timeout);
    if (ready < 0 && errno != EINTR) break;
    if (ready <= 0) continue;

    if (fds[0].revents != 0) {
      const ssize_t n = ::send(pipes.input_parent.get(), input.data() + input_sent,
                               input.size() - input_sent, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n > 0) {
        input_sent += static_cast<size_t>(n);
      } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
        pipes.input_parent.Close();  // the tool closed its input or ended
      }
    }
    for (int i : {1, 2}) {
      if (fds[i].revents == 0) continue;
      FileDescriptor& stream = i == 1 ? pipes.output_parent : pipes.progress_parent;
      const ssize_t n = ::read(stream.get(), buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        stream.Close();
        continue;
      }
      const std::string_view bytes(buffer, static_cast<size_t>(n));
      if (i == 1) {
        streams.AddOutput(bytes);
      } else if (streams.AddProgress(bytes) && !stopping && progress &&
                 !progress(streams.Progress())) {
        child.Signal(SIGINT);
        stopping = true;
        deadline = Clock::now() + kStopGrace;
      }
    }
  }
  if (stopping) {
    while (!child.TryWait()) {
      if (Clock::now() >= deadline) child.Signal(SIGKILL);
      ::usleep(20000);
    }
  }
  return stopping;
}

bool Exists(const fs::path& path) {
  std::error_code error;
  return fs::symlink_status(path, error).type() != fs::file_type::not_found && !error;
}

}  // namespace

SandboxSevenZip::SandboxSevenZip(HostPathFn host_path, fs::path program)
    : host_path_(std::move(host_path)), program_(std::move(program)) {}

Result<SevenZipOutcome> SandboxSevenZip::Run(const SevenZipCommand& command,
                                             const SevenZipProgressFn& progress) {
  auto archive = host_path_(command.archive);
  if (!archive) return archive.status();
  SevenZipToolPaths paths;
  paths.archive = HostText(*archive);
  if (command.verb == SevenZipVerb::kExtract) {
    auto output = host_path_(command.output_folder);
    if (!output) return output.status();
    paths.output_folder = HostText(*output);
  }

  // Files to add are machine paths; a wildcard in the last component stays a wildcard.
  auto host_file_spec = [&](std::u16string spec) -> Result<std::u16string> {
    while (spec.size() > 3 && (spec.back() == u'\\' || spec.back() == u'/')) spec.pop_back();
    const size_t slash = spec.find_last_of(u"\\/");
    if (slash != std::u16string::npos && HasWildcard(spec.substr(slash + 1))) {
      auto folder = host_path_(spec.substr(0, slash + 1));
      if (!folder) return folder.status();
      return HostText(*folder / fs::path(core::Utf16ToUtf8(spec.substr(slash + 1))));
    }
    auto mapped = host_path_(spec);
    if (!mapped) return mapped.status();
    return HostText(*mapped);
  };
  std::vector<std::u16string> items, excludes;
  for (const auto& item : command.items) {
    if (command.verb == SevenZipVerb::kAdd) {
      auto mapped = host_file_spec(item);
      if (!mapped) return mapped.status();
      items.push_back(std::move(*mapped));
    } else {
      items.push_back(ForwardSlashes(item));
    }
  }
  for (const auto& exclude : command.excludes) {
    if (IsFullWindowsPath(exclude)) {
      auto mapped = host_file_spec(exclude);
      if (!mapped) return mapped.status();
      excludes.push_back(std::move(*mapped));
    } else {
      excludes.push_back(ForwardSlashes(exclude));
    }
  }

  fs::path work_folder;
  if (command.work_folder.empty()) {
    std::error_code error;
    work_folder = fs::temp_directory_path(error);
    if (error) work_folder = "/tmp";
  } else {
    auto mapped = host_path_(command.work_folder);
    if (!mapped) return mapped.status();
    work_folder = *mapped;
  }
  ListFile items_list, excludes_list;
  if (!items.empty()) {
    if (Status s = items_list.Write(work_folder, SevenZipListFile(items)); !s) return s;
    paths.items_list = core::Utf8ToUtf16(items_list.path());
  }
  if (!excludes.empty()) {
    if (Status s = excludes_list.Write(work_folder, SevenZipListFile(excludes)); !s) return s;
    paths.excludes_list = core::Utf8ToUtf16(excludes_list.path());
  }

  auto arguments = SevenZipArguments(command, paths);
  if (!arguments) return arguments.status();
  auto input = SevenZipPasswordInput(command.password);
  if (!input) return input.status();

  const bool writes_archive =
      command.verb == SevenZipVerb::kAdd || command.verb == SevenZipVerb::kDelete;
  const fs::path temporary_archive = fs::path(archive->string() + ".tmp");
  const bool archive_existed = Exists(*archive);
  const bool temporary_existed = Exists(temporary_archive);

  Pipes pipes;
  if (Status s = MakePipes(pipes); !s) return s;
  Child child;
  if (Status s = Spawn(program_, *arguments, pipes, child); !s) return s;

  SevenZipStreams streams(command.expected_bytes);
  SevenZipOutcome outcome;
  outcome.stopped = Supervise(pipes, child, *input, streams, progress);
  child.Wait();
  streams.Finish();
  outcome.exit_code = child.ExitCode();
  if (outcome.exit_code == seven_zip_exit::kOk && !outcome.stopped && streams.Complete() &&
      progress) {
    progress(streams.Progress());
  }
  outcome.output = streams.TakeOutput();

  if (outcome.stopped && writes_archive) {
    // A killed tool leaves its half-written archive; an interrupted one removes it itself.
    std::error_code ignored;
    if (!archive_existed) fs::remove(*archive, ignored);
    if (!temporary_existed) fs::remove(temporary_archive, ignored);
  }
  return outcome;
}

}  // namespace velkor::platform::sandbox
