// Case mapping of the system: CharLowerBuffW and CharUpperBuffW over every code unit.
#include <windows.h>

#include "core/system_case_table.h"

namespace velkor::core {
namespace {

void Fill(char16_t (&table)[65536], DWORD(WINAPI* map)(LPWSTR, DWORD)) {
  static_assert(sizeof(wchar_t) == sizeof(char16_t));
  for (unsigned c = 0; c < 65536; ++c) table[c] = static_cast<char16_t>(c);
  // Mapped in one call: the functions work code unit by code unit.
  map(reinterpret_cast<LPWSTR>(table), 65536);
  // A NUL unit maps to itself whatever the call did with it.
  table[0] = 0;
}

}  // namespace

void FillSystemLowerTable(char16_t (&table)[65536]) {
  Fill(table, CharLowerBuffW);
}
void FillSystemUpperTable(char16_t (&table)[65536]) {
  Fill(table, CharUpperBuffW);
}

}  // namespace velkor::core
