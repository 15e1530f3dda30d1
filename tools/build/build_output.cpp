#include "build_output.h"

#include "archive_writer.h"
#include "build_error.h"
#include "core/text.h"
#include "engine_file.h"
#include "host_file.h"

namespace velkor::build {
namespace fs = std::filesystem;

void WriteBuild(const BuildPlan& plan, std::string_view engine_image, const ProjectSource& source,
                const fs::path& out) {
  const std::string engine_file = BuildEngineFile(engine_image, plan.script);
  std::error_code ec;
  fs::create_directories(out, ec);
  if (ec) throw BuildError(out.string() + ": cannot create folder: " + ec.message());
  WriteHostFile(out / (plan.base_name + ".exe"), engine_file);
  WriteArchive(out / (plan.base_name + ".res"), plan.resources, source);
  fs::remove_all(out / "data", ec);
  for (const auto& file : plan.data) WriteOutputFile(file, source, out / "data" / file.path);
  for (const auto& web : plan.web_archives)
    WriteArchive(out / (core::Utf16ToUtf8(web.block) + ".7zip"), web.files, source, web.password);
  for (const auto& file : plan.beside) WriteOutputFile(file, source, out / file.path);
}

}  // namespace velkor::build
