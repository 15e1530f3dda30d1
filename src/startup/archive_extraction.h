// Archive extraction as the start-up sequence needs it: the resource archive into the
// support folder, and one extraction on behalf of another engine process. The archive
// library's engine side implements it; tests bind their own.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace velkor::startup {

struct ExtractionRequest {
  std::u16string archive;
  std::u16string password;  // empty: none
  std::u16string destination_folder;
  std::optional<std::vector<std::u16string>> items;  // nullopt: every item
  bool overwrite_all = true;
  bool keep_paths = true;  // the path flag: recreate the archive's folders
};

struct ExtractionResult {
  bool ok = false;
  // On failure: "#" + the library's error code, or the message of an exception; an
  // extractor that has neither reports "#0".
  std::u16string error_text;
};

// May be called from any thread the caller chooses; one call at a time.
class ArchiveExtractor {
 public:
  virtual ~ArchiveExtractor() = default;
  virtual ExtractionResult Extract(const ExtractionRequest& request) = 0;
};

// The whole resource archive into the support folder: no password, no item list, both
// flags set. True on success.
bool ExtractResources(ArchiveExtractor& extractor, const std::u16string& resource_path,
                      const std::u16string& support_folder);

}  // namespace velkor::startup
