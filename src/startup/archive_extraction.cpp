#include "startup/archive_extraction.h"

namespace velkor::startup {

bool ExtractResources(ArchiveExtractor& extractor, const std::u16string& resource_path,
                      const std::u16string& support_folder) {
  ExtractionRequest request;
  request.archive = resource_path;
  request.destination_folder = support_folder;
  request.overwrite_all = true;
  request.keep_paths = true;
  return extractor.Extract(request).ok;
}

}  // namespace velkor::startup
