// Runs the 7-Zip command-line tool for the archive library: one command at a time
// (list, test, extract, add, delete), described by structured arguments with Windows
// paths, never by a raw command line. Each backend runs its own build of the tool
// (7zz in the sandbox, 7za.exe on Windows) and maps the paths it is given.
//
// The password never appears on the tool's command line or in its environment, which
// other processes can read: it is written to the tool's standard input, where 7-Zip
// reads it when it asks for one. The tool runs without a window and with its charset
// switched to UTF-8 for names, list files and the password.
//
// Threads: Run may be called from several threads at once; the progress callback runs
// on the calling thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace velkor::platform {

enum class SevenZipVerb {
  kList,     // technical listing ("l -slt")
  kTest,     // "t"
  kExtract,  // "x", or "e" without paths
  kAdd,      // "a"
  kDelete,   // "d"
};

struct SevenZipCommand {
  SevenZipVerb verb = SevenZipVerb::kList;
  std::u16string archive;  // Windows path
  // Fed to the tool whenever it asks (an empty one when there is none, so that the tool
  // fails instead of waiting). For kAdd a non-empty password also encrypts the archive.
  std::u16string password;

  // kExtract: the destination folder (Windows path), whether item paths are kept below
  // it, and whether existing files are overwritten (otherwise they are kept).
  std::u16string output_folder;
  bool keep_paths = true;
  bool overwrite_all = false;

  // kExtract: archive item names, matched exactly; empty extracts every item.
  // kDelete: archive item names, wildcards allowed.
  // kAdd: files and folders to add (Windows paths; wildcards in the last component).
  // Item names use "\" between folders, as on Windows.
  std::vector<std::u16string> items;
  // kAdd: names or wildcards to leave out; a full Windows path is mapped like `items`.
  std::vector<std::u16string> excludes;
  // Further 7-Zip switches, one per element ("-t7z", "-mx=5"). They must not name a
  // path, a password, a list file or an output stream: the caller checks that.
  std::vector<std::u16string> switches;

  // Folder (Windows path) for the list files the runner writes; empty: the system
  // temporary folder.
  std::u16string work_folder;
  // The bytes the command will process when the caller knows them (extraction, test):
  // 7-Zip reports percentages, which are scaled by this.
  uint64_t expected_bytes = 0;
};

// The tool's exit codes.
namespace seven_zip_exit {
inline constexpr int kOk = 0;
inline constexpr int kWarning = 1;  // non-fatal errors, e.g. files that could not be read
inline constexpr int kFatal = 2;
inline constexpr int kCommandLine = 7;
inline constexpr int kOutOfMemory = 8;
inline constexpr int kUserStop = 255;
}  // namespace seven_zip_exit

struct SevenZipOutcome {
  int exit_code = 0;
  // The progress callback asked to stop and the tool was ended. A stopped add or delete
  // leaves no new or temporary archive behind.
  bool stopped = false;
  // The tool's messages and errors as UTF-8 text, without progress lines and without
  // the per-file log lines.
  std::string output;
};

struct SevenZipProgress {
  uint64_t done = 0;
  // `expected_bytes` when given, else the bytes the tool announced it would add, else
  // 100 (done is then a percentage).
  uint64_t total = 0;
  std::u16string current_file;  // as the tool names it; may be empty
};

// Returns false to stop the tool.
using SevenZipProgressFn = std::function<bool(const SevenZipProgress&)>;

class SevenZip {
 public:
  virtual ~SevenZip() = default;

  // Runs one command and waits for the tool to end. Fails only when the command cannot
  // be run (a path that cannot be mapped, an argument 7-Zip cannot take, the tool
  // missing or not starting); the tool's own failures are in the outcome's exit code.
  virtual Result<SevenZipOutcome> Run(const SevenZipCommand& command,
                                      const SevenZipProgressFn& progress) = 0;
};

// ---- Shared by the backends: what does not depend on the operating system. ----

// The paths of a command as the backend's tool sees them.
struct SevenZipToolPaths {
  std::u16string archive;
  std::u16string output_folder;
  std::u16string items_list;     // list file of `items`; empty when there are none
  std::u16string excludes_list;  // list file of `excludes`; empty when there are none
};

// The tool's arguments after the program name. Fails with kInvalidParameter for an
// argument the tool would misread (a path starting with "-", a quote, an empty switch).
Result<std::vector<std::u16string>> SevenZipArguments(const SevenZipCommand& command,
                                                      const SevenZipToolPaths& paths);

// The content of a list file (UTF-8): one quoted name per line.
std::string SevenZipListFile(const std::vector<std::u16string>& names);

// What the runner writes to the tool's standard input: the password line, twice, for
// the tool may ask again to confirm it. Fails for a password holding a line break.
Result<std::string> SevenZipPasswordInput(std::u16string_view password);

// Reads the tool's two streams: standard output (the listing) and standard error (the
// progress, and for the other verbs the messages and the per-item log lines too). Either
// may arrive in pieces of any size.
// Not thread-safe: a backend that reads the streams on two threads serialises calls.
class SevenZipStreams {
 public:
  explicit SevenZipStreams(uint64_t expected_bytes) : expected_bytes_(expected_bytes) {}

  void AddOutput(std::string_view bytes);
  // True when the progress changed.
  bool AddProgress(std::string_view bytes);
  // Flushes unterminated text at the end of the run.
  void Finish();

  SevenZipProgress Progress() const;
  // Moves the progress to its total (after a successful run); true when that changed it.
  bool Complete();
  std::string TakeOutput();

 private:
  // Keeps a message line, or takes a log line's name; true when that name is new.
  bool OutputLine(std::string_view line);
  bool ProgressSegment(std::string_view segment);
  uint64_t Total() const;

  uint64_t expected_bytes_;
  uint64_t announced_bytes_ = 0;
  uint32_t percent_ = 0;
  bool reported_ = false;
  bool complete_ = false;
  std::string output_;
  std::string output_pending_;
  std::string progress_pending_;
  std::string logged_file_;    // the last per-item log line's name
  std::string progress_file_;  // the name on the last progress line (may be shortened)
};

}  // namespace velkor::platform
