// The seam through which each platform supplies its case mapping. Implemented once per
// backend (src/platform/<backend>/system_case_table.cpp); used only by case_mapping.cpp.
#pragma once

namespace velkor::core {

// Fills table[c] with the system's lower-case (or upper-case) form of every UTF-16 code
// unit c; code units without a single-unit mapping map to themselves.
void FillSystemLowerTable(char16_t (&table)[65536]);
void FillSystemUpperTable(char16_t (&table)[65536]);

}  // namespace velkor::core
