// The sandbox's Environment: the variables of this process, kept per platform object
// and seeded from the profile with what Windows gives a process of the profile's
// bitness (TEMP, windir, ProgramFiles, USERPROFILE, ...). Names ignore case and keep
// the case they were first set with. Any thread may call.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/environment.h"
#include "platform/sandbox/machine_profile.h"

namespace velkor::platform::sandbox {

// ExpandEnvironmentStrings: "%NAME%" whose name `lookup` knows becomes its value;
// an unknown "%NAME%" is copied whole and scanning goes on after it; a "%" without a
// closing one is copied. Pure.
std::u16string ExpandVariables(
    std::u16string_view text,
    const std::function<std::optional<std::u16string>(std::u16string_view)>& lookup);

// The variables Windows sets for a process of the profile, in no particular order.
std::vector<std::pair<std::u16string, std::u16string>> DefaultVariables(
    const MachineProfile& profile);

class SandboxEnvironment : public Environment {
 public:
  explicit SandboxEnvironment(const MachineProfile& profile);

  std::optional<std::u16string> Get(std::u16string_view name) override;
  // Fails with kInvalidParameter for an empty name or one holding "=".
  Status Set(std::u16string_view name, std::u16string_view value) override;
  Status Remove(std::u16string_view name) override;
  std::u16string Expand(std::u16string_view text) override;
  // Ordered by name without regard to case, as Windows keeps the block.
  std::vector<std::u16string> Strings() override;

 private:
  struct Variable {
    std::u16string name;
    std::u16string value;
  };
  std::optional<std::u16string> Find(std::u16string_view name) const;

  mutable std::mutex mutex_;
  std::map<std::u16string, Variable> variables_;  // by lower-cased name
};

}  // namespace velkor::platform::sandbox
