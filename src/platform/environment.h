// The process's environment variables.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace velkor::platform {

class Environment {
 public:
  virtual ~Environment() = default;

  // Names compare without regard to case.
  virtual std::optional<std::u16string> Get(std::u16string_view name) = 0;
  // An empty value is stored as empty; RemoveVariable deletes.
  virtual Status Set(std::u16string_view name, std::u16string_view value) = 0;
  virtual Status Remove(std::u16string_view name) = 0;
  // ExpandEnvironmentStrings: %NAME% of a defined variable becomes its value; anything
  // else (undefined names, a lone "%") stays as written.
  virtual std::u16string Expand(std::u16string_view text) = 0;
  // GetEnvironmentStrings: every entry of the environment block as "NAME=value", in
  // the block's order (on Windows also the hidden "=C:=C:\dir" entries).
  virtual std::vector<std::u16string> Strings() = 0;
};

}  // namespace velkor::platform
