// The message table: the engine's 126 replaceable user-visible texts, numbered from 1 in
// the line order of a language file. A language file replaces all of them at once. One
// table per process, owned by the entry; main thread only.
#pragma once

#include <array>
#include <string>

namespace velkor::startup {

// Entry numbers the engine refers to by name.
namespace message {
inline constexpr int kResourceNotFound = 2;
inline constexpr int kResourceDecompressionFailure = 3;
inline constexpr int kRuntimeErrorInInstall = 5;
inline constexpr int kWizardCaption = 23;
inline constexpr int kPreparingText = 24;
}  // namespace message

// Entries 91 to 111 have no text: a language file holds lines for them that are read and
// discarded.
inline constexpr int kFirstUnusedEntry = 91;
inline constexpr int kLastUnusedEntry = 111;

class MessageTable {
 public:
  static constexpr int kEntryCount = 126;

  // Every entry holds its default text.
  MessageTable();

  // Entry 1 .. kEntryCount; any other number reads as empty and is never written.
  const std::u16string& Text(int entry) const;
  void SetText(int entry, std::u16string text);

  static const std::u16string& DefaultText(int entry);

 private:
  std::array<std::u16string, kEntryCount> texts_;
};

}  // namespace velkor::startup
