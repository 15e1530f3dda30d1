#include "script/line_table.h"

#include <limits>
#include <stdexcept>

#include "core/case_mapping.h"

namespace velkor::script {
namespace {

// FNV-1a over the lower-cased code units, so that lines equal without regard to case
// hash alike.
uint32_t LineHash(std::u16string_view line) {
  uint64_t hash = 14695981039346656037ull;
  for (const char16_t c : line) {
    // ASCII inline: almost every script line is ASCII.
    hash ^= c < 0x80 ? (c >= u'A' && c <= u'Z' ? c + 32 : c) : core::LowerChar(c);
    hash *= 1099511628211ull;
  }
  return static_cast<uint32_t>(hash ^ (hash >> 32));
}

}  // namespace

void LineList::Reserve(size_t lines, size_t chars) {
  ends_.reserve(ends_.size() + lines);
  chars_.reserve(chars_.size() + chars);
}

void LineList::Append(std::u16string_view line) {
  chars_.append(line);
  ends_.push_back(chars_.size());
}

std::u16string_view LineList::at(size_t index) const {
  if (index >= ends_.size()) return {};
  const size_t begin = index == 0 ? 0 : ends_[index - 1];
  return std::u16string_view(chars_).substr(begin, ends_[index] - begin);
}

// The index is left to grow with the distinct lines: sizing it for every line would
// cost a table of mostly repeated lines several times its text.
void IndexedLines::Reserve(size_t lines, size_t chars) {
  lines_.Reserve(lines, chars);
}

void IndexedLines::Append(std::u16string_view line) {
  const size_t position = lines_.size();
  if (position >= std::numeric_limits<uint32_t>::max() - 1) {
    throw std::length_error("too many lines in one script table");
  }
  lines_.Append(line);
  const std::u16string_view stored = lines_.at(position);
  if ((distinct_ + 1) * 2 > slots_.size()) Rehash(slots_.empty() ? 16 : slots_.size() * 2);
  const uint32_t hash = LineHash(stored);
  Slot& slot = slots_[Probe(stored, hash)];
  if (slot.entry != 0) return;  // an earlier equal line keeps the index
  slot = Slot{static_cast<uint32_t>(position + 1), hash};
  ++distinct_;
}

std::optional<size_t> IndexedLines::Find(std::u16string_view line) const {
  if (slots_.empty()) return std::nullopt;
  const Slot& slot = slots_[Probe(line, LineHash(line))];
  if (slot.entry == 0) return std::nullopt;
  return slot.entry - 1;
}

size_t IndexedLines::Probe(std::u16string_view line, uint32_t hash) const {
  const size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.entry == 0) return i;
    if (slot.hash == hash && core::EqualIgnoreCase(lines_.at(slot.entry - 1), line)) return i;
  }
}

void IndexedLines::Rehash(size_t slot_count) {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(slot_count, Slot{});
  const size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (slot.entry == 0) continue;
    size_t i = slot.hash & mask;
    while (slots_[i].entry != 0) i = (i + 1) & mask;
    slots_[i] = slot;
  }
}

}  // namespace velkor::script
