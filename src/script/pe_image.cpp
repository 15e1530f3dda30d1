#include "script/pe_image.h"

#include <algorithm>

namespace velkor::script {
namespace {

constexpr uint64_t kDosHeaderSize = 64;
constexpr uint64_t kLfanewOffset = 0x3C;
constexpr uint64_t kFileHeaderSize = 20;
constexpr uint64_t kSectionCountOffset = 2;   // in the file header
constexpr uint64_t kOptionalSizeOffset = 16;  // in the file header
constexpr uint64_t kSectionHeaderSize = 40;
constexpr uint64_t kRawSizeOffset = 16;     // in a section header
constexpr uint64_t kRawPointerOffset = 20;  // in a section header

// Little-endian reads; the caller has checked the range.
uint32_t Read16(std::string_view bytes, uint64_t at) {
  return static_cast<unsigned char>(bytes[at]) |
         static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8;
}

uint32_t Read32(std::string_view bytes, uint64_t at) {
  return Read16(bytes, at) | Read16(bytes, at + 2) << 16;
}

bool Holds(std::string_view bytes, uint64_t offset, uint64_t length) {
  return offset <= bytes.size() && length <= bytes.size() - offset;
}

}  // namespace

std::optional<uint64_t> PeImageSize(std::string_view file_bytes) {
  if (!Holds(file_bytes, 0, kDosHeaderSize) || file_bytes.substr(0, 2) != "MZ") {
    return std::nullopt;
  }
  const uint64_t pe = Read32(file_bytes, kLfanewOffset);
  if (!Holds(file_bytes, pe, 4 + kFileHeaderSize) ||
      file_bytes.substr(pe, 4) != std::string_view("PE\0\0", 4)) {
    return std::nullopt;
  }
  const uint64_t file_header = pe + 4;
  const uint64_t sections = Read16(file_bytes, file_header + kSectionCountOffset);
  const uint64_t table =
      file_header + kFileHeaderSize + Read16(file_bytes, file_header + kOptionalSizeOffset);
  const uint64_t table_end = table + sections * kSectionHeaderSize;
  if (sections == 0 || !Holds(file_bytes, table, sections * kSectionHeaderSize)) {
    return std::nullopt;
  }
  uint64_t image_end = 0;
  for (uint64_t header = table; header < table_end; header += kSectionHeaderSize) {
    image_end = std::max(image_end, uint64_t{Read32(file_bytes, header + kRawPointerOffset)} +
                                        Read32(file_bytes, header + kRawSizeOffset));
  }
  if (image_end < table_end || image_end > file_bytes.size()) return std::nullopt;
  return image_end;
}

}  // namespace velkor::script
