#include "media/crafted_archives.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace velkor::testing {
namespace {

uint32_t Crc32(const std::string& data) {
  static const auto table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char byte : data) crc = table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

void Put16(std::string& out, uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

// The fields local and central headers share, from "version needed" to "extra length".
void CommonFields(std::string& out, const CraftedEntry& entry) {
  Put16(out, 20);      // version needed
  Put16(out, 0x0800);  // names are UTF-8
  Put16(out, 0);       // stored
  Put16(out, 0);       // time
  Put16(out, 0x21);    // date: 1980-01-01
  Put32(out, Crc32(entry.data));
  Put32(out, static_cast<uint32_t>(entry.data.size()));
  Put32(out, static_cast<uint32_t>(entry.data.size()));
  Put16(out, static_cast<uint32_t>(entry.name.size()));
  Put16(out, 0);  // extra length
}

// Zero-padded octal digits filling all but the last byte, which stays NUL.
void PutOctal(char* field, size_t width, uint64_t value) {
  for (size_t i = width - 1; i-- > 0; value >>= 3) field[i] = static_cast<char>('0' + (value & 7));
  field[width - 1] = '\0';
}

}  // namespace

std::string CraftZip(const std::vector<CraftedEntry>& entries) {
  std::string out, central;
  for (const auto& entry : entries) {
    const uint32_t offset = static_cast<uint32_t>(out.size());
    Put32(out, 0x04034b50);
    CommonFields(out, entry);
    out += entry.name;
    out += entry.data;

    Put32(central, 0x02014b50);
    Put16(central, 20);  // made by MS-DOS: "\\" separates folders too
    CommonFields(central, entry);
    Put16(central, 0);     // comment length
    Put16(central, 0);     // disk
    Put16(central, 0);     // internal attributes
    Put32(central, 0x20);  // archive attribute
    Put32(central, offset);
    central += entry.name;
  }
  const uint32_t central_offset = static_cast<uint32_t>(out.size());
  out += central;
  Put32(out, 0x06054b50);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, static_cast<uint32_t>(entries.size()));
  Put16(out, static_cast<uint32_t>(entries.size()));
  Put32(out, static_cast<uint32_t>(central.size()));
  Put32(out, central_offset);
  Put16(out, 0);
  return out;
}

std::string CraftTar(const std::vector<CraftedEntry>& entries) {
  std::string out;
  for (const auto& entry : entries) {
    std::array<char, 512> header{};
    std::copy_n(entry.name.data(), std::min<size_t>(entry.name.size(), 100), header.data());
    PutOctal(header.data() + 100, 8, entry.type == '5' ? 0755 : 0644);
    PutOctal(header.data() + 108, 8, 0);
    PutOctal(header.data() + 116, 8, 0);
    PutOctal(header.data() + 124, 12, entry.type == '0' ? entry.data.size() : 0);
    PutOctal(header.data() + 136, 12, 0);
    header[156] = entry.type;
    std::copy_n(entry.link_target.data(), std::min<size_t>(entry.link_target.size(), 100),
                header.data() + 157);
    std::copy_n(
        "ustar\0"
        "00",
        8, header.data() + 257);
    std::fill_n(header.data() + 148, 8, ' ');
    uint32_t sum = 0;
    for (char c : header) sum += static_cast<unsigned char>(c);
    PutOctal(header.data() + 148, 7, sum);
    out.append(header.data(), header.size());
    if (entry.type == '0') {
      out += entry.data;
      out.append((512 - entry.data.size() % 512) % 512, '\0');
    }
  }
  out.append(1024, '\0');
  return out;
}

}  // namespace velkor::testing
