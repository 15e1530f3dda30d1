// The FileSystem contract, run against both backends: the sandbox natively and the real
// Windows API under Wine. Only behaviour Windows itself shows is asserted here.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/case_mapping.h"
#include "core/text.h"
#include "platform/test_backend.h"

namespace velkor::testing {
namespace {

using platform::FileSystem;
using platform::FoundFile;
namespace attribute = platform::attribute;
namespace error = platform::error;

class FileSystemSuite : public ::testing::Test {
 protected:
  void SetUp() override {
    backend_ = MakeTestBackend();
    ASSERT_NE(backend_.platform, nullptr) << "the backend could not be created";
  }
  void TearDown() override { DestroyTestBackend(backend_); }

  FileSystem& files() { return backend_.platform->files(); }
  std::u16string At(std::u16string_view relative) const {
    return backend_.scratch_folder + std::u16string(relative);
  }
  void Write(std::u16string_view relative, std::string_view bytes) {
    ASSERT_TRUE(files().WriteFile(At(relative), bytes).ok()) << "writing the fixture";
  }
  void MakeFolder(std::u16string_view relative) {
    ASSERT_TRUE(files().CreateFolder(At(relative)).ok()) << "creating the fixture";
  }
  std::string Read(std::u16string_view relative) {
    return files().ReadFile(At(relative)).value_or("<unreadable>");
  }
  // The names FindFiles lists, sorted without regard to case.
  std::vector<std::u16string> Names(std::u16string_view pattern) {
    auto found = files().FindFiles(At(pattern));
    EXPECT_TRUE(found.ok()) << "code " << found.code();
    std::vector<std::u16string> names;
    if (found.ok()) {
      for (const FoundFile& file : *found) names.push_back(file.name);
    }
    std::sort(names.begin(), names.end(),
              [](const auto& a, const auto& b) { return core::CompareIgnoreCase(a, b) < 0; });
    return names;
  }
  uint32_t Attributes(std::u16string_view relative) {
    return files().GetAttributes(At(relative)).value_or(0xFFFFFFFF);
  }
  // Wine keeps its own key in every prefix.
  bool RunsUnderWine() {
    return backend_.platform->registry().KeyExists(
        platform::RegistryRoot::kLocalMachine, u"Software\\Wine", platform::RegistryView::kDefault);
  }
  // Windows refuses to change a read-only file. Wine maps the attribute onto the host's
  // permission bits, which do not stop a process running as root; only there does this
  // probe find the attribute ignored.
  bool ReadOnlyIsEnforced() {
    if (!RunsUnderWine()) return true;
    const std::u16string probe = At(u"read-only-probe");
    files().WriteFile(probe, "probe");
    files().SetAttributes(probe, attribute::kReadOnly);
    const bool enforced = !files().WriteFile(probe, "changed").ok();
    files().SetAttributes(probe, attribute::kNormal);
    files().DeleteFile(probe);
    return enforced;
  }

