// The engine file: the engine's executable image with the compiled script appended
// after its last section.
#pragma once

#include <string>
#include <string_view>

#include "script/compiled_script.h"

namespace velkor::build {

// Throws BuildError when `image` is not an executable image or carries bytes after its
// last section (the engine would read them as part of its script).
std::string BuildEngineFile(std::string_view image, const script::CompiledScript& script);

struct EngineFileParts {
  std::string_view image;
  std::string_view script;  // everything after the image
};

// Throws BuildError when the headers cannot be read or no script follows the image.
EngineFileParts SplitEngineFile(std::string_view engine_file);

}  // namespace velkor::build
