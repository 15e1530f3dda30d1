#include "script/variable_manager.h"

#include <utility>
#include <vector>

#include "core/case_mapping.h"

namespace velkor::script {
namespace {

// The text still to scan is kept as a stack of frames, read from the top down: the
// rest of the most recently inserted value, then the rest of the text it was inserted
// into, and so on down to the rest of the input. Building the output as we go (instead
// of splicing values into one growing text) keeps the cost linear.
//
// A value is pushed on top of the frame that held the closing "$" of its reference,
// so the names of a frame and of every frame below it are exactly the variables whose
// inserted text contains that frame. Frames above the closing one are used up by the
// reference; a used-up frame stays until the scan needs the text below it, so that it
// still counts for the values inserted at its very end.
//
// Inserted texts and their names live in two buffers used as stacks (a frame's text
// and name end where the next frame's begin), so an expansion allocates only while
// the buffers grow.
//
// Lookup: bool(std::u16string_view name, std::u16string& out) appends the value of a
// defined name to out.
template <typename Lookup>
class Expander {
 public:
  Expander(Lookup lookup, bool quoted) : lookup_(lookup), quoted_(quoted) {}

  std::u16string Run(std::u16string_view input) {
    input_ = input;
    out_.reserve(input.size());
    frames_.reserve(8);
    frames_.push_back(Frame{0, input.size(), 0, 0, 0});
    while (!frames_.empty()) {
      Frame& top = frames_.back();
      const std::u16string_view text = Text(frames_.size() - 1);
      if (top.pos >= text.size()) {
        Pop();
        continue;
      }
      const size_t s = text.find(u'$', top.pos);
      if (s == std::u16string_view::npos) {
        out_ += text.substr(top.pos);
        top.pos = text.size();
        continue;
      }
      out_ += text.substr(top.pos, s - top.pos);
      top.pos = s;
      Candidate();
    }
    return std::move(out_);
  }

 private:
  struct Frame {
    size_t begin, end;            // the text: input_ for frame 0, else arena_[begin, end)
    size_t pos;                   // scan position within the text
    size_t name_begin, name_end;  // names_[name_begin, name_end); empty for frame 0
  };

  std::u16string_view Text(size_t k) const {
    if (k == 0) return input_;
    return std::u16string_view(arena_).substr(frames_[k].begin, frames_[k].end - frames_[k].begin);
  }
  std::u16string_view Name(size_t k) const {
    return std::u16string_view(names_).substr(frames_[k].name_begin,
                                              frames_[k].name_end - frames_[k].name_begin);
  }

  void Pop() {
    if (frames_.size() > 1) {
      arena_.resize(frames_.back().begin);
      names_.resize(frames_.back().name_begin);
    }
    frames_.pop_back();
  }

  // Frames above k are used up; k keeps its text. Names and texts go in separate
  // steps, so that a name lying in a used-up text can be moved first.
  void DropNamesAbove(size_t k) {
    if (k + 1 < frames_.size()) names_.resize(frames_[k + 1].name_begin);
  }
  void DropTextsAbove(size_t k) {
    if (k + 1 < frames_.size()) {
      arena_.resize(frames_[k + 1].begin);
      frames_.resize(k + 1);
    }
  }

  // The top frame's scan position is at an opening "$".
  void Candidate() {
    size_t k = frames_.size() - 1;
    const size_t from_top = frames_[k].pos + 1;
    std::u16string_view text = Text(k);
    size_t e = text.find(u'$', from_top);
    std::u16string_view name;
    if (e != std::u16string_view::npos) {
      name = text.substr(from_top, e - from_top);
    } else {
      // The name runs on into the frames below when a value ends inside a reference.
      name_.assign(text.substr(from_top));
      while (e == std::u16string_view::npos) {
        if (k == 0) {
          // No closing "$" anywhere: the rest is plain text.
          out_ += u'$';
          out_ += name_;
          frames_.clear();
          return;
        }
        --k;
        text = Text(k);
        e = text.find(u'$', frames_[k].pos);
        name_ += text.substr(frames_[k].pos,
                             e == std::u16string_view::npos ? text.npos : e - frames_[k].pos);
      }
      name = name_;
    }

    if (name.empty() || InsideOwnText(k, name)) {
      Keep(k, e, name);
      return;
    }
    // The name (never a view into names_) moves to its place on the names stack
    // before the used-up texts, where it may lie, are dropped.
    DropNamesAbove(k);
    const size_t name_begin = names_.size();
    names_ += name;
    DropTextsAbove(k);
    frames_[k].pos = e + 1;
    const std::u16string_view stored_name = std::u16string_view(names_).substr(name_begin);
    const size_t begin = arena_.size();
    if (quoted_) arena_ += u'"';
    if (!lookup_(stored_name, arena_)) {
      arena_.resize(begin);
      out_ += u'$';
      out_ += stored_name;
      names_.resize(name_begin);
      frames_[k].pos = e;
      return;
    }
    if (quoted_) arena_ += u'"';
    frames_.push_back(Frame{begin, arena_.size(), 0, name_begin, names_.size()});
  }