  TestBackend backend_;
};

TEST_F(FileSystemSuite, ExistenceTellsFilesFromFolders) {
  Write(u"file.txt", "x");
  MakeFolder(u"folder");
  EXPECT_TRUE(files().FileExists(At(u"file.txt")));
  EXPECT_FALSE(files().FolderExists(At(u"file.txt")));
  EXPECT_TRUE(files().FolderExists(At(u"folder")));
  EXPECT_TRUE(files().FolderExists(At(u"folder\\")));
  EXPECT_FALSE(files().FileExists(At(u"folder")));
  EXPECT_FALSE(files().FileExists(At(u"missing.txt")));
  EXPECT_FALSE(files().FolderExists(At(u"missing")));
  EXPECT_FALSE(files().FileExists(At(u"missing\\file.txt")));
}

TEST_F(FileSystemSuite, PathsIgnoreCaseAndAcceptEitherSlashAndTheLongPrefix) {
  MakeFolder(u"Mixed");
  Write(u"Mixed\\Case.TXT", "content");
  std::u16string forward = At(u"mixed/case.txt");
  std::replace(forward.begin(), forward.end(), u'\\', u'/');
  for (const std::u16string& path :
       {At(u"MIXED\\CASE.txt"), forward, u"\\\\?\\" + At(u"Mixed\\Case.TXT")}) {
    SCOPED_TRACE(core::Utf16ToUtf8(path));
    EXPECT_TRUE(files().FileExists(path));
    EXPECT_EQ(files().ReadFile(path).value_or(""), "content");
  }
  // The name keeps the case it was created with.
  EXPECT_EQ(Names(u"mixed\\*"), std::vector<std::u16string>{u"Case.TXT"});
}

TEST_F(FileSystemSuite, DotSegmentsAreResolved) {
  Write(u"a.txt", "a");
  MakeFolder(u"sub");
  EXPECT_EQ(Read(u"sub\\..\\a.txt"), "a");
  EXPECT_EQ(Read(u"sub\\.\\..\\.\\a.txt"), "a");
  EXPECT_TRUE(files().FolderExists(At(u"sub\\.")));
}

TEST_F(FileSystemSuite, CreateFolderMakesParentsAndAcceptsAnExistingFolder) {
  EXPECT_TRUE(files().CreateFolder(At(u"x\\y\\z")).ok());
  EXPECT_TRUE(files().FolderExists(At(u"x\\y")));
  EXPECT_TRUE(files().FolderExists(At(u"x\\y\\z")));
  EXPECT_TRUE(files().CreateFolder(At(u"X\\Y\\Z\\")).ok());
  EXPECT_EQ(Names(u"x\\*"), std::vector<std::u16string>{u"y"});

  Write(u"taken", "file");
  EXPECT_FALSE(files().CreateFolder(At(u"taken")).ok());
  EXPECT_TRUE(files().FileExists(At(u"taken")));
  EXPECT_EQ(Read(u"taken"), "file");
}

TEST_F(FileSystemSuite, RemoveFolderRemovesOnlyAnEmptyFolder) {
  MakeFolder(u"full");
  Write(u"full\\f.txt", "x");
  EXPECT_EQ(files().RemoveFolder(At(u"full")).code(), error::kDirNotEmpty);
  EXPECT_TRUE(files().FileExists(At(u"full\\f.txt")));

  EXPECT_EQ(files().RemoveFolder(At(u"missing")).code(), error::kFileNotFound);
  EXPECT_EQ(files().RemoveFolder(At(u"missing\\deeper")).code(), error::kPathNotFound);
  EXPECT_FALSE(files().RemoveFolder(At(u"full\\f.txt")).ok());
  EXPECT_TRUE(files().FileExists(At(u"full\\f.txt")));

  ASSERT_TRUE(files().DeleteFile(At(u"full\\f.txt")).ok());
  EXPECT_TRUE(files().RemoveFolder(At(u"FULL")).ok());
  EXPECT_FALSE(files().FolderExists(At(u"full")));
}

TEST_F(FileSystemSuite, DeleteFileRefusesFoldersAndReadOnlyFiles) {
  MakeFolder(u"folder");
  Write(u"locked.txt", "keep");
  ASSERT_TRUE(files().SetAttributes(At(u"locked.txt"), attribute::kReadOnly).ok());

  EXPECT_EQ(files().DeleteFile(At(u"missing.txt")).code(), error::kFileNotFound);
  EXPECT_EQ(files().DeleteFile(At(u"missing\\x.txt")).code(), error::kPathNotFound);
  EXPECT_EQ(files().DeleteFile(At(u"folder")).code(), error::kAccessDenied);
  EXPECT_TRUE(files().FolderExists(At(u"folder")));
  EXPECT_EQ(files().DeleteFile(At(u"locked.txt")).code(), error::kAccessDenied);
  EXPECT_EQ(Read(u"locked.txt"), "keep");

  ASSERT_TRUE(files().SetAttributes(At(u"locked.txt"), attribute::kNormal).ok());
  EXPECT_TRUE(files().DeleteFile(At(u"locked.txt")).ok());
  EXPECT_FALSE(files().FileExists(At(u"locked.txt")));
}

TEST_F(FileSystemSuite, WriteReadAndAppendKeepBytesExactly) {
  const std::string binary("\0\x01\xff\r\n\x80text\0", 11);
  Write(u"data.bin", binary);
  EXPECT_EQ(files().ReadFile(At(u"data.bin")).value_or(""), binary);
  EXPECT_EQ(files().FileSize(At(u"data.bin")).value_or(0), binary.size());

  Write(u"data.bin", "short");  // truncates
  EXPECT_EQ(Read(u"data.bin"), "short");
  ASSERT_TRUE(files().AppendFile(At(u"data.bin"), "+more").ok());
  EXPECT_EQ(Read(u"data.bin"), "short+more");

  ASSERT_TRUE(files().AppendFile(At(u"new.log"), "first").ok());
  EXPECT_EQ(Read(u"new.log"), "first");
  Write(u"empty", "");
  EXPECT_EQ(files().ReadFile(At(u"empty")).value_or("x"), "");
  EXPECT_EQ(files().FileSize(At(u"empty")).value_or(1), 0u);
}

TEST_F(FileSystemSuite, ContentCallsReportWindowsErrors) {
  MakeFolder(u"folder");
  EXPECT_EQ(files().ReadFile(At(u"missing.txt")).code(), error::kFileNotFound);
  EXPECT_EQ(files().ReadFile(At(u"missing\\a.txt")).code(), error::kPathNotFound);
  EXPECT_EQ(files().WriteFile(At(u"missing\\a.txt"), "x").code(), error::kPathNotFound);
  EXPECT_EQ(files().AppendFile(At(u"missing\\a.txt"), "x").code(), error::kPathNotFound);
  EXPECT_EQ(files().WriteFile(At(u"folder"), "x").code(), error::kAccessDenied);
  EXPECT_FALSE(files().ReadFile(At(u"folder")).ok());
  EXPECT_TRUE(files().FolderExists(At(u"folder")));
  EXPECT_FALSE(files().FileSize(At(u"missing.txt")).ok());
  for (std::u16string_view bad : {u"a<b.txt", u"a>b.txt", u"a|b.txt", u"a\"b.txt"}) {
    EXPECT_EQ(files().WriteFile(At(bad), "x").code(), error::kInvalidName);
  }
}

TEST_F(FileSystemSuite, AttributesAreSetReadAndClearedByNormal) {
  Write(u"file.txt", "x");
  MakeFolder(u"folder");
  const uint32_t special = attribute::kReadOnly | attribute::kHidden | attribute::kSystem;
  EXPECT_EQ(Attributes(u"file.txt") & (special | attribute::kDirectory), 0u);
  EXPECT_NE(Attributes(u"folder") & attribute::kDirectory, 0u);

  ASSERT_TRUE(
      files().SetAttributes(At(u"file.txt"), attribute::kReadOnly | attribute::kHidden).ok());
  EXPECT_EQ(Attributes(u"file.txt") & special, attribute::kReadOnly | attribute::kHidden);
  ASSERT_TRUE(files().SetAttributes(At(u"file.txt"), attribute::kNormal).ok());
  EXPECT_EQ(Attributes(u"file.txt") & (special | attribute::kDirectory), 0u);

  ASSERT_TRUE(files().SetAttributes(At(u"folder"), attribute::kHidden).ok());
  EXPECT_EQ(Attributes(u"folder") & (attribute::kHidden | attribute::kDirectory),
            attribute::kHidden | attribute::kDirectory);
  ASSERT_TRUE(files().SetAttributes(At(u"folder"), attribute::kNormal).ok());

  EXPECT_EQ(files().GetAttributes(At(u"missing")).code(), error::kFileNotFound);
  EXPECT_EQ(files().GetAttributes(At(u"missing\\x")).code(), error::kPathNotFound);
  EXPECT_FALSE(files().SetAttributes(At(u"missing"), attribute::kHidden).ok());
}

TEST_F(FileSystemSuite, ReadOnlyFileRefusesWrites) {
  if (!ReadOnlyIsEnforced()) GTEST_SKIP() << "the host ignores read-only files (Wine as root)";
  Write(u"ro.txt", "old");
  ASSERT_TRUE(files().SetAttributes(At(u"ro.txt"), attribute::kReadOnly).ok());
  EXPECT_EQ(files().WriteFile(At(u"ro.txt"), "new").code(), error::kAccessDenied);
  EXPECT_EQ(files().AppendFile(At(u"ro.txt"), "new").code(), error::kAccessDenied);
  EXPECT_EQ(Read(u"ro.txt"), "old");
  ASSERT_TRUE(files().SetAttributes(At(u"ro.txt"), attribute::kNormal).ok());
}

TEST_F(FileSystemSuite, CopyFileCopiesContentAndHonoursTheTarget) {
  Write(u"source.txt", "source");
  ASSERT_TRUE(files().CopyFile(At(u"source.txt"), At(u"copy.txt"), true).ok());
  EXPECT_EQ(Read(u"copy.txt"), "source");
  EXPECT_EQ(Read(u"source.txt"), "source");

  Write(u"target.txt", "target");
  EXPECT_EQ(files().CopyFile(At(u"source.txt"), At(u"target.txt"), true).code(),
            error::kFileExists);
  EXPECT_EQ(Read(u"target.txt"), "target");
  ASSERT_TRUE(files().CopyFile(At(u"source.txt"), At(u"TARGET.txt"), false).ok());
  EXPECT_EQ(Read(u"target.txt"), "source");

  EXPECT_EQ(files().CopyFile(At(u"missing.txt"), At(u"x.txt"), false).code(), error::kFileNotFound);
  EXPECT_EQ(files().CopyFile(At(u"source.txt"), At(u"missing\\x.txt"), false).code(),
            error::kPathNotFound);
}

TEST_F(FileSystemSuite, CopyFileRefusesAReadOnlyTarget) {
  if (!ReadOnlyIsEnforced()) GTEST_SKIP() << "the host ignores read-only files (Wine as root)";
  Write(u"source.txt", "source");
  Write(u"ro.txt", "read-only");
  ASSERT_TRUE(files().SetAttributes(At(u"ro.txt"), attribute::kReadOnly).ok());
  EXPECT_EQ(files().CopyFile(At(u"source.txt"), At(u"ro.txt"), false).code(), error::kAccessDenied);
  EXPECT_EQ(Read(u"ro.txt"), "read-only");
  ASSERT_TRUE(files().SetAttributes(At(u"ro.txt"), attribute::kNormal).ok());
}

TEST_F(FileSystemSuite, CopyFileKeepsAttributesAndWriteTime) {
  Write(u"source.txt", "source");
  ASSERT_TRUE(files().SetAttributes(At(u"source.txt"), attribute::kReadOnly).ok());
  ASSERT_TRUE(files().CopyFile(At(u"source.txt"), At(u"copy.txt"), true).ok());
  EXPECT_NE(Attributes(u"copy.txt") & attribute::kReadOnly, 0u);

  auto source = files().FindFiles(At(u"source.txt"));
  auto copy = files().FindFiles(At(u"copy.txt"));
  ASSERT_TRUE(source.ok() && copy.ok());
  ASSERT_EQ(source->size(), 1u);
  ASSERT_EQ(copy->size(), 1u);
  EXPECT_EQ((*copy)[0].last_write_time, (*source)[0].last_write_time);
  files().SetAttributes(At(u"source.txt"), attribute::kNormal);
  files().SetAttributes(At(u"copy.txt"), attribute::kNormal);
}

TEST_F(FileSystemSuite, MoveFileRenamesAndMovesFiles) {
  MakeFolder(u"other");
  Write(u"a.txt", "a");
  ASSERT_TRUE(files().MoveFile(At(u"a.txt"), At(u"b.txt"), false).ok());
  EXPECT_FALSE(files().FileExists(At(u"a.txt")));
  EXPECT_EQ(Read(u"b.txt"), "a");
  ASSERT_TRUE(files().MoveFile(At(u"b.txt"), At(u"other\\c.txt"), false).ok());
  EXPECT_EQ(Read(u"other\\c.txt"), "a");

  Write(u"d.txt", "d");
  EXPECT_EQ(files().MoveFile(At(u"d.txt"), At(u"other\\c.txt"), false).code(),
            error::kAlreadyExists);
  EXPECT_EQ(Read(u"d.txt"), "d");
  EXPECT_EQ(Read(u"other\\c.txt"), "a");
  ASSERT_TRUE(files().MoveFile(At(u"d.txt"), At(u"other\\c.txt"), true).ok());
  EXPECT_EQ(Read(u"other\\c.txt"), "d");
  EXPECT_FALSE(files().FileExists(At(u"d.txt")));

  EXPECT_EQ(files().MoveFile(At(u"missing.txt"), At(u"x.txt"), false).code(), error::kFileNotFound);
}

TEST_F(FileSystemSuite, MoveFileChangesTheCaseOfAName) {
  Write(u"name.txt", "x");
  ASSERT_TRUE(files().MoveFile(At(u"name.txt"), At(u"NAME.txt"), false).ok());
  EXPECT_EQ(Read(u"name.txt"), "x");
  // Wine finds the target to be the source and leaves the name as it was.
  if (!RunsUnderWine()) {
    EXPECT_EQ(Names(u"*"), std::vector<std::u16string>{u"NAME.txt"});
  }
}

TEST_F(FileSystemSuite, MoveFileRefusesToReplaceAReadOnlyFile) {
  if (!ReadOnlyIsEnforced()) GTEST_SKIP() << "the host ignores read-only files (Wine as root)";
  Write(u"new.txt", "new");
  Write(u"ro.txt", "old");
  ASSERT_TRUE(files().SetAttributes(At(u"ro.txt"), attribute::kReadOnly).ok());
  EXPECT_EQ(files().MoveFile(At(u"new.txt"), At(u"ro.txt"), true).code(), error::kAccessDenied);
  EXPECT_EQ(Read(u"ro.txt"), "old");
  EXPECT_TRUE(files().FileExists(At(u"new.txt")));
  ASSERT_TRUE(files().SetAttributes(At(u"ro.txt"), attribute::kNormal).ok());
}

TEST_F(FileSystemSuite, MoveFileMovesFoldersWithTheirContent) {
  MakeFolder(u"tree\\inner");
  Write(u"tree\\inner\\leaf.txt", "leaf");
  ASSERT_TRUE(files().MoveFile(At(u"tree"), At(u"moved"), false).ok());
  EXPECT_FALSE(files().FolderExists(At(u"tree")));
  EXPECT_EQ(Read(u"moved\\inner\\leaf.txt"), "leaf");

  EXPECT_FALSE(files().MoveFile(At(u"moved"), At(u"moved\\inner\\deeper"), false).ok());
  EXPECT_EQ(Read(u"moved\\inner\\leaf.txt"), "leaf");
}

TEST_F(FileSystemSuite, FindFilesMatchesWildcardsWithoutRegardToCase) {
  for (std::u16string_view name : {u"a.txt", u"ab.txt", u"B.TXT", u"c.log", u"noext"}) {
    Write(name, "12345");
  }
  MakeFolder(u"sub");
  struct Case {
    std::u16string_view pattern;
    std::vector<std::u16string> names;
  };
  const Case cases[] = {
      {u"*", {u"a.txt", u"ab.txt", u"B.TXT", u"c.log", u"noext", u"sub"}},
      {u"*.*", {u"a.txt", u"ab.txt", u"B.TXT", u"c.log", u"noext", u"sub"}},
      {u"*.txt", {u"a.txt", u"ab.txt", u"B.TXT"}},
      {u"*.TXT", {u"a.txt", u"ab.txt", u"B.TXT"}},
      {u"?.txt", {u"a.txt", u"B.TXT"}},
      {u"a*", {u"a.txt", u"ab.txt"}},
      {u"*b*", {u"ab.txt", u"B.TXT", u"sub"}},
      {u"c.log", {u"c.log"}},
      {u"nothing*", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(core::Utf16ToUtf8(c.pattern));
    EXPECT_EQ(Names(c.pattern), c.names);
  }
}

TEST_F(FileSystemSuite, FindFilesDescribesEachEntry) {
  Write(u"five.bin", "12345");
  MakeFolder(u"sub");
  auto found = files().FindFiles(At(u"*"));
  ASSERT_TRUE(found.ok());
  ASSERT_EQ(found->size(), 2u);
  for (const FoundFile& file : *found) {
    if (file.name == u"five.bin") {
      EXPECT_FALSE(file.is_folder());
      EXPECT_EQ(file.size, 5u);
      EXPECT_GT(file.last_write_time, 0u);
    } else {
      EXPECT_EQ(file.name, u"sub");
      EXPECT_TRUE(file.is_folder());
    }
  }
  EXPECT_EQ(files().FindFiles(At(u"missing\\*")).code(), error::kPathNotFound);
}

TEST_F(FileSystemSuite, TempFolderExistsAndEndsWithABackslash) {
  const std::u16string temp = files().TempFolder();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), u'\\');
  EXPECT_TRUE(files().FolderExists(temp));
}

bool IsHexDigit(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

TEST_F(FileSystemSuite, CreateTempFileMakesNewEmptyFilesNamedLikeGetTempFileName) {
  auto first = files().CreateTempFile(backend_.scratch_folder, u"vexing");
  auto second = files().CreateTempFile(backend_.scratch_folder, u"vexing");
  ASSERT_TRUE(first.ok() && second.ok());
  EXPECT_NE(core::Lower(*first), core::Lower(*second));
  for (const std::u16string& path : {*first, *second}) {
    ASSERT_TRUE(core::StartsWithIgnoreCase(path, backend_.scratch_folder));
    const std::u16string name = path.substr(backend_.scratch_folder.size());
    // "vex" + 1 to 4 hex digits + ".tmp"
    ASSERT_TRUE(core::StartsWithIgnoreCase(name, u"vex")) << "prefix cut to three characters";
    ASSERT_TRUE(core::EndsWithIgnoreCase(name, u".tmp"));
    const std::u16string number = name.substr(3, name.size() - 7);
    EXPECT_GE(number.size(), 1u);
    EXPECT_LE(number.size(), 4u);
    EXPECT_TRUE(std::all_of(number.begin(), number.end(), IsHexDigit));
    EXPECT_TRUE(files().FileExists(path));
    EXPECT_EQ(files().FileSize(path).value_or(1), 0u);
  }
  EXPECT_FALSE(files().CreateTempFile(At(u"missing\\"), u"x").ok());
}

TEST_F(FileSystemSuite, ShortAndLongPathsRoundTrip) {
  MakeFolder(u"A Long Folder Name");
  Write(u"A Long Folder Name\\Some Long File.text", "x");
  const std::u16string long_path = At(u"A Long Folder Name\\Some Long File.text");
  auto short_path = files().ShortPath(long_path);
  ASSERT_TRUE(short_path.ok()) << "code " << short_path.code();
  EXPECT_TRUE(files().FileExists(*short_path));
  EXPECT_EQ(files().ReadFile(*short_path).value_or(""), "x");
  // The scratch folder itself may sit below short names (a TEMP of "C:\Users\RUNNER~1\...").
  auto expected = files().LongPath(long_path);
  auto back = files().LongPath(*short_path);
  ASSERT_TRUE(expected.ok() && back.ok());
  EXPECT_TRUE(core::EqualIgnoreCase(*back, *expected));
  EXPECT_TRUE(core::EndsWithIgnoreCase(*back, u"\\A Long Folder Name\\Some Long File.text"));

  auto folder = files().LongPath(core::Upper(At(u"a long folder name")));
  ASSERT_TRUE(folder.ok());
  EXPECT_TRUE(core::EndsWithIgnoreCase(*folder, u"\\A Long Folder Name"));
  EXPECT_FALSE(files().ShortPath(At(u"missing.txt")).ok());
  EXPECT_FALSE(files().LongPath(At(u"missing.txt")).ok());
}

}  // namespace
}  // namespace velkor::testing
