// Reading 7-Zip's output and building its command lines, without running it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "media/archive/archive_errors.h"
#include "media/archive/archive_item.h"
#include "media/archive/tool_output.h"
#include "platform/seven_zip.h"

namespace velkor::media::archive {
namespace {

using platform::SevenZipArguments;
using platform::SevenZipCommand;
using platform::SevenZipStreams;
using platform::SevenZipToolPaths;
using platform::SevenZipVerb;

TEST(ArchiveItemNames, SafeAndUnsafeNames) {
  struct Case {
    std::u16string name;
    bool safe;
  };
  const Case cases[] = {
      {u"file.txt", true},
      {u"dir\\sub\\file.txt", true},
      {u"dir/sub/file.txt", true},
      {u"./dir/file", true},
      {u"a..b\\c.d..e", true},
      {u"..file", true},
      {u"", false},
      {u"..", false},
      {u"../evil", false},
      {u"dir\\..\\..\\evil", false},
      {u"dir/../evil", false},
      {u"/etc/passwd", false},
      {u"\\evil", false},
      {u"\\\\?\\C:\\evil", false},
      {u"\\\\server\\share\\evil", false},
      {u"C:\\evil", false},
      {u"C:evil", false},
      {u"file.txt:stream", false},
      {u"dir\\...\\evil", false},
      {u"dir\\.. \\evil", false},
      {u"dir\\. .\\evil", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsSafeItemName(c.name), c.safe) << std::string(c.name.begin(), c.name.end());
  }
}

// A listing as 7zz prints it for a 7z archive: archive block, then the items.
constexpr char kSevenZipListing[] =
    "\n7-Zip (z) 26.02 (x64) : Copyright (c) 1999-2026 Igor Pavlov : 2026-06-25\n"
    "\nListing archive: /tmp/a.7z\n\n--\nPath = /tmp/a.7z\nType = 7z\nPhysical Size = 300\n"
    "\n----------\n"
    "Path = dir\nSize = 0\nPacked Size = 0\nModified = 2024-02-29 23:59:58\n"
    "Attributes = D drwxr-xr-x\nCRC = \nEncrypted = -\n\n"
    "Path = dir/f\xC3\xBCr.txt\nSize = 12\nPacked Size = 40\n"
    "Modified = 2026-12-11 12:42:45.7442127\nAttributes = RA -r--r--r--\nCRC = 363A3020\n\n"
    "Path = link\nSize = 11\nPacked Size = \nModified = 2026-12-11 12:44:28\n"
    "Attributes = A lrwxrwxrwx\n\n"
    "Path = hidden.sys\nSize = 5\nPacked Size = \nModified = \nAttributes = HSA\n\n";

TEST(TechnicalListing, ReadsItemsOf7zArchive) {
  const auto items = ParseTechnicalListing(kSevenZipListing);
  ASSERT_EQ(items.size(), 4u);

  EXPECT_EQ(items[0].name, u"dir");
  EXPECT_TRUE(items[0].is_folder);
  EXPECT_EQ(items[0].attributes, 0x10u | 0x8000u | (040755u << 16));

  EXPECT_EQ(items[1].name, u"dir\\f\u00FCr.txt");
  EXPECT_EQ(items[1].size, 12u);
  EXPECT_EQ(items[1].packed_size, 40u);
  EXPECT_EQ(items[1].attributes, 0x21u | 0x8000u | (0100444u << 16));
  EXPECT_EQ(items[1].time, ParseListingTime("2026-12-11 12:42:45") + 7442127u);
  EXPECT_FALSE(items[1].is_folder);
  EXPECT_FALSE(items[1].is_link);

  EXPECT_TRUE(items[2].is_link);
  EXPECT_EQ(items[2].packed_size, 0u);
  EXPECT_EQ(items[3].attributes, 0x26u);
  EXPECT_EQ(items[3].time, 0u);
}

TEST(TechnicalListing, ReadsTarModesAndLinkFields) {
  const auto items = ParseTechnicalListing(
      "--\nPath = x.tar\nType = tar\n\n----------\n"
      "Path = lnk\nFolder = -\nSize = 4\nMode = lrw-r--r--\nSymbolic Link = /tmp\nHard Link = \n\n"
      "Path = hard\nFolder = -\nMode = -rw-r--r--\nSymbolic Link = \nHard Link = /etc/passwd\n\n"
      "Path = sub\nFolder = +\nMode = drwxr-xr-x\n\n"
      "Path = plain\nFolder = -\nMode = -rwsr-x--T\nSymbolic Link = \nHard Link = \n");
  ASSERT_EQ(items.size(), 4u);
  EXPECT_TRUE(items[0].is_link);
  EXPECT_TRUE(items[1].is_link);
  EXPECT_TRUE(items[2].is_folder);
  EXPECT_EQ(items[2].attributes & 0x10u, 0x10u);
  EXPECT_FALSE(items[3].is_link);
  EXPECT_EQ(items[3].attributes >> 16, 0105750u);
}

TEST(TechnicalListing, NoItemsWithoutTheSeparator) {
  EXPECT_TRUE(ParseTechnicalListing("Path = a\nSize = 1\n").empty());
  EXPECT_TRUE(ParseTechnicalListing("").empty());
}

TEST(TechnicalListing, Times) {
  // 1601-01-01 is FILETIME 0; the Unix epoch is 11644473600 seconds later.
  EXPECT_EQ(ParseListingTime("1601-01-01 00:00:00"), 0u);
  EXPECT_EQ(ParseListingTime("1970-01-01 00:00:00"), 116444736000000000u);
  EXPECT_EQ(ParseListingTime("2000-03-01 00:00:01.5"),
            ParseListingTime("2000-02-28 00:00:01") + 2 * 864000000000u + 5000000u);
  EXPECT_EQ(ParseListingTime(""), 0u);
  EXPECT_EQ(ParseListingTime("2024-13-01 00:00:00"), 0u);
  EXPECT_EQ(ParseListingTime("2024-01-01T00:00:00"), 0u);
}

TEST(TechnicalListing, AttributeTexts) {
  EXPECT_EQ(ParseListingAttributes("A"), 0x20u);
  EXPECT_EQ(ParseListingAttributes("RHSDAL"), 0x437u);
  EXPECT_EQ(ParseListingAttributes("A 00020000"), 0x20020u);
  EXPECT_EQ(ParseListingAttributes("A -rw-r--r--"), 0x8020u | (0100644u << 16));
  EXPECT_EQ(ParseListingAttributes(""), 0u);
}

TEST(ToolFailures, ExitCodesAndMessages) {
  using namespace error_code;
  struct Case {
    int exit_code;
    const char* output;
    uint32_t code;
  };
  const Case cases[] = {
      {0, "", kNone},
      {1, "WARNING: cannot find a.txt", kWarnings},
      {7, "Command Line Error:\nUnknown switch:\n-zzz", kBadArguments},
      {8, "ERROR: Can't allocate required memory!", kOutOfMemory},
      {2, "ERROR: Can't allocate required memory!", kOutOfMemory},
      {255, "Break signaled", kStopped},
      {2, "ERROR: a.7z : Cannot open encrypted archive. Wrong password?", kCannotOpen},
      {2, "Can't open as archive: 1", kCannotOpen},
      {2, "ERROR: Data Error in encrypted file. Wrong password? : a.txt", kWrongPassword},
      {2, "ERROR: CRC Failed : big.bin", kDataError},
      {2, "ERROR: Headers Error", kDataError},
      {2, "System ERROR:\nE_INVALIDARG : One or more arguments are invalid", kBadArguments},
      {2, "System ERROR:\nerrno=28 : No space left on device", kFatal},
      {137, "", kToolFailed},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ClassifyToolFailure(c.exit_code, c.output), c.code) << c.exit_code << " " << c.output;
  }
}

TEST(SevenZipStreams, ProgressPiecesInAnySplit) {
  // 7zz's progress stream as it arrives, in pieces that cut lines anywhere.
  const std::string stream =
      "  0M Scan\b\b\b\b\b\b\b\b\b         \b\b\b\b\b\b\b\b\b  0%\b\b\b\b    \b\b\b\b"
      " 14% 1 + d/long . name.bin\b\b\b\b\b\b\b\b      \b\b\b\b\b\b 50% 2 + b.bin\r 99%";
  struct Case {
    size_t piece;
    std::vector<uint64_t> seen;  // states in one read collapse to the last
  };
  const Case cases[] = {
      {1, {0, 280, 1000}}, {3, {0, 280, 1000}}, {7, {0, 280, 1000}}, {1000, {1000}}};
  for (const auto& [piece, expected] : cases) {
    SevenZipStreams streams(2000);
    std::vector<uint64_t> seen;
    for (size_t at = 0; at < stream.size(); at += piece) {
      if (streams.AddProgress(stream.substr(at, piece))) seen.push_back(streams.Progress().done);
    }
    streams.Finish();
    EXPECT_EQ(seen, expected) << piece;
    EXPECT_EQ(streams.Progress().done, 1980u);
    EXPECT_EQ(streams.Progress().total, 2000u);
    EXPECT_EQ(streams.Progress().current_file, u"b.bin");
    EXPECT_EQ(streams.TakeOutput(), "") << "progress is not output";
  }
}

TEST(SevenZipStreams, MessagesLogLinesAndProgressOnOneStream) {
  // Standard error of an add: messages, the log line of each item, progress; 7za ends its
  // lines with CR LF.
  SevenZipStreams streams(0);
  EXPECT_TRUE(streams.AddProgress(
      "\nScanning the drive:\n  0M Scan \b\b\b\b\b\b\b\b\b\b          \b\b\b\b\b\b\b\b\b\b"
      "1 folder, 2 files, 6000 bytes (6 KiB)\n\nAdd new data to archive: 1 folder, 2 files, "
      "6000 bytes (6 KiB)\n\n+ dir\\full name.txt\n"))
      << "a new item is news";
  EXPECT_TRUE(streams.AddProgress("  0% 1\b\b\b\b\b\b      \b\b\b\b\b\b 50% 1\b"));
  EXPECT_FALSE(streams.AddProgress("\r\nERROR: Wrong password\r\nEverything"));
  streams.Finish();
  const auto progress = streams.Progress();
  EXPECT_EQ(progress.total, 6000u) << "the announced size is the total";
  EXPECT_EQ(progress.done, 3000u);
  EXPECT_EQ(progress.current_file, u"dir\\full name.txt");
  EXPECT_EQ(streams.TakeOutput(),
            "Scanning the drive:\n1 folder, 2 files, 6000 bytes (6 KiB)\n"
            "Add new data to archive: 1 folder, 2 files, 6000 bytes (6 KiB)\n"
            "ERROR: Wrong password\nEverything\n");
  EXPECT_TRUE(streams.Complete());
  EXPECT_EQ(streams.Progress().done, 6000u);
}

TEST(SevenZipStreams, ListingOnStandardOutput) {
  SevenZipStreams streams(0);
  streams.AddOutput("Path = a\r\nSize");
  streams.AddOutput(" = 5\r\n\r\nPath = b");
  streams.Finish();
  EXPECT_EQ(streams.TakeOutput(), "Path = a\nSize = 5\n\nPath = b\n");
}

TEST(SevenZipCommandLine, PasswordTravelsOnlyThroughInput) {
  SevenZipCommand command;
  command.verb = SevenZipVerb::kAdd;
  command.password = u"s3cret pass";
  command.switches = {u"-t7z", u"-mx=1"};
  SevenZipToolPaths paths;
  paths.archive = u"C:\\out\\a.7z";
  paths.items_list = u"C:\\work\\items";
  auto args = SevenZipArguments(command, paths);
  ASSERT_TRUE(args.ok());
  for (const auto& arg : *args) {
    EXPECT_EQ(arg.find(u"s3cret"), std::u16string::npos);
  }
  EXPECT_NE(std::find(args->begin(), args->end(), u"-p"), args->end());
  EXPECT_EQ(args->back(), u"@C:\\work\\items");
  EXPECT_EQ(*platform::SevenZipPasswordInput(u"s3cret pass"), "s3cret pass\ns3cret pass\n");
  EXPECT_FALSE(platform::SevenZipPasswordInput(u"two\nlines").ok());
}

TEST(SevenZipCommandLine, RefusesArgumentsTheToolWouldMisread) {
  const std::u16string bad_paths[] = {u"-rf.7z", u"@list", u"C:\\a\"b.7z", u"C:\\*.7z", u""};
  for (const auto& path : bad_paths) {
    SevenZipCommand command;
    command.verb = SevenZipVerb::kTest;
    SevenZipToolPaths paths;
    paths.archive = path;
    EXPECT_FALSE(SevenZipArguments(command, paths).ok());
  }
  SevenZipCommand add;
  add.verb = SevenZipVerb::kAdd;
  add.switches = {u"-m\"x"};
  SevenZipToolPaths paths;
  paths.archive = u"C:\\a.7z";
  EXPECT_FALSE(SevenZipArguments(add, paths).ok());
}

TEST(SevenZipCommandLine, ListFileQuotesEveryName) {
  EXPECT_EQ(platform::SevenZipListFile({u" lead", u"a\"b", u"\u00FC"}),
            "\" lead\"\n\"a\"b\"\n\"\xC3\xBC\"\n");
}

}  // namespace
}  // namespace velkor::media::archive
