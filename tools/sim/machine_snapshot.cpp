#include "machine_snapshot.h"

#include <filesystem>
#include <fstream>

#include "core/text.h"

namespace velkor::sim {
namespace {

namespace fs = std::filesystem;
using platform::RegistryRoot;
using platform::RegistryView;

uint64_t HashFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  uint64_t hash = 1469598103934665603ull;
  char buffer[65536];
  while (in) {
    in.read(buffer, sizeof buffer);
    for (std::streamsize k = 0; k < in.gcount(); ++k) {
      hash = (hash ^ static_cast<unsigned char>(buffer[k])) * 1099511628211ull;
    }
  }
  return hash;
}

// "drive_c" -> "C:".
std::u16string DriveName(const fs::path& folder) {
  std::string name = folder.filename().string();
  std::u16string drive(1, static_cast<char16_t>(std::toupper(static_cast<unsigned char>(name[6]))));
  return drive + u":";
}

void SnapshotDrive(const fs::path& drive_folder, MachineSnapshot& snapshot) {
  const std::u16string drive = DriveName(drive_folder);
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(drive_folder, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    std::u16string relative =
        core::Utf8ToUtf16(fs::relative(it->path(), drive_folder).generic_string());
    for (char16_t& c : relative) c = c == u'/' ? u'\\' : c;
    const std::u16string path = drive + u"\\" + relative;
    if (it->is_directory()) {
      snapshot.folders[path] = true;
    } else if (it->is_regular_file()) {
      snapshot.files[path] = {static_cast<uint64_t>(it->file_size()), HashFile(it->path())};
    }
  }
}

void SnapshotKey(platform::Registry& registry, RegistryRoot root, const std::u16string& root_name,
                 const std::u16string& key, MachineSnapshot& snapshot) {
  const std::u16string full = key.empty() ? root_name : root_name + u"\\" + key;
  snapshot.registry_keys[full] = true;
  if (auto names = registry.EnumerateValues(root, key, RegistryView::kView64)) {
    for (const auto& name : *names) {
      if (auto value = registry.ReadValue(root, key, name, RegistryView::kView64)) {
        snapshot.registry_values[full + u"\\\\" + name] = *value;
      }
    }
  }
  if (auto subkeys = registry.EnumerateKeys(root, key, RegistryView::kView64)) {
    for (const auto& sub : *subkeys) {
      SnapshotKey(registry, root, root_name, key.empty() ? sub : key + u"\\" + sub, snapshot);
    }
  }
}

template <typename Map, typename OnAdded, typename OnChanged, typename OnRemoved>
void Diff(const Map& before, const Map& after, OnAdded added, OnChanged changed,
          OnRemoved removed) {
  for (const auto& [key, value] : after) {
    auto it = before.find(key);
    if (it == before.end()) {
      added(key, value);
    } else if (!(it->second == value)) {
      changed(key, it->second, value);
    }
  }
  for (const auto& [key, value] : before) {
    if (!after.count(key)) removed(key, value);
  }
}

std::pair<std::u16string, std::u16string> SplitValueKey(const std::u16string& key) {
  const size_t split = key.find(u"\\\\");
  return {key.substr(0, split), key.substr(split + 2)};
}

}  // namespace

MachineSnapshot TakeSnapshot(platform::sandbox::SandboxPlatform& machine) {
  MachineSnapshot snapshot;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(machine.machine_folder(), ec)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_directory() && name.size() == 7 && name.rfind("drive_", 0) == 0) {
      SnapshotDrive(entry.path(), snapshot);
    }
  }
  // The 64-bit view shows both views: the 32-bit one lives under WOW6432Node.
  SnapshotKey(machine.registry(), RegistryRoot::kLocalMachine, u"HKLM", u"", snapshot);
  SnapshotKey(machine.registry(), RegistryRoot::kUsers, u"HKU", u"", snapshot);
  return snapshot;
}

ChangeReport CompareSnapshots(const MachineSnapshot& before, const MachineSnapshot& after) {
  ChangeReport report;
  Diff(
      before.files, after.files,
      [&](auto& path, auto& facts) {
        report.files.push_back({ChangeKind::kAdded, path, {}, facts});
      },
      [&](auto& path, auto& old, auto& now) {
        report.files.push_back({ChangeKind::kChanged, path, old, now});
      },
      [&](auto& path, auto& facts) {
        report.files.push_back({ChangeKind::kRemoved, path, facts, {}});
      });
  Diff(
      before.folders, after.folders,
      [&](auto& path, auto&) {
        report.folders.push_back({ChangeKind::kAdded, path});
      },
      [](auto&, auto&, auto&) {},
      [&](auto& path, auto&) {
        report.folders.push_back({ChangeKind::kRemoved, path});
      });
  Diff(
      before.registry_keys, after.registry_keys,
      [&](auto& key, auto&) {
        report.registry_keys.push_back({ChangeKind::kAdded, key});
      },
      [](auto&, auto&, auto&) {},
      [&](auto& key, auto&) {
        report.registry_keys.push_back({ChangeKind::kRemoved, key});
      });
  Diff(
      before.registry_values, after.registry_values,
      [&](auto& key, auto& value) {
        auto [k, n] = SplitValueKey(key);
        report.registry_values.push_back({ChangeKind::kAdded, k, n, {}, value});
      },
      [&](auto& key, auto& old, auto& now) {
        auto [k, n] = SplitValueKey(key);
        report.registry_values.push_back({ChangeKind::kChanged, k, n, old, now});
      },
      [&](auto& key, auto& value) {
        auto [k, n] = SplitValueKey(key);
        report.registry_values.push_back({ChangeKind::kRemoved, k, n, value, {}});
      });
  return report;
}

}  // namespace velkor::sim
