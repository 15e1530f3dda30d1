// Finding the script after the engine image and loading it through the file system.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "script/pe_image.h"
#include "script/script_loader.h"
#include "script_test_support.h"

namespace velkor::script {
namespace {

using testing::MemoryFileSystem;
using testing::PeImage;
using testing::PeSection;
using testing::ScriptOf;
using testing::Statement;

constexpr std::u16string_view kEngine = u"C:\\Setup\\setup.exe";
constexpr std::u16string_view kWork = u"C:\\Temp\\";

CompiledScript SmallScript() {
  CompiledScript script = ScriptOf({
      Statement(u"Set Variable", {u"A$KEVO$KEVO$TRUE", u"$"}),
      Statement(u"If", {u"A", u"0", u"x"}),
      Statement(u"End"),
  });
  script.product_title = u"Small";
  script.constants = {{u"LOCMODE", u"ALL"}};
  script.install_map = {{u"00000001", {{u"p", u"t\\"}}}};
  return script;
}

TEST(PeImageTest, SizeIsTheLargestSectionEndForBothHeaderSizes) {
  for (const uint16_t optional_header : {uint16_t{224}, uint16_t{240}}) {
    // The last section in the table is not the one that ends last.
    const std::string image =
        PeImage(optional_header, {{0x400, 0x200}, {0x800, 0x1000}, {0x600, 0x100}});
    EXPECT_EQ(PeImageSize(image), 0x1800u) << optional_header;
    EXPECT_EQ(PeImageSize(image + "script bytes"), 0x1800u) << optional_header;
  }
}

TEST(PeImageTest, HostileHeadersFailCleanly) {
  const std::string good = PeImage(240, {{0x400, 0x200}});
  auto patched = [&](size_t at, uint32_t value, int width) {
    std::string bytes = good;
    width == 2 ? testing::Put16(bytes, at, value) : testing::Put32(bytes, at, value);
    return bytes;
  };
  const size_t table = 0x80 + 24 + 240;
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"no MZ", "ZM" + good.substr(2)},
      {"shorter than the DOS header", good.substr(0, 63)},
      {"e_lfanew past the end", patched(0x3C, 0x7FFFFFF0, 4)},
      {"e_lfanew at the top of the range", patched(0x3C, 0xFFFFFFFF, 4)},
      {"no PE signature", patched(0x80, 0x00004550 + 1, 4)},
      {"no section", patched(0x86, 0, 2)},
      {"section count far beyond the file", patched(0x86, 0xFFFF, 2)},
      {"optional header beyond the file", patched(0x94, 0xFFFF, 2)},
      {"raw data past the end", patched(table + 16, 0x10000, 4)},
      {"pointer and size that overflow 32 bits",
       patched(table + 16, 0xFFFFFFFF, 4).replace(table + 20, 4, "\xFF\xFF\xFF\xFF")},
      {"sections ending inside the headers",
       patched(table + 20, 0, 4).replace(table + 16, 4, std::string(4, '\0'))},
  };
  for (const auto& c : cases) EXPECT_EQ(PeImageSize(c.bytes), std::nullopt) << c.what;
}

TEST(PeImageTest, EveryTruncationOfTheImageFails) {
  const std::string image = PeImage(224, {{0x200, 0x80}, {0x280, 0x40}});
  for (size_t length = 0; length < image.size(); ++length) {
    ASSERT_EQ(PeImageSize(image.substr(0, length)), std::nullopt) << length;
  }
  EXPECT_EQ(PeImageSize(image), image.size());
}

// An engine file (a PE32+ image, then the given script bytes) in a memory file system.
struct Machine {
  void PutEngine(std::string script_bytes) {
    files.Put(kEngine, PeImage(240, {{0x400, 0x600}}) + script_bytes);
  }

  MemoryFileSystem files;
};

TEST(LoaderTest, LoadsTheScriptThroughATemporaryCopy) {
  Machine m;
  m.PutEngine(WriteScriptText(SmallScript()));
  ScriptLoadResult result = LoadSetupScript(m.files, kEngine, kWork);
  ASSERT_TRUE(result.ok()) << core::Utf16ToUtf8(result.message());
  EXPECT_EQ(testing::Dump(result.tables()), testing::Dump(testing::TablesOf(SmallScript())));
  EXPECT_EQ(m.files.written, std::vector<std::u16string>{u"C:\\Temp\\vex.tmp"});
  EXPECT_EQ(m.files.deleted, std::vector<std::u16string>{u"C:\\Temp\\vex.tmp"});
  EXPECT_FALSE(m.files.Has(u"C:\\Temp\\vex.tmp"));
}

