#include "temp_folder.h"

#include <cstdlib>
#include <string>

#include "build_error.h"

namespace velkor::build {
namespace fs = std::filesystem;

TempFolder::TempFolder() {
  std::string pattern = (fs::temp_directory_path() / "velkor-build-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw BuildError("cannot create a temporary folder");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

}  // namespace velkor::build
