// The variable store against a standard unordered_map doing the same work: the same
// names, values and texts, the same lock per operation, and an expansion that splices
// values into one text and rescans them. Run both with one binary, so the ratios
// compare like with like:
//   velkor_bench --benchmark_filter=Store
#include <benchmark/benchmark.h>

#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/case_mapping.h"
#include "core/text.h"
#include "script/variable_manager.h"

namespace {

using velkor::core::U16;
using velkor::script::TVariableManager;

struct IgnoreCaseHash {
  using is_transparent = void;
  size_t operator()(std::u16string_view key) const {
    return std::hash<std::u16string>{}(velkor::core::Lower(key));
  }
};

struct IgnoreCaseEqual {
  using is_transparent = void;
  bool operator()(std::u16string_view a, std::u16string_view b) const {
    return velkor::core::EqualIgnoreCase(a, b);
  }
};

class BaselineStore {
 public:
  void SetItem(std::u16string_view name, std::u16string_view value) {
    std::lock_guard lock(mutex_);
    auto it = map_.find(name);
    if (it != map_.end()) {
      it->second.assign(value);
    } else {
      map_.emplace(std::u16string(name), std::u16string(value));
    }
  }

  std::u16string GetItem(std::u16string_view name) const {
    std::u16string value;
    TryGet(name, value);
    return value;
  }

  // The direct reading of the expansion rule: splice each value into the text and
  // rescan from where it went in.
  std::u16string Expand(std::u16string_view text) const {
    std::u16string result(text);
    std::u16string value;
    size_t p = 0;
    size_t s;
    while ((s = result.find(u'$', p)) != std::u16string::npos) {
      const size_t e = result.find(u'$', s + 1);
      if (e == std::u16string::npos) break;
      const std::u16string_view name(result.data() + s + 1, e - s - 1);
      if (!name.empty() && TryGet(name, value)) {
        result.replace(s, e - s + 1, value);
        p = s;
      } else {
        p = e;
      }
    }
    return result;
  }

 private:
  bool TryGet(std::u16string_view name, std::u16string& value) const {
    std::lock_guard lock(mutex_);
    auto it = map_.find(name);
    if (it == map_.end()) return false;
    value = it->second;
    return true;
  }

  mutable std::recursive_mutex mutex_;
  std::unordered_map<std::u16string, std::u16string, IgnoreCaseHash, IgnoreCaseEqual> map_;
};

constexpr int kNames = 1000;

// Key set 0 has names as scripts write them (words, an optional number at the end);
// set 1 has names that differ only in the middle. The ELF hash keeps little of the
// early characters of a long name, so set 1 shares few buckets: its worst case.
std::u16string Name(int i, int64_t key_set) {
  static const char* const kWords[] = {"INSTALL", "DESKTOP", "FEATURE",  "RESULT",
                                       "USER",    "SERVICE", "REGISTRY", "PATH"};
  static const char* const kKinds[] = {"Dir",    "Name",  "Mode",    "Shortcut", "Key",  "Value",
                                       "Option", "State", "Count",   "Text",     "Flag", "Port",
                                       "Host",   "File",  "Version", "Size"};
  char buffer[48];
  if (key_set == 0) {
    std::snprintf(buffer, sizeof buffer, "%s_%s", kWords[i % 8], kKinds[(i / 8) % 16]);
    std::string name = buffer;
    if (i >= 128) name += std::to_string(i / 128);
    return U16(name);
  }
  std::snprintf(buffer, sizeof buffer, "Setup_Var%04d_Path", i);
  return U16(buffer);
}

// Lookups come in another case than the definitions, as scripts write them.
std::u16string UpperName(int i, int64_t key_set) {
  return velkor::core::Upper(Name(i, key_set));
}

std::u16string Value(int i) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "C:\\Program Files\\Vendor\\Item%d\\", i);
  return U16(buffer);
}

