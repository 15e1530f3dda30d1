#include "engine_file.h"

#include <stdexcept>

#include "build_error.h"
#include "script/pe_image.h"
#include "script/script_text_writer.h"

namespace velkor::build {

std::string BuildEngineFile(std::string_view image, const script::CompiledScript& script) {
  const auto size = script::PeImageSize(image);
  if (!size) throw BuildError("the engine image is not a Windows executable image");
  if (*size != image.size())
    throw BuildError("the engine image carries " + std::to_string(image.size() - *size) +
                     " bytes after its last section (link it stripped); the engine would take "
                     "them for its script");
  std::string text;
  try {
    text = script::WriteScriptText(script);
  } catch (const std::invalid_argument& e) {
    throw BuildError(e.what());
  }
  std::string file(image);
  file += text;
  return file;
}

EngineFileParts SplitEngineFile(std::string_view engine_file) {
  const auto size = script::PeImageSize(engine_file);
  if (!size) throw BuildError("not an engine file: the executable image headers cannot be read");
  if (*size >= engine_file.size()) throw BuildError("the engine file carries no script");
  return {engine_file.substr(0, *size), engine_file.substr(*size)};
}

}  // namespace velkor::build
