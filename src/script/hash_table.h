// Chained hash tables from text keys to text values: the table behind the variable
// store and the dialog text templates.
//
// The observable behaviour is fixed, because scripts and tests rely on it:
//  - the key hash is the ELF hash over UTF-16 code units (lower-cased first when the
//    table ignores case), and a key's bucket is its hash modulo the capacity;
//  - a new entry goes to the head of its chain;
//  - enumeration walks the buckets in index order and each chain from its head;
//  - growth doubles the capacity (32 when it was 0) when a put finds the entry count at
//    the threshold (capacity x load factor, rounded half to even), and re-links every
//    entry, in enumeration order, at the head of its new chain.
//
// Threads: a table is not synchronised. One thread at a time may use it; the variable
// store wraps its table in its own lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velkor::script {

// The one error type of the tables and the variable store; what() is UTF-8.
class HashTableError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr char kErrorModifyWhileIterating[] = "Can not modify a collection while iterating";
inline constexpr char kErrorFixedWithSizeZero[] = "Hash table is fixed with size 0";
inline constexpr char kErrorArgumentOutOfRange[] = "Argument out of range";

inline constexpr double kMinLoadFactor = 0.1;
inline constexpr double kMaxLoadFactor = 7.0;

// The ELF hash of the key's code units, as they are or lower-cased.
uint32_t ElfHash(std::u16string_view key);
uint32_t ElfHashIgnoreCase(std::u16string_view key);

class THashEnumerator;

// Buckets, growth and the iterating guard; the key functions come from the derived class.
class TCustomHashTable {
 public:
  using KeyHashFunction = uint32_t (*)(std::u16string_view key);
  using KeyEqualFunction = bool (*)(std::u16string_view a, std::u16string_view b);

  TCustomHashTable(const TCustomHashTable&) = delete;
  TCustomHashTable& operator=(const TCustomHashTable&) = delete;

  uint64_t Count() const { return count_; }
  size_t Capacity() const { return buckets_.size(); }
  size_t InitialCapacity() const { return initial_capacity_; }
  uint64_t Threshold() const { return threshold_; }
  double LoadFactor() const { return load_factor_; }
  bool FixedSize() const { return fixed_size_; }
  // True while at least one enumerator of the table exists.
  bool Iterating() const { return enumerators_ > 0; }

 protected:
  struct Entry {
    Entry* next;
    uint32_t hash;
    std::u16string key;
    std::u16string value;
  };

  // Throws kErrorArgumentOutOfRange unless kMinLoadFactor <= load_factor <= kMaxLoadFactor.
  TCustomHashTable(size_t initial_capacity, double load_factor, bool fixed_size,
                   KeyHashFunction hash, KeyEqualFunction equal);
  ~TCustomHashTable();

  const Entry* FindEntry(std::u16string_view key) const;
  void PutEntry(std::u16string_view key, std::u16string_view value);
  bool RemoveEntry(std::u16string_view key);
  void ClearEntries();
  void CheckNotIterating() const;

  // Visits every entry in enumeration order without marking the table as iterating.
  template <typename Visit>
  void ForEachEntry(Visit&& visit) const {
    for (const Entry* head : buckets_) {
      for (const Entry* e = head; e != nullptr; e = e->next) visit(*e);
    }
  }

 private:
  friend class THashEnumerator;

  void Grow();
  void ResetBuckets(size_t capacity);
  void FreeEntries();

  std::vector<Entry*> buckets_;  // owns the chains
  uint64_t count_ = 0;
  uint64_t threshold_ = 0;
  size_t initial_capacity_;
  double load_factor_;
  bool fixed_size_;
  KeyHashFunction hash_;
  KeyEqualFunction equal_;
  mutable int enumerators_ = 0;
};

enum class KeyCase { kSensitive, kInsensitive };

// Chooses the key functions: exact code units, or lower-cased hash and comparison
// ignoring case through core/case_mapping.h.
class TCustomStringHashTable : public TCustomHashTable {
 public:
  KeyCase Case() const { return case_; }

