#include "pe_stub.h"

#include <cstdint>

namespace velkor::build {
namespace {

constexpr uint32_t kFileAlignment = 0x200;
constexpr uint32_t kSectionAlignment = 0x1000;
constexpr uint32_t kPeOffset = 0x40;

void Put(std::string& image, size_t offset, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) image[offset + i] = char(value >> (8 * i));
}

}  // namespace

std::string MakeStubImage(StubKind kind) {
  const bool plus = kind == StubKind::kPe32Plus;
  const uint32_t optional_size = plus ? 240 : 224;
  const uint32_t section_table = kPeOffset + 4 + 20 + optional_size;
  std::string image(2 * kFileAlignment, '\0');  // headers, then the one section
  Put(image, 0, 0x5A4D, 2);                     // "MZ"
  Put(image, 0x3C, kPeOffset, 4);               // e_lfanew
  Put(image, kPeOffset, 0x00004550, 4);         // "PE\0\0"
  const size_t coff = kPeOffset + 4;
  Put(image, coff, plus ? 0x8664 : 0x14C, 2);  // machine
  Put(image, coff + 2, 1, 2);                  // one section
  Put(image, coff + 16, optional_size, 2);
  Put(image, coff + 18, plus ? 0x0023 : 0x0103, 2);  // executable, no relocations
  const size_t opt = coff + 20;
  Put(image, opt, plus ? 0x20B : 0x10B, 2);
  Put(image, opt + 4, kFileAlignment, 4);      // SizeOfCode
  Put(image, opt + 16, kSectionAlignment, 4);  // AddressOfEntryPoint
  Put(image, opt + 20, kSectionAlignment, 4);  // BaseOfCode
  if (plus) {
    Put(image, opt + 24, 0x140000000ull, 8);  // ImageBase
  } else {
    Put(image, opt + 28, 0x400000, 4);
  }
  Put(image, opt + 32, kSectionAlignment, 4);
  Put(image, opt + 36, kFileAlignment, 4);
  Put(image, opt + 40, 4, 2);                      // OS version 4.0
  Put(image, opt + 48, 4, 2);                      // subsystem version 4.0
  Put(image, opt + 56, 2 * kSectionAlignment, 4);  // SizeOfImage
  Put(image, opt + 60, kFileAlignment, 4);         // SizeOfHeaders
  Put(image, opt + 68, 2, 2);                      // Windows GUI
  const size_t sizes = opt + 72;
  const int width = plus ? 8 : 4;  // stack and heap reserve/commit
  Put(image, sizes, 0x100000, width);
  Put(image, sizes + width, 0x1000, width);
  Put(image, sizes + 2 * width, 0x100000, width);
  Put(image, sizes + 3 * width, 0x1000, width);
  Put(image, sizes + 4 * width + 4, 16, 4);  // NumberOfRvaAndSizes
  image.replace(section_table, 5, ".text");
  Put(image, section_table + 8, kFileAlignment, 4);      // VirtualSize
  Put(image, section_table + 12, kSectionAlignment, 4);  // VirtualAddress
  Put(image, section_table + 16, kFileAlignment, 4);     // SizeOfRawData
  Put(image, section_table + 20, kFileAlignment, 4);     // PointerToRawData
  Put(image, section_table + 36, 0x60000020, 4);         // code, execute, read
  image[kFileAlignment] = char(0xC3);                    // ret
  return image;
}

}  // namespace velkor::build
