// The variable store: the one process-wide table of named text variables, shared by
// the interpreter, the dialogs and the worker threads.
//
// Names compare and hash ignoring case (core/case_mapping.h); a name is stored as given
// to its first definition. The empty text is a value; an undefined name reads as empty
// and Exists() tells the two apart. An empty name is never stored.
//
// Ownership: the program creates one store at start-up, before anything uses it, and
// passes it by reference to whoever needs it; it lives until the process ends.
//
// Threads: every method may be called from any thread. Writes always take the store's
// recursive lock; reads take it too while LockReads() is set (the store is created
// with it set). Compound steps built on the store (test, then write) take the lock once
// per step, so they are not atomic as a whole. ListItems and ListNames are meant for
// the main thread at moments when no worker runs; they hold the lock while they
// enumerate, so that a worker's write waits instead of racing the enumeration.
#pragma once

#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "script/hash_table.h"

namespace velkor::script {

class TVariableManager {
 public:
  // Case-insensitive table, load factor 2.0, no buckets until the first definition.
  TVariableManager();
  TVariableManager(const TVariableManager&) = delete;
  TVariableManager& operator=(const TVariableManager&) = delete;

  // Clearing the flag makes reads skip the lock: only for a store one thread uses.
  bool LockReads() const { return lock_reads_.load(std::memory_order_relaxed); }
  void SetLockReads(bool lock_reads) { lock_reads_.store(lock_reads, std::memory_order_relaxed); }

  // Insert or replace; AddItem and SetItem are the same operation.
  void AddItem(std::u16string_view name, std::u16string_view value);
  void SetItem(std::u16string_view name, std::u16string_view value);
  bool Exists(std::u16string_view name) const;
  // The value, or the empty text when the name is not defined.
  std::u16string GetItem(std::u16string_view name) const;
  // One locked lookup that both tests and reads; false when not defined.
  bool TryGetItem(std::u16string_view name, std::u16string& value) const;
  // Removes the variable when it is defined.
  void RemoveItem(std::u16string_view name);

  // Replace the list's content with name, value, name, value, ... (ListItems) or the
  // names (ListNames), in the table's enumeration order; return the number of lines.
  size_t ListItems(std::vector<std::u16string>& list) const;
  size_t ListNames(std::vector<std::u16string>& list) const;

  // Replaces variable references ($NAME$) in the text. Scan: the first "$" at or
  // after the scan position opens a candidate, the next "$" closes it. A defined name
  // is replaced, dollar signs included, by its value (ExpandQuoted: by the value
  // between double quotes) and the scan continues at the start of the inserted text,
  // so references inside values expand too. Otherwise the candidate stays, and its
  // closing "$" becomes the next candidate opening. So "$100 for $ITEM$" expands ITEM,
  // "$$" stays, and an unterminated "$NAME" stays.
  //
  // Self-reference: a reference is kept as it stands, like an undefined name, when it
  // lies wholly inside text inserted for the same variable (its dollar signs and name
  // all come from that variable's value, or from values inserted within it). From
  // there the scan would repeat the same steps forever; every expansion that ends
  // without this rule ends with it in the same result. With X = "a$X$", "$X$" gives
  // "a$X$"; with A = "$B$" and B = "$A$", "$A$" gives "$A$". A reference that only
  // straddles the end of an inserted value (closing "$" in the text around it) is
  // expanded as usual.
  //
  // Cost is linear in the input plus the inserted text (a reference inside inserted
  // text also compares its name with those of the values around it); each lookup
  // takes the lock on its own. Values that legitimately multiply (A = "$B$$B$",
  // B = "$C$$C$", ...) still produce their full result.
  std::u16string Expand(std::u16string_view text) const;
  std::u16string ExpandQuoted(std::u16string_view text) const;

  // The table's current bucket count (diagnostics and tests).
  size_t Capacity() const;

 private:
  std::u16string ExpandText(std::u16string_view text, bool quoted) const;

  mutable std::recursive_mutex mutex_;
  std::atomic<bool> lock_reads_{true};
  TStringHashTable table_;
};

}  // namespace velkor::script
