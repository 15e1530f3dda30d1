#include "payload.h"

#include <cstdio>
#include <map>
#include <set>

#include "core/case_mapping.h"
#include "core/text.h"
#include "core/truth.h"
#include "project_reader.h"

namespace velkor::build {

using core::U16;
using core::Utf16ToUtf8;

bool MatchesWildcard(std::u16string_view name, std::u16string_view pattern) {
  // Iterative match with one backtrack point for the last '*'.
  size_t n = 0, p = 0, star = std::u16string_view::npos, mark = 0;
  while (n < name.size()) {
    if (p < pattern.size() &&
        (pattern[p] == u'?' || core::LowerChar(pattern[p]) == core::LowerChar(name[n]))) {
      ++n, ++p;
    } else if (p < pattern.size() && pattern[p] == u'*') {
      star = p++, mark = n;
    } else if (star != std::u16string_view::npos) {
      p = star + 1, n = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

namespace {

struct Match {
  std::string path;       // project-relative source file
  std::string folder;     // its folder relative to the payload folder, '/' form, "" at the top
  std::string subfolder;  // its folder relative to the pattern's folder
  std::string name;
};

}  // namespace

std::vector<std::u16string> SplitPatternList(std::u16string_view text) {
  std::vector<std::u16string> parts;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(u'|', start);
    if (end == std::u16string_view::npos) end = text.size();
    const std::u16string part(text.substr(start, end - start));
    if (!part.empty()) parts.push_back(part);
    start = end + 1;
  }
  return parts;
}

namespace {

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  return path.substr(path.rfind('/') + 1);
}

bool HasWildcard(const std::string& text) {
  return text.find_first_of("*?") != std::string::npos;
}

std::string ToBackslashFolder(const std::string& folder) {
  std::string out;
  for (char c : folder) out.push_back(c == '/' ? '\\' : c);
  return out.empty() ? out : out + "\\";
}

class Matcher {
 public:
  Matcher(const ProjectSource& source, const ProjectStatement& s, const SourcePlace& place)
      : source_(source), place_(place) {
    const auto param = [&](int n) {
      return n <= int(s.parameters.size()) ? s.parameters[n - 1] : u"";
    };
    patterns_ = SplitPatternList(param(kSourcePatternsParameter));
    excludes_ = SplitPatternList(param(kExcludePatternsParameter));
    recurse_ = core::TruthOf(param(kSubfoldersParameter));
    if (patterns_.empty())
      throw BuildError(place,
                       "Install Files needs its payload files as parameter 1 (patterns "
                       "relative to the payload folder, separated by '|')");
  }

  std::vector<Match> Run() {
    const std::vector<std::string> all = source_.List(kPayloadFolder);
    std::vector<Match> matches;
    std::set<std::string> seen;
    for (const auto& pattern : patterns_) {
      const size_t before = matches.size();
      AddMatches(pattern, all, seen, matches);
      if (matches.size() == before)
        throw BuildError(place_, "no payload file matches '" + Utf16ToUtf8(pattern) +
                                     "' (looked in " + kPayloadFolder + "/)");
    }
    return matches;
  }

 private:
  void AddMatches(const std::u16string& pattern, const std::vector<std::string>& all,
                  std::set<std::string>& seen, std::vector<Match>& out) const {
    const std::string relative = NormalizeProjectPath(pattern, place_);
    std::string base = FolderOf(relative), name_pattern = NameOf(relative);
    const std::string top = std::string(kPayloadFolder) + "/";
    if (!HasWildcard(name_pattern) && !source_.Exists(top + relative)) {
      base = relative;  // a folder: all of its files
      name_pattern = "*";
    }
    const std::string prefix = top + (base.empty() ? "" : base + "/");
    for (const std::string& path : all) {
      if (path.compare(0, prefix.size(), prefix) != 0) continue;
      const std::string rest = path.substr(prefix.size());
      const std::string sub = FolderOf(rest), name = NameOf(rest);
      if (!sub.empty() && !recurse_) continue;
      if (!MatchesWildcard(U16(name), U16(name_pattern)) || Excluded(name)) continue;
      if (!seen.insert(path).second) continue;
      out.push_back({path, FolderOf(path.substr(top.size())), sub, name});
    }
  }

  bool Excluded(const std::string& name) const {
    for (const auto& exclude : excludes_)
      if (MatchesWildcard(U16(name), exclude)) return true;
    return false;
  }

  const ProjectSource& source_;
  SourcePlace place_;
  std::vector<std::u16string> patterns_, excludes_;
  bool recurse_ = false;
};

// Hexadecimal folder names: a hash of the source folder, without leading zeros, unique
// among the folders of one media folder (web archives hold block\hex\name).
class HexFolders {
 public:
  std::u16string For(const std::u16string& media, const std::string& folder) {
    auto& names = media_[core::Lower(media)];
    const auto it = names.by_folder.find(folder);
    if (it != names.by_folder.end()) return it->second;
    uint32_t hash = 2166136261u;  // FNV-1a of the lower-cased folder
    for (char c : Utf16ToUtf8(core::Lower(U16(folder)))) hash = (hash ^ uint8_t(c)) * 16777619u;
    while (!names.used.insert(hash).second) ++hash;
    char text[9];
    std::snprintf(text, sizeof text, "%X", hash);
    return names.by_folder[folder] = U16(text);
  }

 private:
  struct Names {
    std::map<std::string, std::u16string> by_folder;
    std::set<uint32_t> used;
  };
  std::map<std::u16string, Names> media_;
};

std::string DataPath(const std::u16string& install_path) {
  std::string out;
  for (char c : Utf16ToUtf8(install_path)) out.push_back(c == '\\' ? '/' : c);
  return out;
}

}  // namespace

std::string PayloadSourcePath(std::u16string_view patterns, std::u16string_view subfolder,
                              std::u16string_view name) {
  std::string sub;
  for (char c : Utf16ToUtf8(subfolder)) sub.push_back(c == '\\' ? '/' : c);
  const std::string top = std::string(kPayloadFolder) + "/";
  for (const auto& pattern : SplitPatternList(patterns)) {
    std::string relative;
    try {
      relative = NormalizeProjectPath(pattern, {});
    } catch (const BuildError&) {
      continue;
    }
    const std::string base = FolderOf(relative), name_pattern = NameOf(relative);
    if (HasWildcard(name_pattern)) {
      if (MatchesWildcard(name, U16(name_pattern)))
        return top + (base.empty() ? "" : base + "/") + sub + Utf16ToUtf8(name);
    } else if (sub.empty() && core::EqualIgnoreCase(U16(name_pattern), name)) {
      return top + relative;
    } else {
      return top + relative + "/" + sub + Utf16ToUtf8(name);
    }
  }
  return {};
}

PayloadPlan PlanPayload(const ProjectSource& source,
                        const std::vector<PayloadStatement>& statements) {
  PayloadPlan plan;
  HexFolders hex_folders;
  std::set<std::string> data_paths, media_entries;
  for (const auto& ps : statements) {
    script::InstallMapGroup group{ps.header, {}};
    for (const Match& m : Matcher(source, *ps.statement, ps.place).Run()) {
      const std::u16string hex = hex_folders.For(ps.media_folder, m.folder);
      const std::u16string name = U16(m.name);
      const std::u16string install_path = ps.media_folder + ps.header + u"\\" + hex + u"\\" + name;
      group.files.emplace_back(install_path, U16(ToBackslashFolder(m.subfolder)));
      plan.total += int64_t(source.Size(m.path));
      if (!ps.web) {
        if (data_paths.insert(DataPath(install_path)).second)
          plan.data.push_back({DataPath(install_path), m.path, std::nullopt});
        continue;
      }
      const std::u16string block = ps.media_folder.substr(0, ps.media_folder.size() - 1);
      plan.media_files.push_back(
          {block, hex + u"\\" + name, ps.media_folder + ps.header + u"\\" + hex + u"\\"});
      const std::string inside = DataPath(block + u"\\" + hex + u"\\" + name);
      if (media_entries.insert(Utf16ToUtf8(core::Lower(block)) + "|" + inside).second)
        plan.web_files[block].push_back({inside, m.path, std::nullopt});
    }
    plan.install_map.push_back(std::move(group));
  }
  return plan;
}

}  // namespace velkor::build