TEST(LoaderTest, WorkFolderWithoutTrailingBackslash) {
  Machine m;
  m.PutEngine(WriteScriptText(SmallScript()));
  ASSERT_TRUE(LoadSetupScript(m.files, kEngine, u"C:\\Temp").ok());
  EXPECT_EQ(m.files.written, std::vector<std::u16string>{u"C:\\Temp\\vex.tmp"});
}

TEST(LoaderTest, FailuresAndTheirExitCodes) {
  const struct {
    const char* what;
    std::function<void(Machine&)> arrange;
    LoadFailure failure;
    uint32_t exit_code;
    bool copy_written;
  } cases[] = {
      {"image only", [](Machine& t) { t.PutEngine(""); }, LoadFailure::kNoScript, 13, false},
      {"damaged image", [](Machine& t) { t.files.Put(kEngine, "MZ not an image"); },
       LoadFailure::kBadImage, 11, false},
      {"missing engine file", [](Machine&) {}, LoadFailure::kFileError, 11, false},
      {"copy cannot be written",
       [](Machine& t) {
         t.PutEngine(WriteScriptText(SmallScript()));
         t.files.fail_writes = true;
       },
       LoadFailure::kFileError, 11, true},
      {"script cut short",
       [](Machine& t) {
         const std::string text = WriteScriptText(SmallScript());
         t.PutEngine(text.substr(0, text.size() / 2));
       },
       LoadFailure::kMalformed, 11, true},
  };
  for (const auto& c : cases) {
    Machine m;
    c.arrange(m);
    ScriptLoadResult result = LoadSetupScript(m.files, kEngine, kWork);
    ASSERT_FALSE(result.ok()) << c.what;
    EXPECT_EQ(result.failure(), c.failure) << c.what;
    EXPECT_EQ(StartupExitCode(result.failure()), c.exit_code) << c.what;
    EXPECT_FALSE(result.message().empty()) << c.what;
    EXPECT_EQ(!m.files.written.empty(), c.copy_written) << c.what;
    EXPECT_FALSE(m.files.Has(u"C:\\Temp\\vex.tmp")) << c.what;
  }
}

// Every cut of a small script: clean failure until the last "$" line is complete.
TEST(ScriptParserTest, EveryTruncationFailsCleanly) {
  const std::string text = WriteScriptText(SmallScript());
  const size_t complete = text.size() - 2;  // the final "$" without its CR LF is enough
  for (size_t length = 0; length < text.size(); ++length) {
    const ScriptLoadResult result = ParseScriptText(std::string_view(text).substr(0, length));
    if (length >= complete) {
      EXPECT_TRUE(result.ok()) << length;
    } else {
      ASSERT_FALSE(result.ok()) << length;
      EXPECT_EQ(result.failure(), LoadFailure::kMalformed) << length;
    }
  }
}

TEST(ScriptParserTest, CorruptedBytesNeverCrash) {
  const std::string text = WriteScriptText(SmallScript());
  std::mt19937 random(20240611);
  for (int round = 0; round < 3000; ++round) {
    std::string bytes = text;
    const int flips = 1 + static_cast<int>(random() % 8);
    for (int i = 0; i < flips; ++i) {
      const char replacement = "\r\n$\x80\xFF\0A"[random() % 7];
      bytes[random() % bytes.size()] = replacement;
    }
    const ScriptLoadResult result = ParseScriptText(bytes);
    EXPECT_TRUE(result.ok() || result.failure() == LoadFailure::kMalformed);
  }
}

TEST(ScriptParserTest, DataWithoutSectionEndsIsMalformed) {
  for (const std::string& bytes : {std::string(), std::string("\xEF\xBB\xBF"),
                                   std::string(1000, '\n'), std::string("no end line")}) {
    const ScriptLoadResult result = ParseScriptText(bytes);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.failure(), LoadFailure::kMalformed);
  }
}

}  // namespace
}  // namespace velkor::script
