// The archive operations against the backend's real 7-Zip: 7zz in the sandbox, 7za.exe
// under Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/text.h"
#include "media/archive/archive_library.h"
#include "media/archive/archive_operations.h"
#include "media/archive/switch_text.h"
#include "media/archive_test_backend.h"
#include "media/crafted_archives.h"

namespace velkor::media::archive {
namespace {

using core::Utf16ToUtf8;
using Names = std::vector<std::u16string>;

constexpr char16_t kUnicodeName[] = u"\u00FCn\u00EF code.txt";

// Text that 7-Zip cannot squeeze much, so that work takes measurable time.
std::string NoisyBytes(size_t size, uint32_t seed) {
  std::string bytes(size, '\0');
  for (auto& b : bytes) {
    seed = seed * 1664525u + 1013904223u;
    b = static_cast<char>(seed >> 24);
  }
  return bytes;
}

class ArchiveLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend_ = testing::MakeArchiveTestBackend();
    ASSERT_NE(backend_.platform, nullptr);
    if (!backend_.tool) GTEST_SKIP() << backend_.missing_tool;
    library_ = std::make_unique<ArchiveLibrary>(*backend_.tool, files());
    ASSERT_TRUE(files().CreateFolder(Path(u"work\\")));
    library_->SetLibraryFolder(Path(u"work\\"));
    context_ = std::make_unique<ArchiveContext>(ArchiveContext{*library_, 2, {}, {}});
  }
  void TearDown() override {
    // The library's list files are gone after every operation.
    if (backend_.tool) {
      EXPECT_EQ(Tree(u"work\\"), Names{});
    }
    testing::DestroyArchiveTestBackend(backend_);
  }

  platform::FileSystem& files() { return backend_.platform->files(); }
  std::u16string Path(std::u16string_view relative) const {
    return backend_.scratch_folder + std::u16string(relative);
  }
  void Write(std::u16string_view relative, std::string_view bytes) {
    const std::u16string path = Path(relative);
    files().CreateFolder(path.substr(0, path.find_last_of(u'\\') + 1));
    ASSERT_TRUE(files().WriteFile(path, bytes)) << Utf16ToUtf8(path);
  }
  std::optional<std::string> Read(std::u16string_view relative) {
    auto bytes = files().ReadFile(Path(relative));
    if (!bytes) return std::nullopt;
    return *bytes;
  }
  // Every file and folder below a folder of the scratch folder, relative to it, sorted.
  Names Tree(std::u16string_view relative = u"") {
    Names names;
    Collect(Path(relative), u"", names);
    std::sort(names.begin(), names.end());
    return names;
  }

  // src\a.txt, src\dir\b.txt and src\dir\<unicode name>.
  void MakeSource() {
    Write(u"src\\a.txt", "alpha");
    Write(u"src\\dir\\b.txt", "bravo bravo");
    Write(std::u16string(u"src\\dir\\") + kUnicodeName, NoisyBytes(3000, 1));
  }
  ArchiveResult Pack(std::u16string_view archive, std::u16string_view password,
                     std::u16string_view switches, const ProgressCallback& progress = nullptr) {
    return CreateArchive(*context_, Path(archive), password, switches, {Path(u"src\\*")}, {},
                         update_code::kAdd, archive_code::k7z, progress);
  }
  ArchiveResult Unpack(std::u16string_view archive, std::u16string_view password,
                       std::optional<Names> items = std::nullopt, bool overwrite_all = true,
                       bool keep_paths = true, const ProgressCallback& progress = nullptr) {
    return ExtractArchive(*context_, Path(archive), password, Path(u"out\\"), items, progress,
                          overwrite_all, keep_paths);
  }
  Names ListNames(std::u16string_view archive, std::u16string_view password) {
    std::vector<ArchiveItem> items;
    const ArchiveResult result = ListArchive(*context_, Path(archive), password, items);
    EXPECT_TRUE(result.ok) << Utf16ToUtf8(result.error_text);
    Names names;
    for (const auto& item : items) names.push_back(item.name);
    std::sort(names.begin(), names.end());
    return names;
  }

