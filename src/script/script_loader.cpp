#include "script/script_loader.h"

#include <optional>
#include <string>
#include <utility>

#include "script/pe_image.h"
#include "script/script_parser.h"

namespace velkor::script {
namespace {

ScriptLoadResult FileError(std::u16string what, const platform::Status& status) {
  return ScriptLoadResult::Failure(LoadFailure::kFileError,
                                   std::move(what) + u": " + status.message());
}

std::u16string CopyPath(std::u16string_view work_folder) {
  std::u16string path(work_folder);
  if (!path.empty() && path.back() != u'\\' && path.back() != u'/') path += u'\\';
  return path + std::u16string(kScriptCopyName);
}

// Puts the bytes after the image into `script`; the failure when there are none.
std::optional<ScriptLoadResult> ExtractScript(platform::FileSystem& files,
                                              std::u16string_view engine_file,
                                              std::string& script) {
  platform::Result<std::string> engine = files.ReadFile(engine_file);
  if (!engine) return FileError(u"The setup file could not be read", engine.status());
  const std::optional<uint64_t> image_size = PeImageSize(*engine);
  if (!image_size) {
    return ScriptLoadResult::Failure(LoadFailure::kBadImage,
                                     u"The setup file is damaged: its image headers are invalid.");
  }
  if (*image_size == engine->size()) {
    return ScriptLoadResult::Failure(LoadFailure::kNoScript, u"The setup file carries no script.");
  }
  // In place: a setup holds the engine file in memory once, not twice.
  engine->erase(0, static_cast<size_t>(*image_size));
  script = std::move(*engine);
  return std::nullopt;
}

}  // namespace

ScriptLoadResult LoadSetupScript(platform::FileSystem& files, std::u16string_view engine_file,
                                 std::u16string_view work_folder) {
  std::string script;
  if (std::optional<ScriptLoadResult> failure = ExtractScript(files, engine_file, script)) {
    return std::move(*failure);
  }

  const std::u16string copy = CopyPath(work_folder);
  const platform::Status written = files.WriteFile(copy, script);
  script = std::string();
  if (!written) {
    files.DeleteFile(copy);
    return FileError(u"The setup script could not be copied to " + copy, written);
  }
  platform::Result<std::string> read = files.ReadFile(copy);
  files.DeleteFile(copy);  // a copy left behind is harmless; the load does not depend on it
  if (!read) return FileError(u"The setup script could not be read from " + copy, read.status());
  return ParseScriptText(*read);
}

}  // namespace velkor::script
