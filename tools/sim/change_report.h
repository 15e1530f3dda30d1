// The simulator's change report in its two forms: readable text and JSON.
#pragma once

#include <cstdint>
#include <string>

#include "machine_snapshot.h"

namespace velkor::sim {

std::string FormatReportText(uint32_t exit_code, const ChangeReport& report);
std::string FormatReportJson(uint32_t exit_code, const ChangeReport& report);

// A registry value as the report shows it, e.g. REG_SZ "text" or REG_DWORD 0x20 (32).
std::string DescribeRegistryValue(const platform::RegistryValue& value);

}  // namespace velkor::sim