  testing::ArchiveTestBackend backend_;
  std::unique_ptr<ArchiveLibrary> library_;
  std::unique_ptr<ArchiveContext> context_;

 private:
  void Collect(const std::u16string& folder, const std::u16string& prefix, Names& names) {
    auto found = files().FindFiles(folder + u"*");
    if (!found) return;
    for (const auto& entry : *found) {
      names.push_back(prefix + entry.name);
      if (entry.is_folder())
        Collect(folder + entry.name + u"\\", prefix + entry.name + u"\\", names);
    }
  }
};

TEST_F(ArchiveLibraryTest, PasswordRoundTripWithEncryptedNames) {
  MakeSource();
  const std::u16string password = u"p\u00E4ss w\u20ACrd";
  ArchiveResult result = Pack(u"pack.7z", password, PresetSwitchText(1, true, 2));
  ASSERT_TRUE(result.ok) << Utf16ToUtf8(result.error_text);

  std::vector<ArchiveItem> items;
  ASSERT_TRUE(ListArchive(*context_, Path(u"pack.7z"), password, items).ok);
  std::sort(items.begin(), items.end(), [](auto& a, auto& b) { return a.name < b.name; });
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[0].name, u"a.txt");
  EXPECT_EQ(items[0].size, 5u);
  EXPECT_NE(items[0].time, 0u);
  EXPECT_EQ(items[1].name, u"dir");
  EXPECT_TRUE(items[1].is_folder);
  EXPECT_EQ(items[2].name, u"dir\\b.txt");
  EXPECT_EQ(items[3].name, std::u16string(u"dir\\") + kUnicodeName);
  EXPECT_EQ(items[3].size, 3000u);

  result = TestArchive(*context_, Path(u"pack.7z"), password, nullptr);
  EXPECT_TRUE(result.ok) << Utf16ToUtf8(result.error_text);
  result = Unpack(u"pack.7z", password);
  ASSERT_TRUE(result.ok) << Utf16ToUtf8(result.error_text);
  EXPECT_EQ(Read(u"out\\a.txt"), "alpha");
  EXPECT_EQ(Read(u"out\\dir\\b.txt"), "bravo bravo");
  EXPECT_EQ(Read(std::u16string(u"out\\dir\\") + kUnicodeName), NoisyBytes(3000, 1));
}

TEST_F(ArchiveLibraryTest, WrongOrMissingPasswords) {
  MakeSource();
  ASSERT_TRUE(Pack(u"names.7z", u"right", PresetSwitchText(2, true, 2)).ok);
  ASSERT_TRUE(Pack(u"data.7z", u"right", PresetSwitchText(2, false, 2)).ok);
  const std::u16string cannot_open(kCannotOpenMessage);
  struct Case {
    std::u16string archive, password;
    bool lists;
    std::u16string extract_error, test_error;
  };
  const Case cases[] = {
      // Encrypted names: nothing can even be listed.
      {u"names.7z", u"wrong", false, cannot_open, u"#1002"},
      {u"names.7z", u"", false, cannot_open, u"#1002"},
      // Only the data is encrypted: the listing works, the data does not.
      {u"data.7z", u"wrong", true, u"#1003", u"#1003"},
      {u"data.7z", u"", true, u"#1003", u"#1003"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.archive + u" / " + c.password));
    std::vector<ArchiveItem> items;
    const ArchiveResult listed = ListArchive(*context_, Path(c.archive), c.password, items);
    EXPECT_EQ(listed.ok, c.lists);
    if (!c.lists) {
      EXPECT_EQ(listed.error_text, cannot_open);
    }
    EXPECT_EQ(Unpack(c.archive, c.password).error_text, c.extract_error);
    EXPECT_EQ(TestArchive(*context_, Path(c.archive), c.password, nullptr).error_text,
              c.test_error);
  }
}

