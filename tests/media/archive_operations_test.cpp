// The wrappers' decisions (retries, fall-backs, error texts) against a scripted 7-Zip.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/text.h"
#include "media/archive/archive_library.h"
#include "media/archive/archive_operations.h"
#include "media/archive/switch_text.h"
#include "media/archive_test_backend.h"

namespace velkor::media::archive {
namespace {

using platform::SevenZipCommand;
using platform::SevenZipOutcome;
using platform::SevenZipVerb;

constexpr char kListing[] =
    "--\nPath = a.7z\nType = 7z\n\n----------\nPath = a.txt\nSize = 5\nAttributes = A\n\n";

class ScriptedSevenZip : public platform::SevenZip {
 public:
  std::function<SevenZipOutcome(const SevenZipCommand&)> answer;
  std::vector<SevenZipCommand> commands;

  platform::Result<SevenZipOutcome> Run(const SevenZipCommand& command,
                                        const platform::SevenZipProgressFn&) override {
    commands.push_back(command);
    return answer(command);
  }

  std::vector<std::u16string> SwitchTexts(SevenZipVerb verb) const {
    std::vector<std::u16string> texts;
    for (const auto& command : commands) {
      if (command.verb != verb) continue;
      std::u16string text;
      // The type and update switches come first; the switch text follows.
      for (size_t i = 1; i < command.switches.size(); ++i) text += command.switches[i] + u" ";
      texts.push_back(text);
    }
    return texts;
  }
};

SevenZipOutcome Exit(int code, std::string output = {}) {
  SevenZipOutcome outcome;
  outcome.exit_code = code;
  outcome.output = std::move(output);
  return outcome;
}

class ArchiveOperationsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend_ = testing::MakeArchiveTestBackend();
    ASSERT_NE(backend_.platform, nullptr);
    archive_ = backend_.scratch_folder + u"a.7z";
    ASSERT_TRUE(backend_.platform->files().WriteFile(archive_, "7z"));
    library_ = std::make_unique<ArchiveLibrary>(tool_, backend_.platform->files());
    context_ = std::make_unique<ArchiveContext>(ArchiveContext{*library_, 4, {}, {}});
    context_->trim_working_set = [this] { ++trims_; };
  }
  void TearDown() override { testing::DestroyArchiveTestBackend(backend_); }

  ArchiveResult Create(std::u16string_view switch_text) {
    return CreateArchive(*context_, archive_, u"pw", switch_text, {u"C:\\src\\*"}, {}, 0, 0,
                         nullptr);
  }
  ArchiveResult ExtractAll() {
    return ExtractArchive(*context_, archive_, u"pw", backend_.scratch_folder + u"out\\",
                          std::nullopt, nullptr, true, true);
  }

  testing::ArchiveTestBackend backend_;
  ScriptedSevenZip tool_;
  std::unique_ptr<ArchiveLibrary> library_;
  std::unique_ptr<ArchiveContext> context_;
  std::u16string archive_;
  int trims_ = 0;
};

TEST_F(ArchiveOperationsTest, OutOfMemoryCompressionStepsDownThePresets) {
  struct Case {
    int level;
    bool header_encryption;
    int succeeds_at;  // attempt that succeeds (0: none)
    std::vector<int> tried;
  };
  const Case cases[] = {
      {4, true, 0, {4, 3, 2, 1}},
      {4, false, 2, {4, 3}},
      {3, true, 0, {3, 2, 1, 1}},
      {2, false, 0, {2, 1, 0, 1}},
  };
  for (const auto& c : cases) {
    tool_.commands.clear();
    int attempt = 0;
    tool_.answer = [&](const SevenZipCommand&) {
      return ++attempt == c.succeeds_at ? Exit(0)
                                        : Exit(8, "ERROR: Can't allocate required memory!");
    };
    const ArchiveResult result = Create(PresetSwitchText(c.level, c.header_encryption, 4));
    EXPECT_EQ(result.ok, c.succeeds_at != 0);
    if (!result.ok) {
      EXPECT_EQ(result.error_text, u"#1018");
    }
    std::vector<std::u16string> expected;
    for (int level : c.tried) expected.push_back(PresetSwitchText(level, c.header_encryption, 4));
    EXPECT_EQ(tool_.SwitchTexts(SevenZipVerb::kAdd), expected) << "level " << c.level;
  }
}

TEST_F(ArchiveOperationsTest, CompressionRetriesOnlyPresetsAndOnlyOutOfMemory) {
  tool_.answer = [](const SevenZipCommand&) { return Exit(8); };
  EXPECT_EQ(Create(u"-mx=9").error_text, u"#1018");
  EXPECT_EQ(tool_.commands.size(), 1u) << "a text that is no preset is not retried";

  tool_.commands.clear();
  int attempt = 0;
  tool_.answer = [&](const SevenZipCommand&) {
    return ++attempt == 1 ? Exit(8) : Exit(2, "ERROR: Headers Error");
  };
  EXPECT_EQ(Create(PresetSwitchText(4, true, 4)).error_text, u"#1004");
  EXPECT_EQ(tool_.commands.size(), 2u) << "another error ends the retries";
}