  // The candidate stays as text; its closing "$" is the next candidate opening.
  void Keep(size_t k, size_t e, std::u16string_view name) {
    out_ += u'$';
    out_ += name;
    DropNamesAbove(k);
    DropTextsAbove(k);
    frames_[k].pos = e;
  }

  // Whether the reference closing in frame k lies inside text inserted for its name.
  bool InsideOwnText(size_t k, std::u16string_view name) const {
    for (size_t i = 1; i <= k; ++i) {
      if (core::EqualIgnoreCase(Name(i), name)) return true;
    }
    return false;
  }

  Lookup lookup_;
  const bool quoted_;
  std::u16string_view input_;
  std::vector<Frame> frames_;
  std::u16string arena_;
  std::u16string names_;
  std::u16string name_;
  std::u16string out_;
};

}  // namespace

TVariableManager::TVariableManager() : table_(KeyCase::kInsensitive, 0, 2.0) {}

void TVariableManager::AddItem(std::u16string_view name, std::u16string_view value) {
  if (name.empty()) return;
  std::lock_guard lock(mutex_);
  table_.Put(name, value);
}

void TVariableManager::SetItem(std::u16string_view name, std::u16string_view value) {
  AddItem(name, value);
}

bool TVariableManager::Exists(std::u16string_view name) const {
  if (!LockReads()) return table_.ContainsKey(name);
  std::lock_guard lock(mutex_);
  return table_.ContainsKey(name);
}

std::u16string TVariableManager::GetItem(std::u16string_view name) const {
  std::u16string value;
  TryGetItem(name, value);
  return value;
}

bool TVariableManager::TryGetItem(std::u16string_view name, std::u16string& value) const {
  if (!LockReads()) return table_.TryGetValue(name, value);
  std::lock_guard lock(mutex_);
  return table_.TryGetValue(name, value);
}

void TVariableManager::RemoveItem(std::u16string_view name) {
  std::lock_guard lock(mutex_);
  table_.Remove(name);
}

size_t TVariableManager::ListItems(std::vector<std::u16string>& list) const {
  std::lock_guard lock(mutex_);
  list.clear();
  list.reserve(static_cast<size_t>(table_.Count()) * 2);
  for (const auto& [name, value] : table_.GetEnumerator()) {
    list.push_back(name);
    list.push_back(value);
  }
  return list.size();
}

size_t TVariableManager::ListNames(std::vector<std::u16string>& list) const {
  std::lock_guard lock(mutex_);
  list.clear();
  list.reserve(static_cast<size_t>(table_.Count()));
  for (const auto& [name, value] : table_.GetEnumerator()) list.push_back(name);
  return list.size();
}

std::u16string TVariableManager::Expand(std::u16string_view text) const {
  return ExpandText(text, false);
}

std::u16string TVariableManager::ExpandQuoted(std::u16string_view text) const {
  return ExpandText(text, true);
}

std::u16string TVariableManager::ExpandText(std::u16string_view text, bool quoted) const {
  if (text.find(u'$') == std::u16string_view::npos) return std::u16string(text);
  auto lookup = [this](std::u16string_view name, std::u16string& out) {
    std::unique_lock lock(mutex_, std::defer_lock);
    if (LockReads()) lock.lock();
    const std::u16string* value = table_.Find(name);
    if (value == nullptr) return false;
    out += *value;
    return true;
  };
  return Expander<decltype(lookup)>(lookup, quoted).Run(text);
}

size_t TVariableManager::Capacity() const {
  std::lock_guard lock(mutex_);
  return table_.Capacity();
}

}  // namespace velkor::script
