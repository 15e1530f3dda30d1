#include "startup/out_of_process_extract.h"

#include <vector>

#include "core/text.h"
#include "core/truth.h"

namespace velkor::startup {
namespace {

// The lines of a UTF-8 text file (a byte-order mark is passed over).
std::vector<std::u16string> TextLines(std::string_view bytes) {
  return core::TextLines(core::DecodeTextFile(bytes));
}

std::u16string LineOrEmpty(const std::vector<std::u16string>& lines, size_t index) {
  return index < lines.size() ? lines[index] : std::u16string();
}

}  // namespace

uint32_t RunOutOfProcessExtraction(platform::FileSystem& files, ArchiveExtractor& extractor,
                                   const std::u16string& control_file) {
  if (!files.FileExists(control_file)) return out_of_process_exit::kNoControlFile;
  auto control = files.ReadFile(control_file);
  const std::vector<std::u16string> lines =
      control ? TextLines(*control) : std::vector<std::u16string>();

  ExtractionRequest request;
  request.archive = LineOrEmpty(lines, 0);
  request.password = LineOrEmpty(lines, 1);
  request.destination_folder = LineOrEmpty(lines, 2);
  request.keep_paths = core::TruthOf(LineOrEmpty(lines, 3));
  request.overwrite_all = core::TruthOf(LineOrEmpty(lines, 4));

  const std::u16string item_file = control_file + u"items";
  if (files.FileExists(item_file)) {
    auto items = files.ReadFile(item_file);
    if (items) {
      std::vector<std::u16string> item_lines = TextLines(*items);
      if (!item_lines.empty()) request.items = std::move(item_lines);
    }
  }

  if (!files.FileExists(request.archive)) return out_of_process_exit::kNoArchive;

  const ExtractionResult result = extractor.Extract(request);
  std::u16string report = result.ok ? std::u16string() : result.error_text;
  // The starting process reads an empty line as success.
  if (!result.ok && report.empty()) report = u"#0";
  (void)files.WriteFile(control_file, core::Utf16ToUtf8(report + u"\r\n"));
  return out_of_process_exit::kDone;
}

}  // namespace velkor::startup
