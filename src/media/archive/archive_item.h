// One entry of an archive listing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velkor::media::archive {

struct ArchiveItem {
  std::u16string name;  // the stored path, "\" between folders
  uint64_t size = 0;
  // 0 when the format does not say (in a solid block only the first item carries it).
  uint64_t packed_size = 0;
  // Modification time as a FILETIME (100 ns units since 1601) in the time of the machine
  // running 7-Zip; 0 when the archive has none.
  uint64_t time = 0;
  // Windows attribute bits; a Unix mode, when the archive has one, in the high 16 bits
  // with 0x8000 set (the convention 7-Zip follows).
  uint32_t attributes = 0;
  bool is_folder = false;
  bool is_link = false;  // a symbolic link, hard link or reparse point
};

// Whether writing an item with this stored name below a destination folder keeps it
// there, on Windows and on the host alike: not empty, not rooted ("\", "/", "\\?\",
// UNC), no ":" (drive letters, streams), and no component that Windows reads as a step
// up (".." and any other run of dots and blanks, which Windows trims to it).
bool IsSafeItemName(std::u16string_view name);

// An item that must not be extracted: an unsafe name, or a link, which could lead a
// later item's write anywhere.
inline bool ItemMayEscape(const ArchiveItem& item) {
  return item.is_link || !IsSafeItemName(item.name);
}

}  // namespace velkor::media::archive