TEST_F(ArchiveLibraryTest, DamagedMissingAndForeignArchives) {
  Write(u"src\\big.txt", NoisyBytes(200000, 7));
  ASSERT_TRUE(Pack(u"good.7z", u"", u"-mx=0").ok);
  std::string bytes = *Read(u"good.7z");
  std::string damaged = bytes;
  for (size_t i = 100000; i < 100016; ++i) damaged[i] = static_cast<char>(~damaged[i]);
  Write(u"damaged.7z", damaged);
  Write(u"truncated.7z", bytes.substr(0, 40));
  Write(u"text.7z", "this is not an archive at all");

  EXPECT_EQ(TestArchive(*context_, Path(u"damaged.7z"), u"", nullptr).error_text, u"#1004");
  EXPECT_EQ(Unpack(u"damaged.7z", u"").error_text, u"#1004");
  for (std::u16string_view name : {u"truncated.7z", u"text.7z"}) {
    EXPECT_EQ(Unpack(name, u"").error_text, kCannotOpenMessage) << Utf16ToUtf8(name);
    EXPECT_EQ(TestArchive(*context_, Path(name), u"", nullptr).error_text, u"#1002");
  }
  std::vector<ArchiveItem> items;
  EXPECT_EQ(ListArchive(*context_, Path(u"gone.7z"), u"", items).error_text, u"#1001");
  EXPECT_EQ(Unpack(u"gone.7z", u"").error_text, u"#1001");
  EXPECT_EQ(TestArchive(*context_, Path(u"gone.7z"), u"", nullptr).error_text, u"#1001");
  EXPECT_EQ(DeleteFromArchive(*context_, Path(u"gone.7z"), u"", {u"a"}, nullptr).error_text,
            u"#1001");
}

TEST_F(ArchiveLibraryTest, ProgressRisesToItsTotal) {
  Write(u"src\\one.bin", NoisyBytes(400000, 1));
  Write(u"src\\two.bin", NoisyBytes(300000, 2));
  struct Seen {
    std::vector<uint64_t> done;
    uint64_t total = 0;
    bool consistent = true;
  };
  auto recorder = [](Seen& seen) -> ProgressCallback {
    return [&seen](std::u16string_view, uint64_t done, uint64_t total) {
      if (!seen.done.empty() && (done < seen.done.back() || total != seen.total)) {
        seen.consistent = false;
      }
      if (done > total) seen.consistent = false;
      seen.done.push_back(done);
      seen.total = total;
      return true;
    };
  };
  Seen created, tested, extracted;
  ASSERT_TRUE(Pack(u"p.7z", u"", u"-mx=1", recorder(created)).ok);
  ASSERT_TRUE(TestArchive(*context_, Path(u"p.7z"), u"", recorder(tested)).ok);
  ASSERT_TRUE(Unpack(u"p.7z", u"", std::nullopt, true, true, recorder(extracted)).ok);
  for (const Seen* seen : {&created, &tested, &extracted}) {
    ASSERT_FALSE(seen->done.empty());
    EXPECT_TRUE(seen->consistent);
    EXPECT_EQ(seen->done.back(), seen->total);
  }
  EXPECT_EQ(tested.total, 700000u);
  EXPECT_EQ(extracted.total, 700000u);
}

TEST_F(ArchiveLibraryTest, ProgressCallbackStopsTheTool) {
  Write(u"src\\big.bin", NoisyBytes(2 << 20, 3));
  const ProgressCallback stop = [](std::u16string_view, uint64_t, uint64_t) { return false; };
  // A stopped compression leaves no archive behind.
  EXPECT_EQ(Pack(u"stopped.7z", u"", u"-mx=9", stop).error_text, u"#1223");
  EXPECT_FALSE(files().FileExists(Path(u"stopped.7z")));
  EXPECT_FALSE(files().FileExists(Path(u"stopped.7z.tmp")));

  ASSERT_TRUE(Pack(u"p.7z", u"", u"-mx=1").ok);
  EXPECT_EQ(Unpack(u"p.7z", u"", std::nullopt, true, true, stop).error_text, u"#1223");
  EXPECT_EQ(TestArchive(*context_, Path(u"p.7z"), u"", stop).error_text, u"#1223");
}

