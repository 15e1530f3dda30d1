#include "platform/seven_zip.h"

#include <algorithm>

#include "core/text.h"

namespace velkor::platform {
namespace {

Status BadArgument(std::u16string_view what) {
  return Status::Failure(error::kInvalidParameter,
                         u"7-Zip cannot take this argument: " + std::u16string(what));
}

std::u16string_view VerbWord(const SevenZipCommand& command) {
  switch (command.verb) {
    case SevenZipVerb::kList:
      return u"l";
    case SevenZipVerb::kTest:
      return u"t";
    case SevenZipVerb::kExtract:
      return command.keep_paths ? u"x" : u"e";
    case SevenZipVerb::kAdd:
      return u"a";
    case SevenZipVerb::kDelete:
      return u"d";
  }
  return u"l";
}

// The tool splits its own command line at blanks outside quotes and has no escape for a
// quote; a leading "-" or "@" would make a path a switch or a list file, and a "*" or "?"
// a pattern (in the output folder, "*" stands for the archive's name).
bool IsSafePathArgument(std::u16string_view path) {
  return !path.empty() && path.front() != u'-' && path.front() != u'@' &&
         path.find_first_of(u"\"*?") == std::u16string_view::npos;
}

bool IsSafeSwitch(std::u16string_view text) {
  return text.size() >= 2 && text.front() == u'-' && text.find(u'"') == std::u16string_view::npos;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Skips a run of digits; returns how many there were.
size_t DigitRun(std::string_view text) {
  size_t n = 0;
  while (n < text.size() && IsDigit(text[n])) ++n;
  return n;
}

// A "-bb1" log line: one operation letter, a blank, the item ("- dir/file.txt").
bool IsLogLine(std::string_view line) {
  if (line.size() < 3 || line[1] != ' ') return false;
  return line[0] == '-' || line[0] == '+' || line[0] == 'T' || line[0] == 'U' || line[0] == 'D';
}

// "Add new data to archive: 1 folder, 2 files, 60000000 bytes (58 MiB)"
uint64_t AnnouncedBytes(std::string_view line) {
  constexpr std::string_view kPrefix = "Add new data to archive:";
  constexpr std::string_view kBytes = " bytes";
  if (line.substr(0, kPrefix.size()) != kPrefix) return 0;
  const size_t end = line.find(kBytes);
  if (end == std::string_view::npos) return 0;
  size_t begin = end;
  while (begin > 0 && IsDigit(line[begin - 1])) --begin;
  uint64_t value = 0;
  for (size_t i = begin; i < end; ++i) value = value * 10 + static_cast<uint64_t>(line[i] - '0');
  return value;
}

}  // namespace

Result<std::vector<std::u16string>> SevenZipArguments(const SevenZipCommand& command,
                                                      const SevenZipToolPaths& paths) {
  std::vector<std::u16string> args;
  args.emplace_back(VerbWord(command));
  // A listing goes to standard output, which the tool buffers to the end. Everything else
  // shares standard error, which it writes at once: the progress, the messages and the
  // line per item that names the current file in full.
  if (command.verb == SevenZipVerb::kList) {
    for (const char16_t* fixed : {u"-slt", u"-bso1", u"-bse1", u"-bsp2"}) args.emplace_back(fixed);
  } else {
    for (const char16_t* fixed : {u"-bso2", u"-bse2", u"-bsp2", u"-bb1"}) args.emplace_back(fixed);
  }
  // UTF-8 names and password, and no question left to a console nobody reads.
  args.emplace_back(u"-sccUTF-8");
  args.emplace_back(u"-y");
  if (!paths.items_list.empty() || !paths.excludes_list.empty()) args.emplace_back(u"-scsUTF-8");

  if (command.verb == SevenZipVerb::kExtract) {
    args.emplace_back(command.overwrite_all ? u"-aoa" : u"-aos");
    // Item lists come from listings: a "*" or "?" in a stored name is a character.
    args.emplace_back(u"-spd");
    if (!IsSafePathArgument(paths.output_folder)) return BadArgument(paths.output_folder);
    args.push_back(u"-o" + paths.output_folder);
  }
  if (command.verb == SevenZipVerb::kAdd || command.verb == SevenZipVerb::kDelete) {
    for (const auto& text : command.switches) {
      if (!IsSafeSwitch(text)) return BadArgument(text);
      args.push_back(text);
    }
  }
  // Without a value the switch makes the tool ask, and the answer comes from the pipe.
  if (command.verb == SevenZipVerb::kAdd && !command.password.empty()) args.emplace_back(u"-p");

  if (!IsSafePathArgument(paths.archive)) return BadArgument(paths.archive);
  args.push_back(paths.archive);
  if (!paths.items_list.empty()) {
    if (!IsSafePathArgument(paths.items_list)) return BadArgument(paths.items_list);
    args.push_back(u"@" + paths.items_list);
  }
  if (!paths.excludes_list.empty()) {
    if (!IsSafePathArgument(paths.excludes_list)) return BadArgument(paths.excludes_list);
    args.push_back(u"-x@" + paths.excludes_list);
  }
  return args;
}

std::string SevenZipListFile(const std::vector<std::u16string>& names) {
  // The tool trims each line and then drops one pair of enclosing quotes, so quoting
  // keeps leading and trailing blanks and any quotes inside.
  std::string content;
  for (const auto& name : names) {
    content += '"';
    content += core::Utf16ToUtf8(name);
    content += "\"\n";
  }
  return content;
}

Result<std::string> SevenZipPasswordInput(std::u16string_view password) {
  if (password.find_first_of(u"\r\n") != std::u16string_view::npos) {
    return Status::Failure(error::kInvalidParameter,
                           u"A password for 7-Zip cannot hold a line break");
  }
  const std::string line = core::Utf16ToUtf8(password) + "\n";
  return line + line;
}

// ---- SevenZipStreams ----

void SevenZipStreams::AddOutput(std::string_view bytes) {
  output_pending_.append(bytes);
  size_t start = 0;
  for (size_t end; (end = output_pending_.find('\n', start)) != std::string::npos;
       start = end + 1) {
    std::string_view line(output_pending_.data() + start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    OutputLine(line);
  }
  output_pending_.erase(0, start);
}

bool SevenZipStreams::OutputLine(std::string_view line) {
  if (IsLogLine(line)) {
    const std::string_view name = line.substr(2);
    if (name == logged_file_) return false;
    logged_file_.assign(name);
    return true;
  }
  if (const uint64_t bytes = AnnouncedBytes(line)) announced_bytes_ = bytes;
  output_.append(line);
  output_ += '\n';
  return false;
}

bool SevenZipStreams::AddProgress(std::string_view bytes) {
  progress_pending_.append(bytes);
  bool changed = false;
  size_t start = 0;
  // The tool redraws its progress line with backspaces (Linux) or carriage returns
  // (Windows); every piece between them is one state.
  for (size_t end; (end = progress_pending_.find_first_of("\b\r\n", start)) != std::string::npos;
       start = end + 1) {
    changed |= ProgressSegment(std::string_view(progress_pending_).substr(start, end - start));
  }
  progress_pending_.erase(0, start);
  return changed;
}

bool SevenZipStreams::ProgressSegment(std::string_view segment) {
  segment = Trim(segment);
  if (segment.empty()) return false;
  const size_t digits = DigitRun(segment);
  const bool is_percent =
      digits > 0 && digits <= 3 && digits < segment.size() && segment[digits] == '%';
  if (!is_percent) {
    // "0M Scan" counts scanned files; anything else is a message, or the log line of the
    // next file, which is news for the caller.
    const bool is_scan = digits > 0 && segment.substr(digits).starts_with("M Scan");
    return !is_scan && OutputLine(segment);
  }
  uint32_t percent = 0;
  for (size_t i = 0; i < digits; ++i)
    percent = percent * 10 + static_cast<uint32_t>(segment[i] - '0');
  percent = std::min<uint32_t>(percent, 100);

  // " 14% 3 + dir/name": an optional file count, then an operation letter and the name,
  // which the tool shortens to its console width.
  std::string_view rest = Trim(segment.substr(digits + 1));
  const size_t count = DigitRun(rest);
  if (count > 0 && count < rest.size() && rest[count] == ' ') rest = Trim(rest.substr(count));
  std::string_view name;
  if (rest.size() >= 3 && rest[1] == ' ') name = rest.substr(2);

  // The first report counts even at 0%: it tells the caller the tool is at work.
  const bool changed =
      !reported_ || percent != percent_ || (!name.empty() && name != progress_file_);
  reported_ = true;
  percent_ = std::max(percent_, percent);
  if (!name.empty()) progress_file_.assign(name);
  return changed;
}

void SevenZipStreams::Finish() {
  if (!output_pending_.empty()) {
    std::string_view line(output_pending_);
    if (line.back() == '\r') line.remove_suffix(1);
    OutputLine(line);
    output_pending_.clear();
  }
  if (!progress_pending_.empty()) {
    ProgressSegment(progress_pending_);
    progress_pending_.clear();
  }
}

uint64_t SevenZipStreams::Total() const {
  if (expected_bytes_ != 0) return expected_bytes_;
  if (announced_bytes_ != 0) return announced_bytes_;
  return 100;
}

SevenZipProgress SevenZipStreams::Progress() const {
  SevenZipProgress progress;
  progress.total = Total();
  progress.done = complete_
                      ? progress.total
                      : progress.total / 100 * percent_ + progress.total % 100 * percent_ / 100;
  progress.current_file = core::Utf8ToUtf16(logged_file_.empty() ? progress_file_ : logged_file_);
  return progress;
}

bool SevenZipStreams::Complete() {
  if (complete_) return false;
  complete_ = true;
  percent_ = 100;
  return true;
}

std::string SevenZipStreams::TakeOutput() {
  return std::move(output_);
}

}  // namespace velkor::platform
