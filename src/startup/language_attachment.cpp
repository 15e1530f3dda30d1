#include "startup/language_attachment.h"

#include "script/pe_image.h"

namespace velkor::startup {

void AttachedLanguageFile(platform::FileSystem& files, std::u16string_view engine_folder,
                          std::u16string_view work_folder,
                          const LanguageFileReader& read_language_file) {
  const std::u16string library =
      std::u16string(engine_folder) + std::u16string(kArchiveLibraryName);
  if (!files.FileExists(library)) return;
  auto bytes = files.ReadFile(library);
  if (!bytes) return;
  const auto image_size = script::PeImageSize(*bytes);
  if (!image_size || *image_size >= bytes->size()) return;

  const std::u16string language_file =
      std::u16string(work_folder) + std::u16string(kAttachedLanguageFileName);
  if (!files.WriteFile(language_file, std::string_view(*bytes).substr(*image_size))) return;
  // The file must not outlive this step, also when reading it fails.
  try {
    if (read_language_file) read_language_file(language_file);
  } catch (...) {
    (void)files.DeleteFile(language_file);
    throw;
  }
  (void)files.DeleteFile(language_file);
}

}  // namespace velkor::startup
