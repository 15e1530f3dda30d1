#include "platform/sandbox/sandbox_environment.h"

#include "core/case_mapping.h"
#include "core/decimal.h"
#include "platform/sandbox/standard_folders.h"

namespace velkor::platform::sandbox {
namespace {

// What a process of the profile's bitness sees for the architecture variables.
void AddArchitecture(const MachineProfile& p, const StandardFolders& f,
                     std::vector<std::pair<std::u16string, std::u16string>>& v) {
  if (!p.is_64bit_windows) {
    v.push_back({u"PROCESSOR_ARCHITECTURE", u"x86"});
    return;
  }
  v.push_back({u"PROCESSOR_ARCHITECTURE", p.RunsUnderWow64() ? u"x86" : u"AMD64"});
  if (p.RunsUnderWow64()) v.push_back({u"PROCESSOR_ARCHITEW6432", u"AMD64"});
  v.push_back({u"ProgramFiles(x86)", f.program_files_x86});
  v.push_back({u"CommonProgramFiles(x86)", f.common_files_x86});
  v.push_back({u"ProgramW6432", f.program_files});
  v.push_back({u"CommonProgramW6432", f.common_files});
}

}  // namespace

std::u16string ExpandVariables(
    std::u16string_view text,
    const std::function<std::optional<std::u16string>(std::u16string_view)>& lookup) {
  std::u16string out;
  size_t i = 0;
  while (i < text.size()) {
    const size_t open = text.find(u'%', i);
    const size_t close = open == std::u16string_view::npos ? open : text.find(u'%', open + 1);
    if (close == std::u16string_view::npos) {
      out += text.substr(i);
      break;
    }
    out += text.substr(i, open - i);
    const std::u16string_view name = text.substr(open + 1, close - open - 1);
    std::optional<std::u16string> value = name.empty() ? std::nullopt : lookup(name);
    out += value ? *value : std::u16string(text.substr(open, close - open + 1));
    i = close + 1;
  }
  return out;
}

std::vector<std::pair<std::u16string, std::u16string>> DefaultVariables(const MachineProfile& p) {
  const StandardFolders f = StandardFoldersOf(p);
  std::vector<std::pair<std::u16string, std::u16string>> v = {
      {u"ALLUSERSPROFILE", f.program_data},
      {u"APPDATA", f.roaming_app_data},
      {u"CommonProgramFiles", f.process_common_files},
      {u"COMPUTERNAME", p.computer_name},
      {u"ComSpec", f.system + u"\\cmd.exe"},
      {u"HOMEDRIVE", u"C:"},
      {u"HOMEPATH", f.profile.substr(2)},
      {u"LOCALAPPDATA", f.local_app_data},
      {u"NUMBER_OF_PROCESSORS", core::DecimalText(p.processor_count)},
      {u"OS", u"Windows_NT"},
      {u"Path", f.system + u";" + f.windows + u";" + f.system + u"\\Wbem"},
      {u"PATHEXT", u".COM;.EXE;.BAT;.CMD;.VBS;.VBE;.JS;.JSE;.WSF;.WSH;.MSC"},
      {u"ProgramData", f.program_data},
      {u"ProgramFiles", f.process_program_files},
      {u"PUBLIC", f.public_profile},
      {u"SystemDrive", u"C:"},
      {u"SystemRoot", f.windows},
      {u"TEMP", f.temp},
      {u"TMP", f.temp},
      {u"USERDOMAIN", p.domain_name},
      {u"USERNAME", p.user_name},
      {u"USERPROFILE", f.profile},
      {u"windir", f.windows},
  };
  AddArchitecture(p, f, v);
  return v;
}

SandboxEnvironment::SandboxEnvironment(const MachineProfile& profile) {
  for (auto& [name, value] : DefaultVariables(profile)) {
    variables_[core::Lower(name)] = Variable{name, value};
  }
}

std::optional<std::u16string> SandboxEnvironment::Find(std::u16string_view name) const {
  const auto it = variables_.find(core::Lower(name));
  if (it == variables_.end()) return std::nullopt;
  return it->second.value;
}

std::optional<std::u16string> SandboxEnvironment::Get(std::u16string_view name) {
  std::lock_guard lock(mutex_);
  return Find(name);
}

Status SandboxEnvironment::Set(std::u16string_view name, std::u16string_view value) {
  if (name.empty() || name.find(u'=') != std::u16string_view::npos) {
    return Status::Failure(error::kInvalidParameter,
                           u"not a variable name: " + std::u16string(name));
  }
  std::lock_guard lock(mutex_);
  auto [it, inserted] =
      variables_.try_emplace(core::Lower(name), Variable{std::u16string(name), {}});
  it->second.value = value;
  return Status::Ok();
}

Status SandboxEnvironment::Remove(std::u16string_view name) {
  std::lock_guard lock(mutex_);
  variables_.erase(core::Lower(name));
  return Status::Ok();
}

std::u16string SandboxEnvironment::Expand(std::u16string_view text) {
  std::lock_guard lock(mutex_);
  return ExpandVariables(text, [this](std::u16string_view name) { return Find(name); });
}

std::vector<std::u16string> SandboxEnvironment::Strings() {
  std::lock_guard lock(mutex_);
  std::vector<std::u16string> strings;
  strings.reserve(variables_.size());
  for (const auto& [key, variable] : variables_) {
    strings.push_back(variable.name + u"=" + variable.value);
  }
  return strings;
}

}  // namespace velkor::platform::sandbox
