// What the sandbox's file system does beyond the shared contract: its mapping onto the
// host, its attribute store, its short names and its drives.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <set>
#include <thread>

#include "core/case_mapping.h"
#include "core/text.h"
#include "platform/sandbox/sandbox_platform.h"
#include "sandbox_test_support.h"

namespace velkor::platform::sandbox {
namespace {

namespace fs = std::filesystem;

class SandboxFileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    machine_ = test_support::OpenMachine(host_.machine());
    ASSERT_NE(machine_, nullptr);
  }
  FileSystem& files() { return machine_->files(); }
  fs::path Drive(char letter = 'c') const {
    return machine_->machine_folder() / (std::string("drive_") + letter);
  }
  void Reopen() {
    machine_.reset();
    machine_ = test_support::OpenMachine(host_.machine());
    ASSERT_NE(machine_, nullptr);
  }

  test_support::HostFolder host_;
  std::unique_ptr<SandboxPlatform> machine_;
};

TEST_F(SandboxFileSystemTest, ExistingComponentsMatchIgnoringCaseNewOnesKeepTheirs) {
  ASSERT_TRUE(files().CreateFolder(u"c:\\PROGRAM FILES\\NewApp").ok());
  ASSERT_TRUE(files().WriteFile(u"c:\\program files\\NEWAPP\\Data.BIN", "x").ok());
  EXPECT_TRUE(fs::is_regular_file(Drive() / "Program Files" / "NewApp" / "Data.BIN"));
  EXPECT_FALSE(fs::exists(Drive() / "PROGRAM FILES"));

  Result<fs::path> host = machine_->HostPath(u"C:\\program files\\newapp\\later\\File.txt");
  ASSERT_TRUE(host.ok());
  EXPECT_EQ(*host, Drive() / "Program Files" / "NewApp" / "later" / "File.txt");
}

TEST_F(SandboxFileSystemTest, AnExactHostNameWinsOverOthersDifferingInCase) {
  std::ofstream(Drive() / "readme.txt") << "lower";
  std::ofstream(Drive() / "README.TXT") << "upper";
  EXPECT_EQ(files().ReadFile(u"C:\\README.TXT").value_or(""), "upper");
  EXPECT_EQ(files().ReadFile(u"C:\\readme.txt").value_or(""), "lower");
  // Otherwise the first in code unit order.
  EXPECT_EQ(files().ReadFile(u"C:\\ReadMe.txt").value_or(""), "upper");
}

TEST_F(SandboxFileSystemTest, AttributesLiveInTheSideStoreAndFollowTheirEntry) {
  ASSERT_TRUE(files().CreateFolder(u"C:\\App\\sub").ok());
  ASSERT_TRUE(files().WriteFile(u"C:\\App\\sub\\f.txt", "x").ok());
  EXPECT_EQ(files().GetAttributes(u"C:\\App\\sub\\f.txt").value_or(0), attribute::kArchive);
  EXPECT_EQ(files().GetAttributes(u"C:\\App").value_or(0), attribute::kDirectory);
  ASSERT_TRUE(files().SetAttributes(u"C:\\App\\sub\\f.txt", attribute::kHidden).ok());
  ASSERT_TRUE(files().SetAttributes(u"C:\\App\\sub", attribute::kReadOnly).ok());

  ASSERT_TRUE(files().MoveFile(u"C:\\App", u"C:\\Moved", false).ok());
  Reopen();
  EXPECT_EQ(files().GetAttributes(u"C:\\Moved\\sub\\f.txt").value_or(0), attribute::kHidden);
  EXPECT_EQ(files().GetAttributes(u"C:\\Moved\\sub").value_or(0),
            attribute::kDirectory | attribute::kReadOnly);

  // A write marks the file for backup again; kNormal alone reads back as kNormal.
  ASSERT_TRUE(files().AppendFile(u"C:\\Moved\\sub\\f.txt", "y").ok());
  EXPECT_EQ(files().GetAttributes(u"C:\\Moved\\sub\\f.txt").value_or(0),
            attribute::kHidden | attribute::kArchive);
  ASSERT_TRUE(files().SetAttributes(u"C:\\Moved\\sub\\f.txt", attribute::kNormal).ok());
  EXPECT_EQ(files().GetAttributes(u"C:\\Moved\\sub\\f.txt").value_or(0), attribute::kNormal);

  // A new file of a deleted one's name starts afresh.
  ASSERT_TRUE(files().SetAttributes(u"C:\\Moved\\sub\\f.txt", attribute::kSystem).ok());
  ASSERT_TRUE(files().DeleteFile(u"C:\\Moved\\sub\\f.txt").ok());
  ASSERT_TRUE(files().WriteFile(u"C:\\Moved\\sub\\f.txt", "new").ok());
  EXPECT_EQ(files().GetAttributes(u"C:\\Moved\\sub\\f.txt").value_or(0), attribute::kArchive);
  ASSERT_TRUE(files().DeleteFile(u"C:\\Moved\\sub\\f.txt").ok());
  EXPECT_EQ(files().RemoveFolder(u"C:\\Moved\\sub").code(), error::kAccessDenied)
      << "a read-only folder is not removed";
}

