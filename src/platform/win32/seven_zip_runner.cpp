#include "platform/win32/seven_zip_runner.h"

#include "platform/win32/windows_api.h"

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/text.h"
#include "platform/win32/win32_error.h"
#include "platform/win32/win32_text.h"

namespace velkor::platform::win32 {
namespace {

bool IsFullPath(std::u16string_view path) {
  const bool drive = path.size() >= 3 && path[1] == u':' && (path[2] == u'\\' || path[2] == u'/');
  const bool unc = path.size() >= 2 && (path[0] == u'\\' || path[0] == u'/') &&
                   (path[1] == u'\\' || path[1] == u'/');
  return drive || unc;
}

bool Exists(const std::u16string& path) {
  return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE handle) : handle_(handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { Close(); }

  HANDLE get() const { return handle_; }
  HANDLE* out() { return &handle_; }
  void Close() {
    if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  HANDLE handle_ = nullptr;
};

// A list file in the work folder, removed when done.
class ListFile {
 public:
  ListFile() = default;
  ListFile(const ListFile&) = delete;
  ListFile& operator=(const ListFile&) = delete;
  ~ListFile() {
    if (!path_.empty()) DeleteFileW(Wide(path_).c_str());
  }

  Status Write(std::u16string folder, const std::string& content) {
    static std::atomic<uint32_t> counter{0};
    if (!folder.empty() && folder.back() != u'\\' && folder.back() != u'/') folder += u'\\';
    for (int attempt = 0; attempt < 100; ++attempt) {
      const uint32_t unique = (GetCurrentProcessId() << 16) ^
                              static_cast<uint32_t>(GetTickCount64()) ^ (++counter * 0x9E3779B9u);
      wchar_t hex[16];
      swprintf(hex, 16, L"%08X", unique);
      const std::u16string path = folder + u"7zl" + FromApi(hex) + u".tmp";
      Handle file(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY, nullptr));
      if (file.get() == INVALID_HANDLE_VALUE) {
        if (GetLastError() == ERROR_FILE_EXISTS) continue;
        return LastErrorStatus(u"Cannot create a 7-Zip list file", path);
      }
      path_ = path;
      DWORD written = 0;
      if (!WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written,
                     nullptr) ||
          written != content.size()) {
        return LastErrorStatus(u"Cannot write a 7-Zip list file", path);
      }
      return Status::Ok();
    }
    return ErrorStatus(ERROR_FILE_EXISTS, u"Cannot create a 7-Zip list file", folder);
  }

  const std::u16string& path() const { return path_; }

 private:
  std::u16string path_;
};

// 7-Zip splits its command line itself: blanks separate arguments, quotes group them and
// are dropped, and nothing escapes a quote (arguments holding one were refused before).
std::wstring CommandLine(const std::u16string& program, const std::vector<std::u16string>& args) {
  std::u16string line = u"\"" + program + u"\"";
  for (const auto& arg : args) line += u" \"" + arg + u"\"";
  return Wide(line);
}

struct Pipe {
  Handle parent, child;
};

// `child_reads`: the child's end is the reading one (its standard input).
Status MakePipe(Pipe& pipe, bool child_reads, DWORD size) {
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, &inheritable, size)) {
    return LastErrorStatus(u"Cannot create a pipe for 7-Zip");
  }
  *pipe.parent.out() = child_reads ? write : read;
  *pipe.child.out() = child_reads ? read : write;
  SetHandleInformation(pipe.parent.get(), HANDLE_FLAG_INHERIT, 0);
  return Status::Ok();
}

