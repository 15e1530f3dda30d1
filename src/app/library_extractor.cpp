#include "app/library_extractor.h"

#include "media/archive/archive_library.h"
#include "media/archive/archive_operations.h"

namespace velkor::app {

startup::ExtractionResult LibraryExtractor::Extract(const startup::ExtractionRequest& request) {
  media::archive::ArchiveLibrary library(tool_, platform_.files());
  media::archive::ArchiveContext context{library, platform_.system().ProcessorCount(), {}, {}};
  const media::archive::ArchiveResult result = media::archive::ExtractArchive(
      context, request.archive, request.password, request.destination_folder, request.items, {},
      request.overwrite_all, request.keep_paths);
  return {result.ok, result.error_text};
}

}  // namespace velkor::app
