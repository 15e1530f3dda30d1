#include "script/hash_table.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <istream>
#include <limits>
#include <ostream>

#include "core/case_mapping.h"

namespace velkor::script {
namespace {

// The textbook form of the step: shift in the unit, fold the top nibble into bits
// 4-7 and clear it. Same values as "a < 0x10000000 ? a : a ^ ((a >> 28) * 16) ^
// (a & 0xF0000000)" with a = h * 16 + c, without the branch.
inline uint32_t ElfStep(uint32_t h, char16_t c) {
  h = (h << 4) + c;
  const uint32_t top = h & 0xF0000000u;
  return (h ^ (top >> 24)) & ~top;
}

bool EqualExact(std::u16string_view a, std::u16string_view b) {
  return a == b;
}

bool EqualIgnoringCase(std::u16string_view a, std::u16string_view b) {
  return core::EqualIgnoreCase(a, b);
}

// Ties go to the even neighbour, so 2.5 becomes 2 and 3.5 becomes 4.
uint64_t RoundHalfEven(double x) {
  const double floor = std::floor(x);
  const double diff = x - floor;
  double r = floor;
  if (diff > 0.5 || (diff == 0.5 && std::fmod(floor, 2.0) != 0.0)) r = floor + 1;
  return static_cast<uint64_t>(r);
}

}  // namespace

uint32_t ElfHash(std::u16string_view key) {
  uint32_t h = 0;
  for (char16_t c : key) h = ElfStep(h, c);
  return h;
}

uint32_t ElfHashIgnoreCase(std::u16string_view key) {
  uint32_t h = 0;
  for (char16_t c : key) h = ElfStep(h, core::LowerChar(c));
  return h;
}

// ---- TCustomHashTable ----------------------------------------------------------------

TCustomHashTable::TCustomHashTable(size_t initial_capacity, double load_factor, bool fixed_size,
                                   KeyHashFunction hash, KeyEqualFunction equal)
    : initial_capacity_(initial_capacity),
      load_factor_(load_factor),
      fixed_size_(fixed_size),
      hash_(hash),
      equal_(equal) {
  // Written so that NaN fails too.
  if (!(load_factor >= kMinLoadFactor && load_factor <= kMaxLoadFactor)) {
    throw HashTableError(kErrorArgumentOutOfRange);
  }
  ResetBuckets(initial_capacity);
}

TCustomHashTable::~TCustomHashTable() {
  FreeEntries();
}

void TCustomHashTable::CheckNotIterating() const {
  if (Iterating()) throw HashTableError(kErrorModifyWhileIterating);
}

void TCustomHashTable::ResetBuckets(size_t capacity) {
  buckets_.assign(capacity, nullptr);
  buckets_.shrink_to_fit();
  threshold_ = RoundHalfEven(static_cast<double>(capacity) * load_factor_);
  count_ = 0;
}

// Iterative, so that a long chain (a fixed-size table) cannot exhaust the stack.
void TCustomHashTable::FreeEntries() {
  for (Entry*& head : buckets_) {
    while (head != nullptr) {
      Entry* next = head->next;
      delete head;
      head = next;
    }
  }
}

void TCustomHashTable::Grow() {
  const size_t old_capacity = buckets_.size();
  if (old_capacity > std::numeric_limits<size_t>::max() / 2) {
    throw HashTableError("Hash table cannot grow beyond its current capacity");
  }
  const size_t capacity = old_capacity == 0 ? 32 : old_capacity * 2;
  std::vector<Entry*> buckets(capacity, nullptr);
  for (Entry* head : buckets_) {
    while (head != nullptr) {
      Entry* next = head->next;
      Entry*& slot = buckets[head->hash % capacity];
      head->next = slot;
      slot = head;
      head = next;
    }
  }
  buckets_.swap(buckets);
  threshold_ = RoundHalfEven(static_cast<double>(capacity) * load_factor_);
}

const TCustomHashTable::Entry* TCustomHashTable::FindEntry(std::u16string_view key) const {
  if (buckets_.empty()) return nullptr;
  const uint32_t hash = hash_(key);
  for (const Entry* e = buckets_[hash % buckets_.size()]; e != nullptr; e = e->next) {
    if (e->hash == hash && equal_(e->key, key)) return e;
  }
  return nullptr;
}

void TCustomHashTable::PutEntry(std::u16string_view key, std::u16string_view value) {
  CheckNotIterating();
  // The growth test comes before the search, so replacing a value can grow the table too.
  if (count_ >= threshold_ && !fixed_size_) Grow();
  if (buckets_.empty()) throw HashTableError(kErrorFixedWithSizeZero);
  const uint32_t hash = hash_(key);
  Entry*& head = buckets_[hash % buckets_.size()];
  for (Entry* e = head; e != nullptr; e = e->next) {
    if (e->hash == hash && equal_(e->key, key)) {
      e->value.assign(value);
      return;
    }
  }
  head = new Entry{head, hash, std::u16string(key), std::u16string(value)};
  ++count_;
}

bool TCustomHashTable::RemoveEntry(std::u16string_view key) {
  CheckNotIterating();
  if (buckets_.empty()) return false;
  const uint32_t hash = hash_(key);
  for (Entry** link = &buckets_[hash % buckets_.size()]; *link != nullptr; link = &(*link)->next) {
    Entry* e = *link;
    if (e->hash == hash && equal_(e->key, key)) {
      *link = e->next;
      delete e;
      --count_;
      return true;
    }
  }
  return false;
}

void TCustomHashTable::ClearEntries() {
  // An enumerator would be left pointing at freed entries.
  CheckNotIterating();
  FreeEntries();
  ResetBuckets(initial_capacity_);
}

// ---- TCustomStringHashTable ----------------------------------------------------------

TCustomStringHashTable::TCustomStringHashTable(KeyCase key_case, size_t initial_capacity,
                                               double load_factor, bool fixed_size)
    : TCustomHashTable(initial_capacity, load_factor, fixed_size,
                       key_case == KeyCase::kSensitive ? &ElfHash : &ElfHashIgnoreCase,
                       key_case == KeyCase::kSensitive ? &EqualExact : &EqualIgnoringCase),
      case_(key_case) {}

// ---- THashEnumerator -----------------------------------------------------------------

THashEnumerator::THashEnumerator(const TCustomHashTable& table) : table_(&table) {
  ++table_->enumerators_;
}

THashEnumerator::THashEnumerator(THashEnumerator&& other) noexcept
    : table_(other.table_), bucket_(other.bucket_), entry_(other.entry_), started_(other.started_) {
  other.table_ = nullptr;
}

THashEnumerator::~THashEnumerator() {
  if (table_ != nullptr) --table_->enumerators_;
}

bool THashEnumerator::MoveNext() {
  if (table_ == nullptr) return false;
  const auto& buckets = table_->buckets_;
  if (!started_) {
    started_ = true;
    bucket_ = 0;
    entry_ = buckets.empty() ? nullptr : buckets[0];
  } else if (entry_ != nullptr) {
    entry_ = entry_->next;
  }
  while (entry_ == nullptr && bucket_ + 1 < buckets.size()) entry_ = buckets[++bucket_];
  if (entry_ == nullptr) bucket_ = buckets.size();
  return entry_ != nullptr;
}

// ---- TStringHashTable ----------------------------------------------------------------

TStringHashTable::TStringHashTable(KeyCase key_case, size_t initial_capacity, double load_factor,
                                   bool fixed_size)
    : TCustomStringHashTable(key_case, initial_capacity, load_factor, fixed_size) {}

TStringHashTable::~TStringHashTable() = default;

void TStringHashTable::Put(std::u16string_view key, std::u16string_view value) {
  PutEntry(key, value);
}

bool TStringHashTable::TryGetValue(std::u16string_view key, std::u16string& value) const {
  const Entry* e = FindEntry(key);
  if (e == nullptr) return false;
  value = e->value;
  return true;
}

const std::u16string* TStringHashTable::Find(std::u16string_view key) const {
  const Entry* e = FindEntry(key);
  return e == nullptr ? nullptr : &e->value;
}

bool TStringHashTable::Remove(std::u16string_view key) {
  return RemoveEntry(key);
}

void TStringHashTable::Clear() {
  ClearEntries();
}

// ---- stream form ---------------------------------------------------------------------

namespace {

void WriteText(std::ostream& out, std::u16string_view text) {
  if (text.size() > std::numeric_limits<uint32_t>::max()) {
    throw HashTableError("Hash table text too long for its stream form");
  }
  const auto n = static_cast<uint32_t>(text.size());
  const char count[4] = {static_cast<char>(n & 0xFF), static_cast<char>((n >> 8) & 0xFF),
                         static_cast<char>((n >> 16) & 0xFF), static_cast<char>(n >> 24)};
  out.write(count, 4);
  std::array<char, 8192> buffer;
  size_t i = 0;
  while (i < text.size()) {
    size_t used = 0;
    for (; i < text.size() && used < buffer.size(); ++i) {
      buffer[used++] = static_cast<char>(text[i] & 0xFF);
      buffer[used++] = static_cast<char>(text[i] >> 8);
    }
    out.write(buffer.data(), static_cast<std::streamsize>(used));
  }
}

class StreamReader {
 public:
  explicit StreamReader(std::istream& in) : in_(in) {}

