// Removing a folder tree at the end of a run, on the backend of the build.
#include "startup/support_folder.h"

#include <gtest/gtest.h>

#include "platform/test_backend.h"

namespace velkor::startup {
namespace {

TEST(SupportFolderTest, TreeGoesWithReadOnlyFilesAndNestedFolders) {
  auto backend = velkor::testing::MakeTestBackend();
  ASSERT_NE(backend.platform, nullptr);
  platform::FileSystem& files = backend.platform->files();
  const std::u16string root = backend.scratch_folder + u"vex1\\";
  ASSERT_TRUE(files.CreateFolder(root + u"a\\b"));
  ASSERT_TRUE(files.WriteFile(root + u"top.txt", "1"));
  ASSERT_TRUE(files.WriteFile(root + u"a\\b\\deep.txt", "2"));
  ASSERT_TRUE(files.WriteFile(root + u"a\\locked.txt", "3"));
  ASSERT_TRUE(files.SetAttributes(root + u"a\\locked.txt", platform::attribute::kReadOnly));

  DeleteFolderTree(files, root);
  EXPECT_FALSE(files.FolderExists(root));
  EXPECT_TRUE(files.FolderExists(backend.scratch_folder));
  velkor::testing::DestroyTestBackend(backend);
}

TEST(SupportFolderTest, FirstFreeNumberIsTaken) {
  auto backend = velkor::testing::MakeTestBackend();
  ASSERT_NE(backend.platform, nullptr);
  platform::FileSystem& files = backend.platform->files();
  const std::u16string work = backend.scratch_folder;
  EXPECT_EQ(FindSupportFolder(files, work), work + u"vex1\\");
  ASSERT_TRUE(files.CreateFolder(work + u"vex1"));
  ASSERT_TRUE(files.WriteFile(work + u"vex2", "a file of that name"));
  ASSERT_TRUE(files.CreateFolder(work + u"vex4"));
  EXPECT_EQ(FindSupportFolder(files, work), work + u"vex3\\");
  velkor::testing::DestroyTestBackend(backend);
}

}  // namespace
}  // namespace velkor::startup
