#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "build_fixture.h"
#include "build_output.h"
#include "core/text.h"
#include "dump.h"
#include "payload.h"
#include "script/pe_image.h"
#include "temp_folder.h"
#include "web_media_key.h"

namespace velkor::build {
namespace {

namespace fs = std::filesystem;

std::map<std::string, std::string> FolderFiles(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    files[entry.path().lexically_relative(root).generic_string()] = bytes.str();
  }
  return files;
}

void BuildFolder(const fs::path& project, const fs::path& out) {
  const Project p = ParseProjectFolder(project);
  WriteBuild(PlanBuild(p), MakeStubImage(), *p.source, out);
}

const fs::path kExample = testing::SourceRoot() / "examples" / "hello";

TEST(OutputTest, TwoBuildsOfTheExampleAreByteIdentical) {
  TempFolder temp;
  BuildFolder(kExample, temp.path() / "one");
  BuildFolder(kExample, temp.path() / "two");
  const auto one = FolderFiles(temp.path() / "one");
  EXPECT_EQ(one, FolderFiles(temp.path() / "two"));
  for (const char* name : {"setup.exe", "setup.res", "data/{6B0F3C2E-5A41-4D8E-9C17-2F64B1A7D305}"})
    EXPECT_TRUE(one.count(name)) << name;
}

TEST(OutputTest, ExampleBuildDumpBuildGivesTheSameFiles) {
  TempFolder temp;
  BuildFolder(kExample, temp.path() / "first");
  const DumpReport report =
      DumpEngineFile(temp.path() / "first" / "setup.exe", temp.path() / "project");
  EXPECT_TRUE(report.warnings.empty()) << report.warnings.front();
  BuildFolder(temp.path() / "project", temp.path() / "second");
  EXPECT_EQ(FolderFiles(temp.path() / "first"), FolderFiles(temp.path() / "second"));
  const auto dumped = FolderFiles(temp.path() / "project");
  for (const char* name :
       {"main.vks", "common.vks", "dialogs/welcome.dfm", "support/license.txt",
        "payload/app/readme.txt", "payload/app/bin/hello.cmd", "languages/German.vkl"})
    EXPECT_TRUE(dumped.count(name)) << name;
}

void WriteFiles(const fs::path& root, const std::map<std::string, std::string>& files) {
  for (const auto& [path, bytes] : files) {
    fs::create_directories((root / path).parent_path());
    std::ofstream(root / path, std::ios::binary) << bytes;
  }
}

TEST(OutputTest, WebMediaPayloadGoesIntoEncryptedArchivesAndComesBack) {
  TempFolder temp;
  WriteFiles(
      temp.path() / "project",
      {{"p.vkp", testing::ProjectFileText("build-mode = 2\n[web-media-keys]\nDISK1 = s3cret\n")},
       {"main.vks",
        "Install Files: top.txt, , $TARGETDIR$\n"
        "Web Media Block: DISK1, http://example.com/DISK1.7zip\n"
        "[media=DISK1\\] Install Files: app, , $TARGETDIR$\\app, , , , , , , , , \n"},
       {"payload/top.txt", "top"},
       {"payload/app/x.txt", "x"}});
  BuildFolder(temp.path() / "project", temp.path() / "first");
  const auto first = FolderFiles(temp.path() / "first");
  EXPECT_TRUE(first.count("DISK1.7zip"));
  for (const auto& [path, bytes] : first) EXPECT_EQ(path.find("x.txt"), std::string::npos) << path;
  const DumpReport report =
      DumpEngineFile(temp.path() / "first" / "setup.exe", temp.path() / "dumped");
  EXPECT_TRUE(report.warnings.empty()) << report.warnings.front();
  EXPECT_TRUE(FolderFiles(temp.path() / "dumped").count("payload/app/x.txt"));
  BuildFolder(temp.path() / "dumped", temp.path() / "second");
  const auto second = FolderFiles(temp.path() / "second");
  EXPECT_EQ(second.at("setup.exe"), first.at("setup.exe"));
  EXPECT_EQ(second.at("setup.res"), first.at("setup.res"));
}

TEST(OutputTest, DumpRefusesAFolderInUseAndNamesMissingPayload) {
  TempFolder temp;
  BuildFolder(kExample, temp.path() / "out");
  fs::remove_all(temp.path() / "out" / "data");
  const DumpReport report =
      DumpEngineFile(temp.path() / "out" / "setup.exe", temp.path() / "project");
  ASSERT_FALSE(report.warnings.empty());
  EXPECT_NE(report.warnings[0].find("2 payload file(s) not recovered"), std::string::npos)
      << report.warnings[0];
  EXPECT_THROW(DumpEngineFile(temp.path() / "out" / "setup.exe", temp.path() / "project"),
               BuildError);
}

TEST(OutputTest, StubImagesAreImagesAndTheScriptFollowsThem) {
  for (StubKind kind : {StubKind::kPe32, StubKind::kPe32Plus}) {
    const std::string image = MakeStubImage(kind);
    EXPECT_EQ(script::PeImageSize(image), image.size());
    const std::string engine =
        BuildEngineFile(image, CompileProject(testing::MemoryProject("Comment: x\n")));
    EXPECT_EQ(SplitEngineFile(engine).image, image);
    EXPECT_TRUE(
        SplitEngineFile(engine).script.starts_with("\xEF\xBB\xBF"
                                                   "Comment\r\n"));
  }
  EXPECT_THROW(BuildEngineFile(MakeStubImage() + "symbols", {}), BuildError);
  EXPECT_THROW(BuildEngineFile("MZ not an image", {}), BuildError);
  EXPECT_THROW(SplitEngineFile(MakeStubImage()), BuildError);
}

TEST(OutputTest, WebMediaKeysScrambleAsTheEngineUnscrambles) {
  // "A" is 0x41: digits swapped "14", XOR with the position gives '1' and '5'.
  EXPECT_EQ(ScrambleWebMediaKey(u"A"), u"3135");
  for (const std::u16string& password :
       std::vector<std::u16string>{u"", u"pass word", u"\u00FF\u0001x", std::u16string(128, u'z')})
    EXPECT_EQ(UnscrambleWebMediaKey(*ScrambleWebMediaKey(password)), password);
  EXPECT_FALSE(ScrambleWebMediaKey(u"\u0100"));
  EXPECT_FALSE(ScrambleWebMediaKey(std::u16string(129, u'z')));
  EXPECT_FALSE(UnscrambleWebMediaKey(u"3G"));
}

TEST(OutputTest, WildcardMatching) {
  struct Case {
    const char16_t* name;
    const char16_t* pattern;
    bool match;
  } cases[] = {{u"a.txt", u"*.TXT", true},
               {u"a.txt", u"*", true},
               {u"a.txt", u"?.txt", true},
               {u"ab.txt", u"?.txt", false},
               {u"a.txt.bak", u"*.txt", false},
               {u"abc", u"a*c*", true},
               {u"", u"*", true},
               {u"x", u"", false}};
  for (const auto& c : cases)
    EXPECT_EQ(MatchesWildcard(c.name, c.pattern), c.match) << core::Utf16ToUtf8(c.pattern);
}

}  // namespace
}  // namespace velkor::build