 protected:
  TCustomStringHashTable(KeyCase key_case, size_t initial_capacity, double load_factor,
                         bool fixed_size);
  ~TCustomStringHashTable() = default;

 private:
  KeyCase case_;
};

// Walks the buckets in index order and each chain from its head. While it exists the
// table counts as iterating: puts, removes, clears and loads raise
// kErrorModifyWhileIterating. It must not outlive its table.
class THashEnumerator {
 public:
  explicit THashEnumerator(const TCustomHashTable& table);
  THashEnumerator(THashEnumerator&& other) noexcept;
  THashEnumerator(const THashEnumerator&) = delete;
  THashEnumerator& operator=(const THashEnumerator&) = delete;
  THashEnumerator& operator=(THashEnumerator&&) = delete;
  ~THashEnumerator();

  // Steps to the next entry; false when there is none. Current* need a true MoveNext.
  bool MoveNext();
  const std::u16string& CurrentKey() const { return entry_->key; }
  const std::u16string& CurrentValue() const { return entry_->value; }

 private:
  const TCustomHashTable* table_;
  size_t bucket_ = 0;
  const TCustomHashTable::Entry* entry_ = nullptr;
  bool started_ = false;
};

class TStringHashTable : public TCustomStringHashTable {
 public:
  using Pair = std::pair<const std::u16string&, const std::u16string&>;

  // Yields (key, value) pairs; usable once, by MoveNext/Current or by a range-for:
  //   for (const auto& [key, value] : table.GetEnumerator()) ...
  class TPairEnumerator : public THashEnumerator {
   public:
    using THashEnumerator::THashEnumerator;
    Pair Current() const { return {CurrentKey(), CurrentValue()}; }

    class Iterator {
     public:
      using value_type = Pair;
      using difference_type = std::ptrdiff_t;
      Iterator() = default;
      explicit Iterator(TPairEnumerator* owner) : owner_(owner) {}
      Pair operator*() const { return owner_->Current(); }
      Iterator& operator++() {
        if (!owner_->MoveNext()) owner_ = nullptr;
        return *this;
      }
      void operator++(int) { ++*this; }
      bool operator==(std::default_sentinel_t) const { return owner_ == nullptr; }

     private:
      TPairEnumerator* owner_ = nullptr;
    };
    Iterator begin() { return MoveNext() ? Iterator(this) : Iterator(); }
    std::default_sentinel_t end() const { return {}; }
  };

  // Allocates the initial buckets at once when initial_capacity is not 0. A fixed-size
  // table never grows; with capacity 0 it refuses every put.
  explicit TStringHashTable(KeyCase key_case, size_t initial_capacity = 0, double load_factor = 2.0,
                            bool fixed_size = false);
  ~TStringHashTable();

  // Inserts or replaces. A replaced entry keeps the key as first given.
  void Put(std::u16string_view key, std::u16string_view value);
  bool TryGetValue(std::u16string_view key, std::u16string& value) const;
  // The stored value, valid until the table next changes; nullptr when absent.
  const std::u16string* Find(std::u16string_view key) const;
  bool ContainsKey(std::u16string_view key) const { return Find(key) != nullptr; }
  // Removes the entry when present; true when one was removed.
  bool Remove(std::u16string_view key);
  // Frees every entry and returns to the initial capacity.
  void Clear();
  TPairEnumerator GetEnumerator() const { return TPairEnumerator(*this); }

  // Stream form: per pair, a 32-bit little-endian count of UTF-16 code units and the
  // key's units (little-endian), then the same for the value; pairs until the end.
  // Saving writes the pairs in enumeration order. Loading replaces the content only
  // when the whole stream reads as pairs; otherwise it throws HashTableError and the
  // table is unchanged. Memory grows with the bytes actually read, never with the
  // counts a stream claims.
  void SaveToStream(std::ostream& out) const;
  void LoadFromStream(std::istream& in);
};

}  // namespace velkor::script
