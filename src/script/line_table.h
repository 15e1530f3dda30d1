// Lists of text lines as the loaded script keeps them. The lines of one list live in
// one buffer (a script has hundreds of thousands of short lines), and a list that is
// searched by value keeps a hash index on the line text, compared without regard to
// case, that finds the first equal line in constant time on average.
//
// Ownership and threads: plain values. After the load the lists are only read, and any
// thread may read them; a list being appended to must not be read at the same time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velkor::script {

class LineList {
 public:
  // Room for `lines` more lines of `chars` characters in all.
  void Reserve(size_t lines, size_t chars);
  void Append(std::u16string_view line);
  size_t size() const { return ends_.size(); }
  bool empty() const { return ends_.empty(); }
  // The line at `index`; the empty text past the end of the list. The view stays valid
  // until the next Append.
  std::u16string_view at(size_t index) const;
  std::u16string_view operator[](size_t index) const { return at(index); }

 private:
  std::u16string chars_;
  std::vector<size_t> ends_;  // one past the last character of each line
};

// A LineList with an index from the line text (ignoring case) to its first position.
class IndexedLines {
 public:
  // Room for `lines` more lines of `chars` characters in all.
  void Reserve(size_t lines, size_t chars);
  void Append(std::u16string_view line);
  size_t size() const { return lines_.size(); }
  bool empty() const { return lines_.empty(); }
  std::u16string_view at(size_t index) const { return lines_.at(index); }
  std::u16string_view operator[](size_t index) const { return lines_.at(index); }
  // Position of the first line equal to `line` without regard to case.
  std::optional<size_t> Find(std::u16string_view line) const;
  bool Contains(std::u16string_view line) const { return Find(line).has_value(); }

 private:
  // Open addressing with linear probing, kept at most half full. A slot holds the
  // position + 1 of the first occurrence of a distinct line (0: empty) and the line's
  // hash, so that growing and most mismatches never look at the text.
  struct Slot {
    uint32_t entry = 0;
    uint32_t hash = 0;
  };

  // Slot of `line`: the slot holding its first occurrence, or the empty slot where it
  // belongs.
  size_t Probe(std::u16string_view line, uint32_t hash) const;
  void Rehash(size_t slot_count);

  LineList lines_;
  std::vector<Slot> slots_;
  size_t distinct_ = 0;
};

// (name, value) pairs with the index on the names: the first pair of a name wins.
template <typename Value>
class KeyedPairs {
 public:
  void Append(std::u16string_view name, Value value) {
    names_.Append(name);
    values_.push_back(std::move(value));
  }
  size_t size() const { return values_.size(); }
  bool empty() const { return values_.empty(); }
  std::u16string_view name(size_t index) const { return names_.at(index); }
  const Value& value(size_t index) const { return values_.at(index); }
  std::optional<size_t> Find(std::u16string_view name) const { return names_.Find(name); }

 private:
  IndexedLines names_;
  std::vector<Value> values_;
};

}  // namespace velkor::script
