#include "wizard/dialog_registry.h"

#include "core/case_mapping.h"
#include "core/decimal.h"

namespace velkor::wizard {

void DialogRegistry::InitDialogs(std::u16string_view support_folder, script::Variables& variables) {
  support_folder_ = std::u16string(support_folder);
  if (support_folder_.empty() || support_folder_.back() != u'\\') support_folder_ += u'\\';
  keys_.clear();
  files_.clear();
  current_key_.clear();
  variables.SetVariable(u"KEVO_IsCancelled", u"FALSE", u"ShowDesign");
}

std::optional<platform::WindowHandle> DialogRegistry::LoadDialog(std::u16string_view key,
                                                                 std::u16string_view dialog_file) {
  std::optional<size_t> position = Position(key);
  if (!position) {
    keys_.push_back(core::Upper(key));
    position = keys_.size() - 1;
  }
  files_.emplace_back(core::DecimalText(static_cast<uint64_t>(*position)),
                      std::u16string(dialog_file));
  return std::nullopt;
}

std::optional<std::u16string> DialogRegistry::DialogFile(std::u16string_view key) const {
  const std::optional<size_t> position = Position(key);
  if (!position) return std::nullopt;
  const std::u16string wanted = core::DecimalText(static_cast<uint64_t>(*position));
  for (const auto& [position_text, path] : files_) {
    if (position_text == wanted) return path;
  }
  return std::nullopt;
}

std::optional<size_t> DialogRegistry::Position(std::u16string_view key) const {
  const std::u16string upper = core::Upper(key);
  for (size_t i = 0; i < keys_.size(); ++i) {
    if (keys_[i] == upper) return i;
  }
  return std::nullopt;
}

}  // namespace velkor::wizard
