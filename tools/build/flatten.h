// Inlines included scripts: every enabled "Include Script" statement is followed by the
// statements of the file it names, one include depth deeper and carrying the include's
// return variable, as the interpreter's include scoping expects.
#pragma once

#include <string>
#include <vector>

#include "project.h"

namespace velkor::build {

struct FlatStatement {
  const ProjectStatement* statement = nullptr;
  std::string file;  // the script file it comes from
  int depth = 0;
  std::u16string return_variable = u"0";  // "0" in the main script
};

std::vector<FlatStatement> FlattenScripts(const Project& project);

}  // namespace velkor::build