// The running tool with the threads that feed and drain it. Whatever way the run ends,
// the tool is ended and the threads are joined before the pipes go away.
class Session {
 public:
  Session(const std::string& input, uint64_t expected_bytes)
      : input_(input), streams_(expected_bytes) {}
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session() {
    if (process_.get() != nullptr && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_.get(), ERROR_CANCELLED);
    }
    Join();
  }

  Status Start(const std::u16string& program, const std::vector<std::u16string>& args) {
    // The input pipe holds the whole password input, so writing it never waits.
    if (Status s = MakePipe(input_pipe_, true, static_cast<DWORD>(input_.size() + 4096)); !s) {
      return s;
    }
    if (Status s = MakePipe(output_pipe_, false, 65536); !s) return s;
    if (Status s = MakePipe(progress_pipe_, false, 65536); !s) return s;

    HANDLE inherited[3] = {input_pipe_.child.get(), output_pipe_.child.get(),
                           progress_pipe_.child.get()};
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    std::vector<char> storage(size);
    auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.data());
    if (!InitializeProcThreadAttributeList(list, 1, 0, &size)) {
      return LastErrorStatus(u"Cannot prepare the start of 7-Zip");
    }
    const bool listed = UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST,
                                                  inherited, sizeof inherited, nullptr, nullptr);
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.StartupInfo.wShowWindow = SW_HIDE;
    startup.StartupInfo.hStdInput = inherited[0];
    startup.StartupInfo.hStdOutput = inherited[1];
    startup.StartupInfo.hStdError = inherited[2];
    startup.lpAttributeList = listed ? list : nullptr;

    std::wstring command_line = CommandLine(program, args);
    PROCESS_INFORMATION info{};
    const DWORD flags = CREATE_NO_WINDOW | (listed ? EXTENDED_STARTUPINFO_PRESENT : 0);
    const BOOL started =
        CreateProcessW(Wide(program).c_str(), command_line.data(), nullptr, nullptr, TRUE, flags,
                       nullptr, nullptr, &startup.StartupInfo, &info);
    const DWORD start_error = GetLastError();
    DeleteProcThreadAttributeList(list);
    if (!started) return ErrorStatus(start_error, u"Cannot start 7-Zip", program);
    *process_.out() = info.hProcess;
    CloseHandle(info.hThread);
    // Only the tool holds the child ends now: they close, and the reads end, with it.
    input_pipe_.child.Close();
    output_pipe_.child.Close();
    progress_pipe_.child.Close();

    writer_ = std::thread([this] {
      DWORD written = 0;
      WriteFile(input_pipe_.parent.get(), input_.data(), static_cast<DWORD>(input_.size()),
                &written, nullptr);
      input_pipe_.parent.Close();
    });
    reader_ = std::thread([this] {
      char buffer[65536];
      DWORD read = 0;
      while (ReadFile(output_pipe_.parent.get(), buffer, sizeof buffer, &read, nullptr) &&
             read > 0) {
        std::lock_guard<std::mutex> lock(mutex_);
        streams_.AddOutput(std::string_view(buffer, read));
      }
    });
    return Status::Ok();
  }

  // Reads progress until the tool ends; returns whether the callback stopped it.
  bool Supervise(const SevenZipProgressFn& progress) {
    bool stopped = false;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(progress_pipe_.parent.get(), buffer, sizeof buffer, &read, nullptr) &&
           read > 0) {
      SevenZipProgress state;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!streams_.AddProgress(std::string_view(buffer, read)) || stopped) continue;
        state = streams_.Progress();
      }
      if (progress && !progress(state)) {
        TerminateProcess(process_.get(), ERROR_CANCELLED);
        stopped = true;
      }
    }
    return stopped;
  }

  // Waits for the tool and the threads; returns the exit code.
  int Finish(bool stopped, const SevenZipProgressFn& progress, SevenZipOutcome& outcome) {
    WaitForSingleObject(process_.get(), INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    Join();
    streams_.Finish();
    outcome.exit_code = static_cast<int>(code);
    outcome.stopped = stopped;
    if (code == 0 && !stopped && streams_.Complete() && progress) progress(streams_.Progress());
    outcome.output = streams_.TakeOutput();
    return outcome.exit_code;
  }

 private:
  void Join() {
    if (writer_.joinable()) writer_.join();
    if (reader_.joinable()) reader_.join();
  }

  const std::string& input_;
  SevenZipStreams streams_;
  std::mutex mutex_;
  Pipe input_pipe_, output_pipe_, progress_pipe_;
  Handle process_;
  std::thread writer_, reader_;
};

}  // namespace

Win32SevenZip::Win32SevenZip(std::u16string program) : program_(std::move(program)) {}

Result<SevenZipOutcome> Win32SevenZip::Run(const SevenZipCommand& command,
                                           const SevenZipProgressFn& progress) {
  if (!IsFullPath(program_)) {
    return ErrorStatus(ERROR_FILE_NOT_FOUND, u"7-Zip must be named by its full path", program_);
  }
  SevenZipToolPaths paths;
  paths.archive = command.archive;
  paths.output_folder = command.output_folder;

  std::u16string work_folder = command.work_folder;
  if (work_folder.empty()) {
    work_folder = ReadGrowingText([](wchar_t* buffer, DWORD size) {
                    return GetTempPathW(size, buffer);
                  }).value_or(u"");
  }
  ListFile items_list, excludes_list;
  if (!command.items.empty()) {
    if (Status s = items_list.Write(work_folder, SevenZipListFile(command.items)); !s) return s;
    paths.items_list = items_list.path();
  }
  if (!command.excludes.empty()) {
    if (Status s = excludes_list.Write(work_folder, SevenZipListFile(command.excludes)); !s) {
      return s;
    }
    paths.excludes_list = excludes_list.path();
  }

  auto arguments = SevenZipArguments(command, paths);
  if (!arguments) return arguments.status();
  auto input = SevenZipPasswordInput(command.password);
  if (!input) return input.status();

  const bool writes_archive =
      command.verb == SevenZipVerb::kAdd || command.verb == SevenZipVerb::kDelete;
  const std::u16string temporary_archive = command.archive + u".tmp";
  const bool archive_existed = Exists(command.archive);
  const bool temporary_existed = Exists(temporary_archive);

  SevenZipOutcome outcome;
  {
    Session session(*input, command.expected_bytes);
    if (Status s = session.Start(program_, *arguments); !s) return s;
    const bool stopped = session.Supervise(progress);
    session.Finish(stopped, progress, outcome);
  }
  if (outcome.stopped && writes_archive) {
    // A terminated tool leaves what it was writing.
    if (!archive_existed) DeleteFileW(Wide(command.archive).c_str());
    if (!temporary_existed) DeleteFileW(Wide(temporary_archive).c_str());
  }
  return outcome;
}

std::u16string SevenZipBesideProgram() {
  const std::u16string program = ReadGrowingText([](wchar_t* buffer, DWORD size) {
                                   return GetModuleFileNameW(nullptr, buffer, size);
                                 }).value_or(u"");
  const size_t slash = program.find_last_of(u"\\/");
  return (slash == std::u16string::npos ? std::u16string() : program.substr(0, slash + 1)) +
         u"7za.exe";
}

}  // namespace velkor::platform::win32
