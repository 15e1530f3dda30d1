// The registry content a fresh sandbox machine starts with: what a real Windows has at
// the places a setup reads (version, registered owner, program files and shell folders,
// environment, the uninstall key), filled in from the machine's facts.
#pragma once

#include <cstdint>
#include <string>

#include "platform/sandbox/sandbox_registry.h"

namespace velkor::platform::sandbox {

// The facts the default content is made from. Folders are without a trailing
// backslash; the layout below the profile folders is that of Vista and later.
struct RegistryDefaults {
  uint32_t major_version = 10;
  uint32_t minor_version = 0;
  uint32_t build = 19045;
  uint32_t update_revision = 3803;           // UBR (Windows 10 and later)
  std::u16string display_version = u"22H2";  // Windows 10 and later
  std::u16string service_pack;               // CSDVersion, e.g. "Service Pack 1"; empty for none
  std::u16string product_name = u"Windows 10 Pro";
  std::u16string edition_id = u"Professional";
  std::u16string installation_type = u"Client";

  std::u16string user_name = u"User";
  std::u16string registered_owner = u"User";
  std::u16string registered_organization;
  std::u16string computer_name = u"DESKTOP-VELKOR";
  uint32_t processor_count = 4;

  std::u16string windows_folder = u"C:\\Windows";
  std::u16string program_files = u"C:\\Program Files";            // the native one
  std::u16string program_files_x86 = u"C:\\Program Files (x86)";  // 64-bit Windows only
  std::u16string program_data = u"C:\\ProgramData";
  std::u16string public_profile = u"C:\\Users\\Public";
  std::u16string user_profile = u"C:\\Users\\User";
};

// Writes the default content in one transaction, once per registry file: a registry
// that already got it (even if changed since) is left alone. On 64-bit Windows (the
// registry's facts) the redirected keys get their 32-bit-view values as well.
Status SeedRegistryDefaults(SandboxRegistry& registry, const RegistryDefaults& defaults);

}  // namespace velkor::platform::sandbox
