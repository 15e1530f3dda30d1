// The sandbox machine's registry, kept in one SQLite file of the machine folder.
//
// It behaves as the Windows registry does for the calls of `Registry`: five roots,
// case-insensitive names kept as first given, subkeys listed in name order and values
// in creation order, recursive delete, Windows error codes, and on 64-bit Windows the
// 32-bit view that redirects HKLM\SOFTWARE (and the COM parts of the class keys) into
// WOW6432Node. Only two hives are stored: HKEY_LOCAL_MACHINE and HKEY_USERS; the
// other roots are aliases into them as on Windows:
//   HKEY_CURRENT_USER   = HKEY_USERS\<user SID>
//   HKEY_CLASSES_ROOT   = HKCU\Software\Classes over HKLM\SOFTWARE\Classes (merged)
//   HKEY_CURRENT_CONFIG = HKLM\SYSTEM\CurrentControlSet\Hardware Profiles\Current
//
// Names are taken as the Windows API takes them: a name ends at its first NUL, empty
// path components are skipped, a leading backslash is ERROR_BAD_PATHNAME, and key
// names over 255 characters, value names over 16383 and paths deeper than 512 keys are
// ERROR_INVALID_PARAMETER. Deleting a root (an empty path) is refused the same way.
//
// Every call is one SQLite transaction (synchronous FULL, write-ahead log), so a crash
// leaves each call wholly done or not done; `Transaction` groups several calls.
// Any thread may call; calls are serialized on one connection. Several processes may
// open the same file.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace velkor::platform::sandbox {

class RegistryStore;  // the SQLite file, private to sandbox_registry.cpp

// The facts of the machine and process that change what a registry call means.
struct RegistryFacts {
  bool is_64bit_windows = true;
  // A 32-bit process on 64-bit Windows: RegistryView::kDefault is then the 32-bit view.
  bool wow64_process = false;
  // HKEY_CURRENT_USER is HKEY_USERS\<user_sid>.
  std::u16string user_sid = u"S-1-5-21-3623811015-3361044348-30300820-1001";
  // False models a standard user: changes under HKLM and other users' hives fail with
  // ERROR_ACCESS_DENIED; reading stays allowed.
  bool machine_writable = true;
};

class SandboxRegistry : public Registry {
 public:
  // Opens the registry file, creating it (empty but for the roots) when missing.
  // Fails when the file cannot be created, is not a registry or is damaged.
  static Result<std::unique_ptr<SandboxRegistry>> Open(const std::filesystem::path& db_file,
                                                       const RegistryFacts& facts);
  ~SandboxRegistry() override;
  SandboxRegistry(const SandboxRegistry&) = delete;
  SandboxRegistry& operator=(const SandboxRegistry&) = delete;

  Status CreateKey(RegistryRoot root, std::u16string_view key, RegistryView view) override;
  bool KeyExists(RegistryRoot root, std::u16string_view key, RegistryView view) override;
  Status DeleteKey(RegistryRoot root, std::u16string_view key, RegistryView view) override;
  Result<RegistryValue> ReadValue(RegistryRoot root, std::u16string_view key,
                                  std::u16string_view name, RegistryView view) override;
  Status WriteValue(RegistryRoot root, std::u16string_view key, std::u16string_view name,
                    const RegistryValue& value, RegistryView view) override;
  Status DeleteValue(RegistryRoot root, std::u16string_view key, std::u16string_view name,
                     RegistryView view) override;
  Result<std::vector<std::u16string>> EnumerateKeys(RegistryRoot root, std::u16string_view key,
                                                    RegistryView view) override;
  Result<std::vector<std::u16string>> EnumerateValues(RegistryRoot root, std::u16string_view key,
                                                      RegistryView view) override;

  // Runs `body` as one transaction: its calls on this registry all persist when it
  // returns success and none do otherwise. Other threads wait until it ends; `body`
  // may call this registry (from the calling thread only) and may nest transactions.
  Status Transaction(const std::function<Status()>& body);

  // Runs `body` in one transaction unless a run under the same marker has succeeded
  // before on this file; the marker is recorded in that same transaction. The body
  // sets the machine up, so it may change HKLM even when `machine_writable` is false.
  Status RunOnce(std::u16string_view marker, const std::function<Status()>& body);

  // Checks the file (SQLite's integrity check) and the tree: every key and value
  // reachable from a root. ERROR_BADDB with the first fault otherwise.
  Status VerifyIntegrity();

  const RegistryFacts& facts() const { return facts_; }

 private:
  SandboxRegistry(std::unique_ptr<RegistryStore> store, RegistryFacts facts);

  // Runs `body` under the lock in a transaction, committing when it succeeds.
  template <typename Body>
  auto Locked(bool write, Body&& body) -> decltype(body());

  std::recursive_mutex mutex_;  // guards store_ and setting_up_
  std::unique_ptr<RegistryStore> store_;
  bool setting_up_ = false;  // inside a RunOnce body
  const RegistryFacts facts_;
};

}  // namespace velkor::platform::sandbox