TEST_F(ArchiveOperationsTest, CompressionPreparesItsLists) {
  tool_.answer = [](const SevenZipCommand&) { return Exit(0); };
  const ArchiveResult result = CreateArchive(
      *context_, archive_, u"", u"-mx=1", {u"C:\\a\\*.*", u"c:\\A\\*.*", u"C:\\b\\x.*.*"},
      {u"*.BAK", u"*.bak"}, update_code::kSynchronize, archive_code::kZip, nullptr);
  ASSERT_TRUE(result.ok);
  ASSERT_EQ(tool_.commands.size(), 1u);
  const SevenZipCommand& command = tool_.commands[0];
  EXPECT_EQ(command.items, (std::vector<std::u16string>{u"C:\\a\\*", u"C:\\b\\x.*"}));
  EXPECT_EQ(command.excludes, (std::vector<std::u16string>{u"*.BAK"}));
  EXPECT_EQ(command.switches,
            (std::vector<std::u16string>{u"-tzip", u"-up0q0r2x1y2z1w2", u"-mx=1"}));
  EXPECT_EQ(trims_, 1);
}

TEST_F(ArchiveOperationsTest, CompressionRefusesWhatTheLibraryOwns) {
  tool_.answer = [](const SevenZipCommand&) { return Exit(0); };
  for (std::u16string_view text : {u"-psecret", u"-P", u"-oC:\\x", u"-w", u"-tzip", u"-so",
                                   u"-scsWIN", u"-i@list", u"-bso0", u"-ax@x", u"mx=1"}) {
    EXPECT_EQ(Create(text).error_text, u"#1006") << core::Utf16ToUtf8(text);
  }
  const uint32_t unknown_codes[][2] = {{2, 0}, {0, 3}};
  for (const auto& codes : unknown_codes) {
    EXPECT_EQ(
        CreateArchive(*context_, archive_, u"", u"", {u"C:\\a"}, {}, codes[1], codes[0], nullptr)
            .error_text,
        u"#1006");
  }
  EXPECT_EQ(CreateArchive(*context_, archive_, u"", u"", {}, {}, 0, 0, nullptr).error_text,
            u"#1006")
      << "nothing to add";
  EXPECT_TRUE(tool_.commands.empty());
}

TEST_F(ArchiveOperationsTest, OutOfMemoryExtractionTrimsThenHandsOver) {
  tool_.answer = [](const SevenZipCommand& command) {
    return command.verb == SevenZipVerb::kList ? Exit(0, kListing) : Exit(8);
  };
  // Without a second process to hand to, the error stays.
  EXPECT_EQ(ExtractAll().error_text, u"#1018");
  EXPECT_EQ(trims_, 1);

  std::vector<OutOfProcessExtraction> handed;
  std::u16string answer = u"";
  context_->extract_out_of_process = [&](const OutOfProcessExtraction& request) {
    handed.push_back(request);
    return answer;
  };
  EXPECT_TRUE(ExtractAll().ok);
  ASSERT_EQ(handed.size(), 1u);
  EXPECT_EQ(handed[0].archive, archive_);
  EXPECT_EQ(handed[0].password, u"pw");
  EXPECT_EQ(handed[0].destination, backend_.scratch_folder + u"out\\");
  EXPECT_TRUE(handed[0].items.empty()) << "every item";
  EXPECT_TRUE(handed[0].keep_paths);
  EXPECT_TRUE(handed[0].overwrite_all);

  answer = u"#1016";
  EXPECT_EQ(ExtractAll().error_text, u"#1016");
}

TEST_F(ArchiveOperationsTest, ExtractionRetrySucceedsAfterTrim) {
  int extracts = 0;
  tool_.answer = [&](const SevenZipCommand& command) {
    if (command.verb == SevenZipVerb::kList) return Exit(0, kListing);
    return ++extracts == 1 ? Exit(8) : Exit(0);
  };
  bool handed = false;
  context_->extract_out_of_process = [&](const OutOfProcessExtraction&) {
    handed = true;
    return std::u16string();
  };
  EXPECT_TRUE(ExtractAll().ok);
  EXPECT_EQ(trims_, 1);
  EXPECT_FALSE(handed);
}

TEST_F(ArchiveOperationsTest, ListingErrorsOfTheExtraction) {
  // A listing that cannot open the archive gives the message; other failures the code.
  tool_.answer = [](const SevenZipCommand&) { return Exit(2, "Can't open as archive: 1"); };
  EXPECT_EQ(ExtractAll().error_text, kCannotOpenMessage);
  tool_.answer = [](const SevenZipCommand&) { return Exit(2, "ERROR: Headers Error"); };
  EXPECT_EQ(ExtractAll().error_text, u"#1004");
  // With an item list nothing is listed by the wrapper, so the code comes through.
  tool_.answer = [](const SevenZipCommand&) { return Exit(2, "Can't open as archive: 1"); };
  EXPECT_EQ(ExtractArchive(*context_, archive_, u"", backend_.scratch_folder,
                           std::vector<std::u16string>{u"a.txt"}, nullptr, true, true)
                .error_text,
            u"#1002");
}

}  // namespace
}  // namespace velkor::media::archive