TEST_F(ArchiveLibraryTest, SelectedItemsFlatExtractionAndOverwrite) {
  MakeSource();
  ASSERT_TRUE(Pack(u"p.7z", u"", u"-mx=1").ok);

  ASSERT_TRUE(Unpack(u"p.7z", u"", Names{u"dir\\b.txt"}).ok);
  EXPECT_EQ(Tree(u"out\\"), (Names{u"dir", u"dir\\b.txt"}));

  // A folder brings what it holds; without paths every file lands in the destination.
  ASSERT_TRUE(Unpack(u"p.7z", u"", Names{u"dir"}, true, false).ok);
  EXPECT_EQ(Tree(u"out\\"), (Names{u"b.txt", u"dir", u"dir\\b.txt", kUnicodeName}));

  Write(u"out\\a.txt", "old");
  Write(u"out\\b.txt", "old");
  ASSERT_TRUE(Unpack(u"p.7z", u"", std::nullopt, false, false).ok);
  EXPECT_EQ(Read(u"out\\a.txt"), "old");
  EXPECT_EQ(Read(u"out\\b.txt"), "old");
  ASSERT_TRUE(Unpack(u"p.7z", u"", std::nullopt, true, false).ok);
  EXPECT_EQ(Read(u"out\\a.txt"), "alpha");
  EXPECT_EQ(Read(u"out\\b.txt"), "bravo bravo");
}

TEST_F(ArchiveLibraryTest, ItemsThatWouldEscapeRefuseTheWholeArchive) {
  using testing::CraftedEntry;
  const std::string bad_names[] = {
      "../evil.txt",   "sub/../../evil.txt",  "a\\..\\..\\evil.txt",
      "/evil.txt",     "\\evil.txt",          "C:\\evil.txt",
      "C:evil.txt",    "\\\\?\\C:\\evil.txt", "\\\\server\\s\\evil.txt",
      "ok.txt:stream", "sub/.../evil.txt",    "sub/.. /evil.txt",
  };
  struct Case {
    std::string label;
    std::u16string file;
    std::string bytes;
  };
  std::vector<Case> cases;
  for (const auto& name : bad_names) {
    cases.push_back({name, u"evil.zip", testing::CraftZip({{"ok.txt", "fine"}, {name, "bad"}})});
  }
  cases.push_back({"symbolic link", u"evil.tar",
                   testing::CraftTar({{"lnk", "", '2', ".."}, {"lnk/evil.txt", "bad"}})});
  cases.push_back({"hard link", u"evil.tar",
                   testing::CraftTar({{"ok.txt", "fine"}, {"hard", "", '1', "../evil.txt"}})});

  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    Write(c.file, c.bytes);
    for (const std::optional<Names>& items :
         {std::optional<Names>(), std::optional<Names>(Names{u"ok.txt"})}) {
      const ArchiveResult result = Unpack(c.file, u"", items);
      EXPECT_FALSE(result.ok);
      EXPECT_NE(result.error_text.find(u"outside the destination folder"), std::u16string::npos)
          << Utf16ToUtf8(result.error_text);
      EXPECT_EQ(Tree(), (Names{c.file, u"work"})) << "nothing written";
    }
    ASSERT_TRUE(files().DeleteFile(Path(c.file)));
  }
  EXPECT_FALSE(files().FileExists(u"C:\\evil.txt"));

  // The same archives without their bad entry extract: the refusal is the names'.
  Write(u"fine.zip", testing::CraftZip({{"ok.txt", "fine"}, {"sub/x.txt", "x"}}));
  ASSERT_TRUE(Unpack(u"fine.zip", u"").ok);
  EXPECT_EQ(Read(u"out\\sub\\x.txt"), "x");
}

