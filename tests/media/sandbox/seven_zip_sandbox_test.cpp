// What only the sandbox runner can show: the running 7zz as other processes see it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "media/archive_test_backend.h"
#include "platform/seven_zip.h"

namespace velkor::testing {
namespace {

using platform::SevenZipCommand;
using platform::SevenZipVerb;

std::string ReadProcFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The process id of this process's running 7zz child, or 0.
pid_t FindRunningChild() {
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string id = entry.path().filename().string();
    if (id.find_first_not_of("0123456789") != std::string::npos) continue;
    const std::string stat = ReadProcFile(entry.path() / "stat");
    // pid (comm) state ppid ...
    const size_t close = stat.rfind(')');
    if (close == std::string::npos || stat.find("(7zz)") == std::string::npos) continue;
    std::istringstream rest(stat.substr(close + 2));
    char state = 0;
    pid_t parent = 0;
    rest >> state >> parent;
    if (parent == ::getpid() && state != 'Z') return std::stoi(id);
  }
  return 0;
}

class SandboxSevenZipTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend = MakeArchiveTestBackend();
    ASSERT_NE(backend.platform, nullptr);
    if (!backend.tool) GTEST_SKIP() << backend.missing_tool;
  }
  void TearDown() override { DestroyArchiveTestBackend(backend); }

  ArchiveTestBackend backend;
};

TEST_F(SandboxSevenZipTest, PasswordIsNeitherInCommandLineNorEnvironment) {
  constexpr char16_t kPassword[] = u"velkor-secret-4711";
  const std::u16string scratch = backend.scratch_folder;
  // Zeros pack small but take a while to write out again.
  ASSERT_TRUE(
      backend.platform->files().WriteFile(scratch + u"zeros.bin", std::string(96 << 20, '\0')));

  SevenZipCommand add;
  add.verb = SevenZipVerb::kAdd;
  add.archive = scratch + u"secret.7z";
  add.password = kPassword;
  add.items = {scratch + u"zeros.bin"};
  add.switches = {u"-t7z", u"-mx=1", u"-mhe=on"};
  auto added = backend.tool->Run(add, nullptr);
  ASSERT_TRUE(added.ok());
  ASSERT_EQ(added->exit_code, 0) << added->output;

  SevenZipCommand extract;
  extract.verb = SevenZipVerb::kExtract;
  extract.archive = add.archive;
  extract.password = kPassword;
  extract.output_folder = scratch + u"out\\";
  int inspected = 0;
  auto extracted = backend.tool->Run(extract, [&](const platform::SevenZipProgress&) {
    if (inspected > 0) return true;
    const pid_t child = FindRunningChild();
    if (child == 0) return true;
    const std::filesystem::path proc = "/proc/" + std::to_string(child);
    const std::string command_line = ReadProcFile(proc / "cmdline");
    const std::string environment = ReadProcFile(proc / "environ");
    EXPECT_NE(command_line.find("secret.7z"), std::string::npos) << "the right process";
    EXPECT_EQ(command_line.find("velkor-secret"), std::string::npos);
    EXPECT_EQ(environment, std::string("LC_ALL=C.UTF-8\0TZ=UTC0\0", 23));
    ++inspected;
    return true;
  });
  ASSERT_TRUE(extracted.ok());
  EXPECT_EQ(extracted->exit_code, 0) << extracted->output;
  EXPECT_EQ(inspected, 1) << "7zz was seen while it ran";
}

}  // namespace
}  // namespace velkor::testing