TEST_F(SandboxFileSystemTest, WritesLeaveNoStagingFilesBehind) {
  ASSERT_TRUE(files().WriteFile(u"C:\\a.txt", std::string(200000, 'a')).ok());
  ASSERT_TRUE(files().CopyFile(u"C:\\a.txt", u"C:\\b.txt", false).ok());
  ASSERT_TRUE(files().SetAttributes(u"C:\\b.txt", attribute::kReadOnly).ok());
  EXPECT_FALSE(files().CopyFile(u"C:\\a.txt", u"C:\\b.txt", false).ok());
  EXPECT_FALSE(files().WriteFile(u"C:\\nofolder\\c.txt", "c").ok());
  EXPECT_TRUE(fs::is_empty(machine_->machine_folder() / "staging"));
  EXPECT_EQ(files().FileSize(u"C:\\b.txt").value_or(0), 200000u);
}

TEST_F(SandboxFileSystemTest, ConcurrentWritersNeverLetAReaderSeeATornFile) {
  const std::string contents[] = {std::string(300000, 'a'), std::string(100000, 'b'),
                                  std::string(200000, 'c')};
  ASSERT_TRUE(files().WriteFile(u"C:\\shared.dat", contents[0]).ok());
  std::atomic<bool> torn = false;
  std::atomic<bool> failed = false;
  std::vector<std::thread> threads;
  for (const std::string& content : contents) {
    threads.emplace_back([&] {
      for (int i = 0; i < 20; ++i) {
        if (!files().WriteFile(u"C:\\SHARED.dat", content).ok()) failed = true;
      }
    });
  }
  threads.emplace_back([&] {
    for (int i = 0; i < 60; ++i) {
      const std::string read = files().ReadFile(u"C:\\shared.dat").value_or("");
      if (read != contents[0] && read != contents[1] && read != contents[2]) torn = true;
    }
  });
  for (std::thread& thread : threads) thread.join();
  EXPECT_FALSE(failed);
  EXPECT_FALSE(torn);
  EXPECT_TRUE(fs::is_empty(machine_->machine_folder() / "staging"));
}

