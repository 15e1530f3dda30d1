// The start-up sequence's extractions through the engine's archive library.
#pragma once

#include "platform/platform.h"
#include "platform/seven_zip.h"
#include "startup/archive_extraction.h"

namespace velkor::app {

class LibraryExtractor final : public startup::ArchiveExtractor {
 public:
  // Both must outlive the extractor.
  LibraryExtractor(platform::SevenZip& tool, platform::Platform& platform)
      : tool_(tool), platform_(platform) {}

  // An extraction that runs out of memory is tried once more in this process; it is not
  // handed to a second engine process.
  startup::ExtractionResult Extract(const startup::ExtractionRequest& request) override;

 private:
  platform::SevenZip& tool_;
  platform::Platform& platform_;
};

}  // namespace velkor::app
