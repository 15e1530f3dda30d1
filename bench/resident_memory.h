// Peak memory of a benchmark's work, measured in a fresh copy of the benchmark program so
// that each figure stands alone whatever ran before in the measuring process.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace velkor::bench {

// The process's own peak resident size in bytes (VmHWM: since its program started).
inline long long PeakResidentBytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::atoll(line.c_str() + 6) * 1024;
  }
  return 0;
}

// Starts this program again with `variable` = `value` in its environment and reads the
// peak it prints (0 when it prints none). The copy must notice the variable before main,
// do the work, print PeakResidentBytes() and end.
inline long long ChildPeakBytes(const char* variable, const std::string& value) {
  setenv(variable, value.c_str(), 1);
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  FILE* child = popen(("'" + self + "'").c_str(), "r");
  unsetenv(variable);
  long long peak = 0;
  if (child == nullptr || std::fscanf(child, "%lld", &peak) != 1) peak = 0;
  if (child != nullptr) pclose(child);
  return peak;
}

}  // namespace velkor::bench
