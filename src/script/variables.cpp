#include "script/variables.h"

#include <optional>
#include <utility>

#include "core/case_mapping.h"
#include "core/delimited_text.h"

namespace velkor::script {
namespace {

// Whether the value is the name's own reference, which would only refer to itself.
bool IsOwnReference(std::u16string_view name, std::u16string_view value) {
  return value.size() == name.size() + 2 && value.front() == u'$' && value.back() == u'$' &&
         core::EqualIgnoreCase(value.substr(1, name.size()), name);
}

// Names stand at even positions; a match at a value position does not count.
bool NameInList(const std::vector<std::u16string>& list, std::u16string_view name) {
  for (size_t i = 0; i < list.size(); i += 2) {
    if (core::EqualIgnoreCase(list[i], name)) return true;
  }
  return false;
}

std::u16string_view ReferencedName(std::u16string_view reference) {
  if (reference.size() >= 2 && reference.front() == u'$' && reference.back() == u'$' &&
      reference.find(u'$', 1) == reference.size() - 1) {
    return reference.substr(1, reference.size() - 2);
  }
  return reference;
}

std::optional<std::u16string> ReadReference(const TVariableManager& store,
                                            std::u16string_view reference) {
  std::u16string value;
  if (!store.TryGetItem(ReferencedName(reference), value)) return std::nullopt;
  return store.Expand(value);
}

}  // namespace

void Variables::SetCommandLineLists(std::vector<std::u16string> equals_list,
                                    std::vector<std::u16string> colon_list) {
  equals_list_ = std::move(equals_list);
  colon_list_ = std::move(colon_list);
}

std::u16string Variables::GetVariable(std::u16string_view name) const {
  return store_.GetItem(name);
}

bool Variables::VariableExists(std::u16string_view name) const {
  return store_.Exists(name);
}

void Variables::DefineVariable(std::u16string_view name, std::u16string_view value,
                               std::u16string_view writer_tag) {
  if (IsOwnReference(name, value)) value = {};
  if (store_.Exists(name)) {
    SetVariable(name, value, writer_tag);
  } else {
    store_.AddItem(name, value);
  }
}

bool Variables::Protected(std::u16string_view upper_name, std::u16string_view writer_tag) const {
  if (Silent() && writer_tag != kTagInjectOverride && NameInList(equals_list_, upper_name)) {
    return true;
  }
  return writer_tag != kTagInjectOverrideEx && NameInList(colon_list_, upper_name);
}

void Variables::SetVariable(std::u16string_view name, std::u16string_view value,
                            std::u16string_view writer_tag) {
  const std::u16string upper = core::Upper(name);
  if (Protected(upper, writer_tag)) return;
  if (store_.Exists(upper)) {
    store_.SetItem(upper, IsOwnReference(upper, value) ? std::u16string_view() : value);
  } else {
    DefineVariable(upper, value, writer_tag);
  }
}

void Variables::RemoveVariable(std::u16string_view name) {
  if (!name.empty() && store_.Exists(name)) store_.RemoveItem(name);
}

void Variables::ClearVariables() {
  std::vector<std::u16string> names;
  store_.ListNames(names);
  for (const auto& name : names) store_.RemoveItem(name);
}

std::u16string Variables::VariablesToText() const {
  std::vector<std::u16string> items;
  store_.ListItems(items);
  return core::ToCommaText(items);
}

void Variables::VariablesFromText(std::u16string_view text) {
  const std::vector<std::u16string> items = core::FromCommaText(text);
  for (size_t k = 0; k + 1 < items.size(); k += 2) store_.AddItem(items[k], items[k + 1]);
}

std::u16string Variables::ExpandVariables(std::u16string_view text) const {
  return store_.Expand(text);
}

std::u16string Variables::ExpandVariablesQuoted(std::u16string_view text) const {
  return store_.ExpandQuoted(text);
}

std::u16string Variables::ReadVariableReference(std::u16string_view reference) const {
  return ReadReference(store_, reference).value_or(std::u16string());
}

std::u16string Variables::ReadVariableReferenceOrMarker(std::u16string_view reference) const {
  return ReadReference(store_, reference).value_or(std::u16string(kUndefinedMarker));
}

}  // namespace velkor::script
