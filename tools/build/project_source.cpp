#include "project_source.h"

#include <algorithm>
#include <fstream>

#include "build_error.h"
#include "host_file.h"

namespace velkor::build {
namespace fs = std::filesystem;
namespace {

bool IsBelow(std::string_view path, std::string_view folder) {
  if (folder.empty()) return true;
  return path.size() > folder.size() && path.substr(0, folder.size()) == folder &&
         path[folder.size()] == '/';
}

class Folder final : public ProjectSource {
 public:
  explicit Folder(fs::path root) : root_(std::move(root)) {}

  std::vector<std::string> List(std::string_view folder) const override {
    std::vector<std::string> files;
    const fs::path start = folder.empty() ? root_ : root_ / fs::path(std::string(folder));
    std::error_code ec;
    if (!fs::is_directory(start, ec)) return files;
    for (auto it = fs::recursive_directory_iterator(start, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
      if (it->is_regular_file(ec))
        files.push_back(it->path().lexically_relative(root_).generic_string());
    }
    if (ec) throw BuildError(start.string() + ": cannot list folder: " + ec.message());
    std::sort(files.begin(), files.end());
    return files;
  }

  bool Exists(std::string_view path) const override {
    std::error_code ec;
    return fs::is_regular_file(root_ / fs::path(std::string(path)), ec);
  }

  std::optional<std::string> Read(std::string_view path) const override {
    return ReadHostFile(root_ / fs::path(std::string(path)));
  }

  uint64_t Size(std::string_view path) const override {
    std::error_code ec;
    const auto size = fs::file_size(root_ / fs::path(std::string(path)), ec);
    if (ec) throw BuildError(std::string(path) + ": cannot read size: " + ec.message());
    return size;
  }

  void CopyTo(std::string_view path, const fs::path& target) const override {
    std::error_code ec;
    fs::copy_file(root_ / fs::path(std::string(path)), target, fs::copy_options::overwrite_existing,
                  ec);
    if (ec) throw BuildError(std::string(path) + ": cannot copy: " + ec.message());
  }

 private:
  fs::path root_;
};

class Memory final : public ProjectSource {
 public:
  explicit Memory(std::map<std::string, std::string> files) : files_(std::move(files)) {}

  std::vector<std::string> List(std::string_view folder) const override {
    std::vector<std::string> paths;
    for (const auto& [path, bytes] : files_)
      if (IsBelow(path, folder)) paths.push_back(path);
    return paths;  // std::map keeps them sorted
  }

  bool Exists(std::string_view path) const override { return files_.count(std::string(path)) != 0; }

  std::optional<std::string> Read(std::string_view path) const override {
    const auto it = files_.find(std::string(path));
    if (it == files_.end()) return std::nullopt;
    return it->second;
  }

  uint64_t Size(std::string_view path) const override {
    const auto bytes = Read(path);
    if (!bytes) throw BuildError(std::string(path) + ": no such file");
    return bytes->size();
  }

  void CopyTo(std::string_view path, const fs::path& target) const override {
    const auto bytes = Read(path);
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    if (!bytes || !out.write(bytes->data(), std::streamsize(bytes->size())))
      throw BuildError(std::string(path) + ": cannot write " + target.string());
  }

 private:
  std::map<std::string, std::string> files_;
};

}  // namespace

std::shared_ptr<const ProjectSource> FolderSource(fs::path root) {
  return std::make_shared<Folder>(std::move(root));
}

std::shared_ptr<const ProjectSource> MemorySource(std::map<std::string, std::string> files) {
  return std::make_shared<Memory>(std::move(files));
}

}  // namespace velkor::build