template <typename Store>
void Fill(Store& store, int64_t key_set) {
  for (int i = 0; i < kNames; ++i) store.SetItem(Name(i, key_set), Value(i));
}

std::vector<std::u16string> LookupNames(int64_t key_set) {
  std::vector<std::u16string> names;
  for (int i = 0; i < kNames; ++i) names.push_back(UpperName((i * 7919) % kNames, key_set));
  return names;
}

// Statement-sized texts with a few references each, some nested, some not variables.
std::vector<std::u16string> StatementTexts(int64_t key_set) {
  std::vector<std::u16string> texts;
  for (int i = 0; i < 100; ++i) {
    texts.push_back(u"$" + UpperName(i, key_set) + u"$bin\\$" + Name(i + 1, key_set) +
                    u"$app.exe /cost $5 /p=$" + Name(i + 2, key_set) + u"$ $$ done");
  }
  return texts;
}

// `references` references to short names, about ten code units per reference.
std::u16string ManyReferences(int references) {
  std::u16string text;
  for (int i = 0; i < references; ++i) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "$V%03d$ ab ", i % kNames);
    text += U16(buffer);
  }
  return text;
}

template <typename Store>
void FillShort(Store& store) {
  for (int i = 0; i < kNames; ++i) {
    char name[8];
    std::snprintf(name, sizeof name, "V%03d", i);
    store.SetItem(U16(name), u"value" + U16(std::to_string(i)));
  }
}

template <typename Store>
void BM_StoreGetItem(benchmark::State& state) {
  Store store;
  Fill(store, state.range(0));
  const auto names = LookupNames(state.range(0));
  for (auto _ : state) {
    for (const auto& name : names) benchmark::DoNotOptimize(store.GetItem(name));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(names.size()));
}

template <typename Store>
void BM_StoreSetItem(benchmark::State& state) {
  Store store;
  Fill(store, state.range(0));
  const auto names = LookupNames(state.range(0));
  const std::u16string progress[2] = {u"41", u"42"};
  int64_t round = 0;
  for (auto _ : state) {
    const auto& value = progress[round++ & 1];
    for (const auto& name : names) store.SetItem(name, value);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(names.size()));
}

template <typename Store>
void BM_StoreExpandStatements(benchmark::State& state) {
  Store store;
  Fill(store, state.range(0));
  const auto texts = StatementTexts(state.range(0));
  for (auto _ : state) {
    for (const auto& text : texts) benchmark::DoNotOptimize(store.Expand(text));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(texts.size()));
}

// Arg: the number of references; 1,000 make a text of 10,000 code units.
template <typename Store>
void BM_StoreExpandLargeText(benchmark::State& state) {
  Store store;
  FillShort(store);
  const std::u16string text = ManyReferences(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(store.Expand(text));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size() * 2));
  state.counters["code_units"] = static_cast<double>(text.size());
}

// Arg: the key set.
BENCHMARK_TEMPLATE(BM_StoreGetItem, TVariableManager)->Arg(0)->Arg(1);
BENCHMARK_TEMPLATE(BM_StoreGetItem, BaselineStore)->Arg(0)->Arg(1);
BENCHMARK_TEMPLATE(BM_StoreSetItem, TVariableManager)->Arg(0)->Arg(1);
BENCHMARK_TEMPLATE(BM_StoreSetItem, BaselineStore)->Arg(0)->Arg(1);
BENCHMARK_TEMPLATE(BM_StoreExpandStatements, TVariableManager)->Arg(0)->Arg(1);
BENCHMARK_TEMPLATE(BM_StoreExpandStatements, BaselineStore)->Arg(0)->Arg(1);
BENCHMARK_TEMPLATE(BM_StoreExpandLargeText, TVariableManager)->Arg(1000)->Arg(10000);
BENCHMARK_TEMPLATE(BM_StoreExpandLargeText, BaselineStore)->Arg(1000)->Arg(10000);

}  // namespace
