// What a sandbox machine holds, taken before and after a setup run, and the difference
// between two such snapshots: the simulator's change report as data.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/sandbox/sandbox_platform.h"

namespace velkor::sim {

struct FileFacts {
  uint64_t size = 0;
  uint64_t content_hash = 0;  // FNV-1a of the bytes
  bool operator==(const FileFacts&) const = default;
};

struct MachineSnapshot {
  // Keys are Windows paths ("C:\dir\file"), compared as written on disk.
  std::map<std::u16string, FileFacts> files;
  std::map<std::u16string, bool> folders;
  // "HKLM\SOFTWARE\Key\\Name" style keys: root\key and the value name after "\\".
  std::map<std::u16string, platform::RegistryValue> registry_values;
  std::map<std::u16string, bool> registry_keys;
};

MachineSnapshot TakeSnapshot(platform::sandbox::SandboxPlatform& machine);

enum class ChangeKind { kAdded, kChanged, kRemoved };

struct FileChange {
  ChangeKind kind;
  std::u16string path;
  FileFacts before, after;
};

struct FolderChange {
  ChangeKind kind;
  std::u16string path;
};

struct RegistryChange {
  ChangeKind kind;
  std::u16string key;   // root and key path
  std::u16string name;  // value name; empty for the default value
  platform::RegistryValue before, after;
};

struct KeyChange {
  ChangeKind kind;
  std::u16string key;
};

struct ChangeReport {
  std::vector<FileChange> files;
  std::vector<FolderChange> folders;
  std::vector<KeyChange> registry_keys;
  std::vector<RegistryChange> registry_values;
  bool empty() const {
    return files.empty() && folders.empty() && registry_keys.empty() && registry_values.empty();
  }
};

ChangeReport CompareSnapshots(const MachineSnapshot& before, const MachineSnapshot& after);

}  // namespace velkor::sim
