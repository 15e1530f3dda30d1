#include "script_check.h"

#include "build_error.h"
#include "compile.h"
#include "core/text.h"
#include "script/script_check.h"
#include "script/script_parser.h"
#include "script/script_text_writer.h"
#include "script/variables.h"

namespace velkor::build {
namespace {

SourcePlace PlaceOf(const script::CompiledScript& s, int32_t index) {
  if (s.statements.empty()) return {};
  if (index < 0 || size_t(index) >= s.statements.size())  // the end of the script
    return {ProjectPathOfSourceFile(s.statements.front().source_file), 0};
  const auto& statement = s.statements[size_t(index)];
  return {ProjectPathOfSourceFile(statement.source_file), statement.source_line + 1};
}

}  // namespace

void CheckCompiledScript(const script::CompiledScript& script) {
  // The check reads the loaded tables, so the script takes the engine's own way in.
  script::ScriptLoadResult loaded = script::ParseScriptText(script::WriteScriptText(script));
  if (!loaded.ok())
    throw BuildError("the compiled script does not load: " + core::Utf16ToUtf8(loaded.message()));
  script::TVariableManager store;
  script::Variables variables(store);
  const script::CheckResult result = script::CheckScript(loaded.tables(), variables);
  if (result.ok()) return;
  std::string where =
      result.index == script::kCheckEndOfScript ? " (at the end of the script)" : "";
  throw BuildError(PlaceOf(script, result.index),
                   "script check: " + core::Utf16ToUtf8(result.message) + where);
}

}  // namespace velkor::build
