// Hostile paths: whatever the engine asks, the sandbox never touches the host outside
// the machine folder. Each test puts a sentinel folder beside the machine and checks it
// afterwards.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>

#include "core/text.h"
#include "platform/sandbox/sandbox_platform.h"
#include "sandbox_test_support.h"

namespace velkor::platform::sandbox {
namespace {

namespace fs = std::filesystem;

class SandboxPathSafetyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    outside_ = host_.path() / "outside";
    fs::create_directories(outside_ / "inner");
    std::ofstream(outside_ / "secret.txt") << "secret";
    machine_ = test_support::OpenMachine(host_.machine());
    ASSERT_NE(machine_, nullptr);
  }

  // The sentinel is exactly as SetUp left it.
  void ExpectOutsideUntouched() {
    std::vector<std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(outside_)) {
      entries.push_back(entry.path().lexically_relative(outside_).string());
    }
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"inner", "secret.txt"}));
    std::ifstream secret(outside_ / "secret.txt");
    std::string content;
    std::getline(secret, content);
    EXPECT_EQ(content, "secret");
    std::vector<std::string> beside;
    for (const auto& entry : fs::directory_iterator(host_.path())) {
      beside.push_back(entry.path().filename().string());
    }
    std::sort(beside.begin(), beside.end());
    EXPECT_EQ(beside, (std::vector<std::string>{"machine", "outside"}));
  }

  // Every call that writes, run on `path` (and as target where there are two).
  void TryEveryWrite(const std::u16string& path) {
    FileSystem& files = machine_->files();
    files.WriteFile(path, "x");
    files.AppendFile(path, "x");
    files.CreateFolder(path);
    files.CreateFolder(path + u"\\sub");
    files.SetAttributes(path, attribute::kReadOnly);
    files.SetAttributes(path, attribute::kNormal);
    files.CopyFile(u"C:\\Windows\\win.ini", path, false);
    files.MoveFile(u"C:\\Windows\\win.ini", path, true);
    files.WriteFile(u"C:\\Windows\\win.ini", "ini");
    files.MoveFile(path, u"C:\\moved", true);
    files.DeleteFile(path);
    files.RemoveFolder(path);
    files.CreateTempFile(path, u"tmp");
  }

  test_support::HostFolder host_;
  fs::path outside_;
  std::unique_ptr<SandboxPlatform> machine_;
};

TEST_F(SandboxPathSafetyTest, DotDotAndOddFormsStayInsideOrFail) {
  const std::u16string hostile[] = {
      u"C:\\..\\outside\\secret.txt",
      u"C:\\..\\..\\outside\\secret.txt",
      u"C:\\Windows\\..\\..\\..\\..\\outside",
      u"C:/../../outside/inner",
      u"\\\\?\\C:\\..\\..\\outside\\secret.txt",
      u"C:\\Windows\\System32\\..\\..\\..\\outside\\new.txt",
      core::Utf8ToUtf16((outside_ / "secret.txt").string()),
      u"\\\\localhost\\c$\\outside",
      u"\\\\.\\C:\\..\\outside",
      u"C:..\\outside",
      u"C:\\drive_c\\..\\..\\outside",
      u"C:\\...\\outside",
      u"C:\\a\\b:..\\outside",
  };
  for (const std::u16string& path : hostile) {
    SCOPED_TRACE(core::Utf16ToUtf8(path));
    TryEveryWrite(path);
    Result<fs::path> host = machine_->HostPath(path);
    if (host.ok()) {
      const std::string mapped = host->lexically_normal().string();
      EXPECT_EQ(mapped.rfind(machine_->machine_folder().string() + "/drive_", 0), 0u) << mapped;
    }
    EXPECT_NE(machine_->files().ReadFile(path).value_or(""), "secret");
  }
  ExpectOutsideUntouched();
}

TEST_F(SandboxPathSafetyTest, DotDotReachesTheDriveRootAtMost) {
  ASSERT_TRUE(machine_->files().WriteFile(u"C:\\..\\..\\escape.txt", "x").ok());
  EXPECT_TRUE(machine_->files().FileExists(u"C:\\escape.txt"));
  EXPECT_TRUE(fs::is_regular_file(machine_->machine_folder() / "drive_c" / "escape.txt"));
  ExpectOutsideUntouched();
}

TEST_F(SandboxPathSafetyTest, SymbolicLinksInsideTheMachineAreRefused) {
  const fs::path drive = machine_->machine_folder() / "drive_c";
  fs::create_directory_symlink(outside_, drive / "linkdir");
  fs::create_symlink(outside_ / "secret.txt", drive / "linkfile.txt");
  fs::create_symlink("/etc/passwd", drive / "Windows" / "passwd");

  FileSystem& files = machine_->files();
  for (std::u16string_view path :
       {u"C:\\linkdir", u"C:\\linkdir\\secret.txt", u"C:\\LINKDIR\\new.txt", u"C:\\linkfile.txt",
        u"C:\\Windows\\passwd"}) {
    SCOPED_TRACE(core::Utf16ToUtf8(path));
    EXPECT_FALSE(files.FileExists(path));
    EXPECT_FALSE(files.FolderExists(path));
    EXPECT_EQ(files.ReadFile(path).code(), error::kAccessDenied);
    EXPECT_EQ(files.WriteFile(path, "overwritten").code(), error::kAccessDenied);
    EXPECT_FALSE(files.FindFiles(std::u16string(path) + u"\\*").ok());
    TryEveryWrite(std::u16string(path));
  }
  // Listings leave links out.
  auto listed = files.FindFiles(u"C:\\*");
  ASSERT_TRUE(listed.ok());
  for (const FoundFile& file : *listed) {
    EXPECT_EQ(file.name.find(u"link"), std::u16string::npos) << core::Utf16ToUtf8(file.name);
  }
  EXPECT_TRUE(fs::is_symlink(drive / "linkfile.txt")) << "the link itself is left alone";
  ExpectOutsideUntouched();
}

TEST_F(SandboxPathSafetyTest, ALinkedDriveIsRefused) {
  const fs::path drive_d = machine_->machine_folder() / "drive_d";
  fs::create_directory_symlink(outside_, drive_d);
  EXPECT_FALSE(machine_->files().FolderExists(u"D:\\"));
  EXPECT_EQ(machine_->files().ReadFile(u"D:\\secret.txt").code(), error::kAccessDenied);
  TryEveryWrite(u"D:\\inner");
  TryEveryWrite(u"D:\\new");
  ExpectOutsideUntouched();
}

TEST_F(SandboxPathSafetyTest, SpecialFilesAreNotOpened) {
  const fs::path fifo = machine_->machine_folder() / "drive_c" / "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  // Reading a pipe would block forever; the sandbox refuses it instead.
  EXPECT_EQ(machine_->files().ReadFile(u"C:\\pipe").code(), error::kAccessDenied);
  EXPECT_EQ(machine_->files().CopyFile(u"C:\\pipe", u"C:\\copy", false).code(),
            error::kAccessDenied);
}

TEST_F(SandboxPathSafetyTest, MissingDrivesAreNotCreated) {
  EXPECT_EQ(machine_->files().WriteFile(u"Q:\\file.txt", "x").code(), error::kPathNotFound);
  EXPECT_EQ(machine_->files().CreateFolder(u"Q:\\folder").code(), error::kPathNotFound);
  EXPECT_FALSE(fs::exists(machine_->machine_folder() / "drive_q"));
}

}  // namespace
}  // namespace velkor::platform::sandbox