  // Reads a count; false at a clean end of the stream (no byte left).
  bool ReadCount(uint32_t& count, const char* what) {
    unsigned char bytes[4];
    const size_t got = Read(reinterpret_cast<char*>(bytes), 4);
    if (got == 0) return false;
    if (got < 4) Fail(what);
    count = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
    return true;
  }

  // Reads in slices, so a hostile count costs no more memory than the bytes present.
  std::u16string ReadText(uint32_t units, const char* what) {
    std::u16string text;
    std::array<char, 16384> buffer;
    uint64_t left = units;
    while (left > 0) {
      const size_t want = static_cast<size_t>(std::min<uint64_t>(left, buffer.size() / 2));
      const size_t got = Read(buffer.data(), want * 2);
      if (got < want * 2) Fail(what);
      for (size_t k = 0; k < got; k += 2) {
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(buffer[k]) |
                                             (static_cast<unsigned char>(buffer[k + 1]) << 8)));
      }
      left -= want;
    }
    return text;
  }

 private:
  size_t Read(char* data, size_t n) {
    in_.read(data, static_cast<std::streamsize>(n));
    if (in_.bad()) throw HashTableError("Hash table stream could not be read");
    return static_cast<size_t>(in_.gcount());
  }

  [[noreturn]] static void Fail(const char* what) {
    throw HashTableError(std::string("Hash table stream is truncated: it ends inside ") + what);
  }

  std::istream& in_;
};

}  // namespace

void TStringHashTable::SaveToStream(std::ostream& out) const {
  ForEachEntry([&](const Entry& e) {
    WriteText(out, e.key);
    WriteText(out, e.value);
  });
  out.flush();
  if (!out) throw HashTableError("Hash table stream could not be written");
}

void TStringHashTable::LoadFromStream(std::istream& in) {
  CheckNotIterating();
  StreamReader reader(in);
  std::vector<std::pair<std::u16string, std::u16string>> pairs;
  uint32_t units = 0;
  while (reader.ReadCount(units, "a key's length")) {
    std::u16string key = reader.ReadText(units, "a key");
    if (!reader.ReadCount(units, "a value's length")) {
      throw HashTableError("Hash table stream is truncated: a key has no value");
    }
    pairs.emplace_back(std::move(key), reader.ReadText(units, "a value"));
  }
  // Refused before clearing, so that a failed load leaves the table as it was.
  if (!pairs.empty() && FixedSize() && InitialCapacity() == 0) {
    throw HashTableError(kErrorFixedWithSizeZero);
  }
  Clear();
  for (const auto& [key, value] : pairs) Put(key, value);
}

}  // namespace velkor::script
