#include "archive_writer.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "build_error.h"
#include "core/text.h"
#include "host_file.h"
#include "temp_folder.h"

namespace velkor::build {
namespace fs = std::filesystem;

void WriteOutputFile(const OutputFile& file, const ProjectSource& source, const fs::path& target) {
  std::error_code ec;
  fs::create_directories(target.parent_path(), ec);
  if (ec)
    throw BuildError(target.parent_path().string() + ": cannot create folder: " + ec.message());
  if (!file.bytes) return source.CopyTo(file.source, target);
  WriteHostFile(target, *file.bytes);
}

namespace {

int RunProcess(const std::vector<std::string>& arguments, const fs::path& folder,
               const fs::path& log) {
  const pid_t pid = fork();
  if (pid < 0) throw BuildError("cannot start 7zz");
  if (pid == 0) {
    if (chdir(folder.c_str()) != 0) _exit(126);
    if (!freopen(log.c_str(), "wb", stdout) || !freopen(log.c_str(), "ab", stderr)) _exit(126);
    std::vector<char*> argv;
    for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

void RunSevenZip(const std::vector<std::string>& arguments, const fs::path& folder) {
  const char* program = std::getenv("VELKOR_7ZZ");
  std::vector<std::string> argv = {program && *program ? program : "7zz"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  TempFolder temp;
  const fs::path log = temp.path() / "7zz.log";
  const int status = RunProcess(argv, folder, log);
  if (status == 127)
    throw BuildError("7zz not found: install 7-Zip (Debian package 7zip) or set VELKOR_7ZZ");
  if (status != 0)
    throw BuildError("7zz failed (exit code " + std::to_string(status) + "):\n" +
                     ReadHostFile(log).value_or(""));
}

void WriteArchive(const fs::path& archive, const std::vector<OutputFile>& files,
                  const ProjectSource& source, const std::u16string& password) {
  TempFolder stage;
  const fs::path root = stage.path() / "files";
  fs::create_directories(root);
  std::vector<std::string> paths;
  for (const auto& file : files) {
    if (file.path.find_first_of("*?") != std::string::npos)
      throw BuildError("'" + file.path +
                       "' cannot go into an archive: * and ? are not allowed in file names");
    WriteOutputFile(file, source, root / file.path);
    fs::permissions(root / file.path, fs::perms::owner_read | fs::perms::owner_write |
                                          fs::perms::group_read | fs::perms::others_read);
    paths.push_back(file.path);
  }
  std::sort(paths.begin(), paths.end());
  std::ofstream list(stage.path() / "list.txt", std::ios::binary);
  for (const auto& path : paths) list << path << "\n";
  list.close();
  std::error_code ec;
  fs::remove(archive, ec);
  std::vector<std::string> args = {"a",
                                   "-t7z",
                                   "-mtm=off",
                                   "-mtc=off",
                                   "-mta=off",
                                   "-mmt=1",
                                   "-bd",
                                   "-scsUTF-8",
                                   fs::absolute(archive).string(),
                                   "@" + (stage.path() / "list.txt").string()};
  if (!password.empty()) {
    args.push_back("-p" + core::Utf16ToUtf8(password));
    args.push_back("-mhe=on");
  }
  RunSevenZip(args, root);
}

void ExtractArchive(const fs::path& archive, const fs::path& folder,
                    const std::u16string& password) {
  fs::create_directories(folder);
  // An empty -p keeps 7zz from asking for a password on the terminal.
  RunSevenZip({"x", "-y", "-bd", "-p" + core::Utf16ToUtf8(password), fs::absolute(archive).string(),
               "-o" + fs::absolute(folder).string()},
              folder);
}

}  // namespace velkor::build
