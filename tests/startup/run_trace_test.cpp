// The run trace's file: UTF-16LE without a byte-order mark, CR LF, truncated by the first
// write of the process only. Runs against the backend of the build (sandbox or Windows).
#include "startup/run_trace.h"

#include <gtest/gtest.h>

#include "core/text.h"
#include "platform/test_backend.h"

namespace velkor::startup {
namespace {

class RunTraceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend_ = velkor::testing::MakeTestBackend();
    ASSERT_NE(backend_.platform, nullptr);
  }
  void TearDown() override { velkor::testing::DestroyTestBackend(backend_); }

  platform::FileSystem& files() { return backend_.platform->files(); }
  std::u16string Path(std::u16string_view name) {
    return backend_.scratch_folder + std::u16string(name);
  }
  std::string Bytes(std::u16string_view name) {
    return files().ReadFile(Path(name)).value_or("<missing>");
  }

  velkor::testing::TestBackend backend_;
};

TEST_F(RunTraceTest, LinesAreUtf16WithCrLfAndNoByteOrderMark) {
  RunTrace trace(files());
  trace.SetLogPath(Path(u"setup.log"));
  trace.WriteTrace(u"<Velkor>");
  trace.WriteTrace(u"    <SupportDir>");
  trace.WriteTrace(u"\u00E9\U0001F600");
  EXPECT_EQ(Bytes(u"setup.log"), std::string("<\0V\0e\0l\0k\0o\0r\0>\0\r\0\n\0", 20) +
                                     core::ToUtf16LeBytes(u"    <SupportDir>\r\n") +
                                     std::string("\xE9\0\x3D\xD8\x00\xDE\r\0\n\0", 10));
}

TEST_F(RunTraceTest, FirstWriteOfTheProcessTruncatesLaterOnesAppend) {
  ASSERT_TRUE(files().WriteFile(Path(u"old.log"), "stale content of an earlier run"));
  RunTrace trace(files());
  trace.SetLogPath(Path(u"old.log"));
  trace.WriteTrace(u"a");
  trace.WriteTrace(u"b");
  EXPECT_EQ(Bytes(u"old.log"), core::ToUtf16LeBytes(u"a\r\nb\r\n"));

  // A new path after the first write is appended to, not truncated.
  ASSERT_TRUE(files().WriteFile(Path(u"second.log"), core::ToUtf16LeBytes(u"kept\r\n")));
  trace.SetLogPath(Path(u"second.log"));
  trace.WriteTrace(u"c");
  EXPECT_EQ(Bytes(u"second.log"), core::ToUtf16LeBytes(u"kept\r\nc\r\n"));
}

TEST_F(RunTraceTest, NothingIsWrittenWhileTheLogPathIsEmpty) {
  RunTrace trace(files());
  trace.WriteTrace(u"lost");
  // The write that did nothing does not count as the first one.
  ASSERT_TRUE(files().WriteFile(Path(u"late.log"), "stale"));
  trace.SetLogPath(Path(u"late.log"));
  trace.WriteTrace(u"x");
  EXPECT_EQ(Bytes(u"late.log"), core::ToUtf16LeBytes(u"x\r\n"));

  trace.SetLogPath(u"");
  trace.WriteTrace(u"y");
  EXPECT_EQ(Bytes(u"late.log"), core::ToUtf16LeBytes(u"x\r\n"));
}

}  // namespace
}  // namespace velkor::startup
