// The Windows registry: keys under the five roots, in the 32-bit or 64-bit view.
// Calls address a key by root and subkey path ("Software\Vendor\Product"); there are no
// open handles to leak. Any thread may call.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace velkor::platform {

enum class RegistryRoot { kClassesRoot, kCurrentUser, kLocalMachine, kUsers, kCurrentConfig };

// kDefault is the process's own view (the 32-bit view for a 32-bit process on 64-bit
// Windows); kView32 and kView64 are KEY_WOW64_32KEY and KEY_WOW64_64KEY.
enum class RegistryView { kDefault, kView32, kView64 };

enum class RegistryType : uint32_t {
  kNone = 0,
  kString = 1,        // REG_SZ
  kExpandString = 2,  // REG_EXPAND_SZ
  kBinary = 3,        // REG_BINARY
  kDword = 4,         // REG_DWORD
  kMultiString = 7,   // REG_MULTI_SZ
  kQword = 11,        // REG_QWORD
};

// A value as Windows stores it: its type and its raw data bytes.
struct RegistryValue {
  RegistryType type = RegistryType::kNone;
  std::string data;

  static RegistryValue String(std::u16string_view text, RegistryType type = RegistryType::kString);
  static RegistryValue Dword(uint32_t value);
  static RegistryValue Qword(uint64_t value);
  static RegistryValue Binary(std::string_view bytes);
  static RegistryValue MultiString(const std::vector<std::u16string>& lines);

  // Text of a string value (data up to its first NUL); empty for other types.
  std::u16string AsString() const;
  // Number of a DWORD value (also of shorter data, zero-extended); 0 for other types.
  uint32_t AsDword() const;
  uint64_t AsQword() const;
  std::vector<std::u16string> AsMultiString() const;

  bool operator==(const RegistryValue&) const = default;
};

class Registry {
 public:
  virtual ~Registry() = default;

  // Creates the key and its missing parents; an existing key is success.
  virtual Status CreateKey(RegistryRoot root, std::u16string_view key, RegistryView view) = 0;
  virtual bool KeyExists(RegistryRoot root, std::u16string_view key, RegistryView view) = 0;
  // Deletes the key with all its subkeys and values; a missing key fails with kFileNotFound.
  virtual Status DeleteKey(RegistryRoot root, std::u16string_view key, RegistryView view) = 0;

  // The empty name is the key's default value. Missing key or value: kFileNotFound.
  virtual Result<RegistryValue> ReadValue(RegistryRoot root, std::u16string_view key,
                                          std::u16string_view name, RegistryView view) = 0;
  // The key must exist (kFileNotFound otherwise).
  virtual Status WriteValue(RegistryRoot root, std::u16string_view key, std::u16string_view name,
                            const RegistryValue& value, RegistryView view) = 0;
  virtual Status DeleteValue(RegistryRoot root, std::u16string_view key, std::u16string_view name,
                             RegistryView view) = 0;

  // Names of the direct subkeys and of the values, in the registry's own order.
  virtual Result<std::vector<std::u16string>> EnumerateKeys(RegistryRoot root,
                                                            std::u16string_view key,
                                                            RegistryView view) = 0;
  virtual Result<std::vector<std::u16string>> EnumerateValues(RegistryRoot root,
                                                              std::u16string_view key,
                                                              RegistryView view) = 0;
};

}  // namespace velkor::platform
