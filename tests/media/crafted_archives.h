// Archives built byte by byte, for names and entries that no well-behaved tool writes:
// stored (uncompressed) zip files and ustar tar files.
#pragma once

#include <string>
#include <vector>

namespace velkor::testing {

struct CraftedEntry {
  std::string name;  // stored exactly as given (UTF-8)
  std::string data;
  // Tar only: '0' file, '1' hard link, '2' symbolic link, '5' folder.
  char type = '0';
  std::string link_target = "";
};

std::string CraftZip(const std::vector<CraftedEntry>& entries);
std::string CraftTar(const std::vector<CraftedEntry>& entries);

}  // namespace velkor::testing
