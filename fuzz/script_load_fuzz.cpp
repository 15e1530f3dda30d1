// Fuzzes what the engine does with the bytes of its own file before the first
// statement runs: find the image's end, read the appended script, check it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "script/pe_image.h"
#include "script/script_check.h"
#include "script/script_parser.h"
#include "script/variable_manager.h"
#include "script/variables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // Inputs that carry a valid image exercise the stub size; the rest are taken as the
  // script text itself, so that the parser and the check see every input.
  std::string_view script = bytes;
  if (auto image = velkor::script::PeImageSize(bytes); image && *image <= size) {
    script = bytes.substr(static_cast<size_t>(*image));
  }
  auto loaded = velkor::script::ParseScriptText(script);
  if (!loaded.ok()) return 0;
  velkor::script::TVariableManager store;
  velkor::script::Variables variables(store);
  (void)velkor::script::CheckScript(loaded.tables(), variables);
  return 0;
}