TEST_F(SandboxFileSystemTest, ShortNamesFollowTheStandardScheme) {
  struct Case {
    std::u16string_view path;
    std::u16string_view short_path;
  };
  ASSERT_TRUE(files().CreateFolder(u"C:\\Program Files\\My Company").ok());
  ASSERT_TRUE(files().WriteFile(u"C:\\Program Files\\My Company\\Read Me First.html", "x").ok());
  ASSERT_TRUE(files().WriteFile(u"C:\\Program Files\\My Company\\setup.exe", "x").ok());
  const Case cases[] = {
      {u"C:\\Program Files", u"C:\\PROGRA~1"},
      {u"C:\\Program Files (x86)", u"C:\\PROGRA~2"},
      {u"C:\\ProgramData", u"C:\\PROGRA~3"},
      {u"C:\\Windows\\System32", u"C:\\Windows\\System32"},
      {u"c:\\program files\\my company\\read me first.html",
       u"C:\\PROGRA~1\\MYCOMP~1\\README~1.HTM"},
      {u"C:\\Program Files\\My Company\\SETUP.EXE", u"C:\\PROGRA~1\\MYCOMP~1\\setup.exe"},
      {u"\\\\?\\C:\\Program Files\\", u"\\\\?\\C:\\PROGRA~1\\"},
      {u"C:\\", u"C:\\"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(files().ShortPath(c.path).value_or(u"?"), c.short_path) << core::Utf16ToUtf8(c.path);
  }
  EXPECT_EQ(files().LongPath(u"c:\\progra~1\\mycomp~1\\readme~1.htm").value_or(u"?"),
            u"C:\\Program Files\\My Company\\Read Me First.html");
}

TEST_F(SandboxFileSystemTest, ShortNamesWorkAsPathComponentsEverywhere) {
  ASSERT_TRUE(files().CreateFolder(u"C:\\PROGRA~2\\App").ok());
  ASSERT_TRUE(files().WriteFile(u"C:\\PROGRA~2\\App\\x.txt", "x").ok());
  EXPECT_TRUE(fs::is_regular_file(Drive() / "Program Files (x86)" / "App" / "x.txt"));
  auto found = files().FindFiles(u"C:\\PROGRA~1");
  ASSERT_TRUE(found.ok());
  ASSERT_EQ(found->size(), 1u);
  EXPECT_EQ((*found)[0].name, u"Program Files");
  // A short-looking name that matches nothing is an ordinary new name.
  ASSERT_TRUE(files().CreateFolder(u"C:\\NOTHIN~1").ok());
  EXPECT_TRUE(fs::is_directory(Drive() / "NOTHIN~1"));
}

TEST_F(SandboxFileSystemTest, FindFilesUsesWindowsWildcardRules) {
  ASSERT_TRUE(files().CreateFolder(u"C:\\w").ok());
  for (std::u16string_view name :
       {u"C:\\w\\file", u"C:\\w\\file.cpp", u"C:\\w\\file.txt.bak", u"C:\\w\\a.txt"}) {
    ASSERT_TRUE(files().WriteFile(name, "").ok());
  }
  auto names = [&](std::u16string_view pattern) {
    std::vector<std::u16string> listed;
    for (const FoundFile& file : files().FindFiles(pattern).value_or({}))
      listed.push_back(file.name);
    return listed;
  };
  using Names = std::vector<std::u16string>;
  EXPECT_EQ(names(u"C:\\w\\*."), Names{u"file"});
  EXPECT_EQ(names(u"C:\\w\\file.*"), (Names{u"file", u"file.cpp", u"file.txt.bak"}));
  EXPECT_EQ(names(u"C:\\w\\*.txt"), Names{u"a.txt"});
  EXPECT_EQ(names(u"C:\\w\\a?.txt"), Names{u"a.txt"});
  EXPECT_EQ(files().FindFiles(u"C:\\w\\").code(), error::kFileNotFound);
  EXPECT_EQ(files().FindFiles(u"C:\\w\\a.txt\\*").code(), error::kPathNotFound);
}

TEST_F(SandboxFileSystemTest, DrivesAreSeparateFoldersAndFoldersStayOnTheirDrive) {
  fs::create_directory(Drive('d'));
  ASSERT_TRUE(files().WriteFile(u"C:\\f.txt", "f").ok());
  ASSERT_TRUE(files().SetAttributes(u"C:\\f.txt", attribute::kHidden).ok());
  ASSERT_TRUE(files().MoveFile(u"C:\\f.txt", u"D:\\f.txt", false).ok());
  EXPECT_EQ(files().ReadFile(u"d:\\F.TXT").value_or(""), "f");
  EXPECT_EQ(files().GetAttributes(u"D:\\f.txt").value_or(0), attribute::kHidden);
  ASSERT_TRUE(files().CreateFolder(u"C:\\folder").ok());
  EXPECT_EQ(files().MoveFile(u"C:\\folder", u"D:\\folder", false).code(), error::kNotSameDevice);
  EXPECT_TRUE(files().FolderExists(u"D:\\"));
  EXPECT_FALSE(files().FolderExists(u"E:\\"));
}

TEST_F(SandboxFileSystemTest, CallsOnTheRootAndOnTheSameEntry) {
  EXPECT_EQ(files().RemoveFolder(u"C:\\").code(), error::kAccessDenied);
  EXPECT_EQ(files().MoveFile(u"C:\\", u"C:\\x", false).code(), error::kAccessDenied);
  ASSERT_TRUE(files().WriteFile(u"C:\\same.txt", "same").ok());
  EXPECT_EQ(files().CopyFile(u"C:\\same.txt", u"C:\\SAME.TXT", false).code(),
            error::kSharingViolation);
  EXPECT_TRUE(files().MoveFile(u"C:\\same.txt", u"C:\\same.txt", false).ok());
  EXPECT_EQ(files().ReadFile(u"C:\\same.txt").value_or(""), "same");
  EXPECT_EQ(files().RemoveFolder(u"C:\\same.txt").code(), error::kDirectory);
  EXPECT_EQ(files().CreateTempFile(u"C:\\same.txt", u"x").code(), error::kDirectory);
}

TEST_F(SandboxFileSystemTest, TempFileNamesAreUpperHexAndSkipTakenNames) {
  ASSERT_TRUE(files().CreateFolder(u"C:\\t").ok());
  std::set<std::u16string> seen;
  for (int i = 0; i < 20; ++i) {
    Result<std::u16string> path = files().CreateTempFile(u"C:\\t", u"ab");
    ASSERT_TRUE(path.ok());
    ASSERT_TRUE(path->rfind(u"C:\\t\\ab", 0) == 0) << core::Utf16ToUtf8(*path);
    const std::u16string number = path->substr(7, path->size() - 11);
    for (char16_t c : number) EXPECT_TRUE((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'));
    EXPECT_TRUE(seen.insert(core::Lower(*path)).second);
  }
  EXPECT_EQ(files().FindFiles(u"C:\\t\\*").value_or({}).size(), 20u);
}

}  // namespace
}  // namespace velkor::platform::sandbox
