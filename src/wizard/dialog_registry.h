// The dialog registry: which "Display Dialog" statements have a dialog and where its
// dialog file lies. Keys are the decimal statement indexes, compared upper-cased. The
// dialog hosts themselves are not kept here yet: a loaded dialog is registered with its
// file and no host. One registry per process, owned by the entry; main thread only.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/user_interface.h"
#include "script/variables.h"

namespace velkor::wizard {

class DialogRegistry {
 public:
  // Once at start-up, before any LoadDialog: keeps the support folder, empties the
  // registry, clears the current dialog key and sets KEVO_IsCancelled to "FALSE".
  void InitDialogs(std::u16string_view support_folder, script::Variables& variables);

  // Registers the key (once; a key loaded again keeps its position) and appends the
  // pair (key position, dialog file path). The window handle of the new host, or nullopt
  // when no host was created; the key then stays registered without one.
  std::optional<platform::WindowHandle> LoadDialog(std::u16string_view key,
                                                   std::u16string_view dialog_file);

  // The dialog file of a key: the path of the first pair for its position, the one a
  // host is recreated from.
  std::optional<std::u16string> DialogFile(std::u16string_view key) const;

  const std::u16string& support_folder() const { return support_folder_; }
  // Keys in the order they were first loaded (upper-cased).
  const std::vector<std::u16string>& keys() const { return keys_; }
  // (key position as decimal text, dialog file path), one per LoadDialog call.
  const std::vector<std::pair<std::u16string, std::u16string>>& files() const { return files_; }
  const std::u16string& current_key() const { return current_key_; }

 private:
  std::optional<size_t> Position(std::u16string_view key) const;

  std::u16string support_folder_;  // with a trailing backslash
  std::vector<std::u16string> keys_;
  std::vector<std::pair<std::u16string, std::u16string>> files_;
  std::u16string current_key_;
};

}  // namespace velkor::wizard