TEST_F(ArchiveLibraryTest, DeletesFromAnEncryptedArchive) {
  MakeSource();
  ASSERT_TRUE(Pack(u"p.7z", u"pw", PresetSwitchText(1, true, 2)).ok);
  const ArchiveResult result =
      DeleteFromArchive(*context_, Path(u"p.7z"), u"pw", {u"dir\\b.txt", u"a.txt"}, nullptr);
  ASSERT_TRUE(result.ok) << Utf16ToUtf8(result.error_text);
  EXPECT_EQ(ListNames(u"p.7z", u"pw"), (Names{u"dir", std::u16string(u"dir\\") + kUnicodeName}));
  EXPECT_EQ(DeleteFromArchive(*context_, Path(u"p.7z"), u"wrong", {u"dir"}, nullptr).error_text,
            u"#1002");
}

TEST_F(ArchiveLibraryTest, UpdateCodesDecideWhatStays) {
  struct Case {
    uint32_t update_code;
    Names expected;
  };
  const Case cases[] = {
      {update_code::kAdd, {u"a.txt", u"c.txt"}},
      {update_code::kUpdate, {u"a.txt", u"c.txt"}},
      {update_code::kSynchronize, {u"c.txt"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.update_code);
    Write(u"src\\a.txt", "alpha");
    files().DeleteFile(Path(u"src\\c.txt"));
    files().DeleteFile(Path(u"u.7z"));
    ASSERT_TRUE(Pack(u"u.7z", u"", u"-mx=1").ok);
    ASSERT_TRUE(files().DeleteFile(Path(u"src\\a.txt")));
    Write(u"src\\c.txt", "charlie");
    const ArchiveResult result =
        CreateArchive(*context_, Path(u"u.7z"), u"", u"-mx=1", {Path(u"src\\*")}, {}, c.update_code,
                      archive_code::k7z, nullptr);
    ASSERT_TRUE(result.ok) << Utf16ToUtf8(result.error_text);
    EXPECT_EQ(ListNames(u"u.7z", u""), c.expected);
  }
}

TEST_F(ArchiveLibraryTest, ArchiveCodesChooseTheFormat) {
  Write(u"src\\a.txt", "alpha");
  Write(u"src\\skip.bak", "not wanted");
  struct Case {
    uint32_t code;
    std::u16string file;
    size_t magic_at;
    std::string magic;
  };
  const Case cases[] = {
      {archive_code::kZip, u"f.zip", 0, "PK\x03\x04"},
      {archive_code::kTar, u"f.tar", 257, "ustar"},
      {archive_code::k7z, u"f.7z", 0, "7z\xBC\xAF"},
  };
  for (const auto& c : cases) {
    const ArchiveResult result = CreateArchive(*context_, Path(c.file), u"", u"", {Path(u"src\\*")},
                                               {u"*.bak"}, update_code::kAdd, c.code, nullptr);
    ASSERT_TRUE(result.ok) << Utf16ToUtf8(result.error_text);
    EXPECT_EQ(Read(c.file)->substr(c.magic_at, c.magic.size()), c.magic);
    EXPECT_EQ(ListNames(c.file, u""), Names{u"a.txt"});
  }
}

TEST_F(ArchiveLibraryTest, SwitchTextsTheToolRejects) {
  Write(u"src\\a.txt", "alpha");
  for (std::u16string_view text : {u"-mfoo=bar", u"-zzz"}) {
    EXPECT_EQ(Pack(u"bad.7z", u"", text).error_text, u"#1006") << Utf16ToUtf8(text);
    EXPECT_FALSE(files().FileExists(Path(u"bad.7z")));
  }
}

}  // namespace
}  // namespace velkor::media::archive
