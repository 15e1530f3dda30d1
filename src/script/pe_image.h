// The on-disk size of a Windows executable image, read from its headers: the engine
// file is the image followed by the appended script.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace velkor::script {

// The largest PointerToRawData + SizeOfRawData over the section headers, found through
// the DOS header's e_lfanew, the "PE\0\0" signature and the file header's section count
// and optional header size (224 bytes for PE32, 240 for PE32+; whatever it says is
// used). nullopt when the bytes are not such an image: a header or the section table
// lies (even partly) outside the bytes, there is no section, or the sections end
// before the section table does or after the end of the bytes.
std::optional<uint64_t> PeImageSize(std::string_view file_bytes);

}  // namespace velkor::script
