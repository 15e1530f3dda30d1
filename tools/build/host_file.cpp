#include "host_file.h"

#include <fstream>
#include <sstream>

#include "build_error.h"

namespace velkor::build {

std::optional<std::string> ReadHostFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteHostFile(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out.write(bytes.data(), std::streamsize(bytes.size())))
    throw BuildError(path.string() + ": cannot write");
}

}  // namespace velkor::build
