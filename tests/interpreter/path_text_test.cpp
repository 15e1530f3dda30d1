#include "interpreter/path_text.h"

#include <gtest/gtest.h>

#include <string>

#include "core/text.h"
#include "script/variable_manager.h"

namespace velkor::interpreter {
namespace {

struct TextCase {
  std::u16string text;
  std::u16string expected;
};

TEST(PathTextTest, NormalizationReplacesBackslashPairsAndKeepsALeadingPair) {
  const TextCase cases[] = {
      {u"C:\\\\Program Files\\\\App\\", u"C:\\Program Files\\App\\"},
      {u"C:\\a\\b", u"C:\\a\\b"},
      // Pairs are taken left to right, once: four give two, three give two.
      {u"C:\\a\\\\\\\\b", u"C:\\a\\\\b"},
      {u"C:\\a\\\\\\b", u"C:\\a\\\\b"},
      // A network path keeps its leading pair, also when it was written doubled.
      {u"\\\\server\\share", u"\\\\server\\share"},
      {u"\\\\\\\\server\\\\share", u"\\\\\\server\\share"},
      {u"\\a", u"\\a"},
      {u"", u""},
  };
  for (const TextCase& c : cases) {
    EXPECT_EQ(NormalizeExpandedPath(c.text), c.expected) << core::Utf16ToUtf8(c.text);
  }
  EXPECT_EQ(ReplaceBackslashPairs(u"\\\\server\\share"), u"\\server\\share");
}

TEST(PathTextTest, NormalizedPathExpandsFirst) {
  script::TVariableManager store;
  script::Variables variables(store);
  variables.DefineVariable(u"ROOT", u"C:\\Apps\\", u"test");
  // The pair appears only once the reference is expanded.
  EXPECT_EQ(NormalizedPath(variables, u"$ROOT$\\Tool"), u"C:\\Apps\\Tool");
  EXPECT_EQ(NormalizedPath(variables, u"$UNDEFINED$\\\\x"), u"$UNDEFINED$\\x");
}

TEST(PathTextTest, LineBreaksAndMarkersConvertBothWays) {
  EXPECT_EQ(LineBreaksToMarkers(u"one\r\ntwo\r\n"), u"one$NEWLINE$two$NEWLINE$");
  // Only CR LF pairs are line breaks here.
  EXPECT_EQ(LineBreaksToMarkers(u"a\nb\rc"), u"a\nb\rc");
  EXPECT_EQ(MarkersToLineBreaks(u"one$newline$two$NEWLINE$"), u"one\r\ntwo\r\n");
  EXPECT_EQ(MarkersToLineBreaks(u"$NEWLINE"), u"$NEWLINE");
  const std::u16string text = u"x\r\n\r\ny";
  EXPECT_EQ(MarkersToLineBreaks(LineBreaksToMarkers(text)), text);
}

TEST(PathTextTest, ExtractPathPartsByNumber) {
  struct Case {
    std::u16string path;
    int32_t part;
    std::u16string expected;
  };
  const std::u16string file = u"C:\\Program Files\\App\\tool.setup.exe";
  const Case cases[] = {
      {file, 0, u"tool.setup.exe"},
      {file, 1, u"tool.setup"},
      {file, 2, u"exe"},
      {file, 3, u"C:\\Program Files\\App\\"},
      {file, 4, u"C:\\Program Files\\"},
      {file, 5, u"C:\\"},
      {file, 7, file},
      {file, -1, file},
      // A folder with its trailing backslash has no file name.
      {u"C:\\App\\", 0, u""},
      {u"C:\\App\\", 3, u"C:\\App\\"},
      {u"C:\\App\\", 4, u"C:\\"},
      // The parent of the root is the root.
      {u"C:\\file.txt", 4, u"C:\\"},
      {u"C:file.txt", 0, u"file.txt"},
      {u"C:file.txt", 3, u"C:\\"},
      // Without an extension, folder or drive those parts are empty.
      {u"README", 1, u"README"},
      {u"README", 2, u""},
      {u"README", 3, u""},
      {u"README", 4, u""},
      {u"README", 5, u""},
      {u"dir\\README", 4, u""},
      // The dot of a folder name is no extension.
      {u"C:\\v1.2\\README", 2, u""},
      // Network paths: the drive is the server and share.
      {u"\\\\server\\share\\dir\\f.txt", 5, u"\\\\server\\share\\"},
      {u"\\\\server\\share\\dir\\f.txt", 3, u"\\\\server\\share\\dir\\"},
      {u"\\\\server\\share\\dir\\f.txt", 6, u"\\server\\share\\dir\\f.txt"},
      {u"C:/App/tool.exe", 0, u"tool.exe"},
      {u"C:/App/tool.exe", 3, u"C:/App/"},
      {u"", 0, u""},
      {u"", 3, u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExtractPathPart(c.path, c.part), c.expected)
        << core::Utf16ToUtf8(c.path) << " part " << c.part;
  }
}

TEST(PathTextTest, AbsolutePathResolvesDotsWithinTheRoot) {
  const TextCase cases[] = {
      {u"C:\\a\\.\\b\\..\\c", u"C:\\a\\c"},
      {u"C:\\a\\b\\", u"C:\\a\\b\\"},
      {u"C:\\..\\..\\x", u"C:\\x"},
      {u"C:\\setup\\\\rel", u"C:\\setup\\rel"},
      {u"C:/a/b", u"C:\\a\\b"},
      {u"C:", u"C:\\"},
      {u"c:rel", u"c:\\rel"},
      {u"\\\\server\\share\\a\\..\\b", u"\\\\server\\share\\b"},
      {u"\\\\server\\share\\..\\..", u"\\\\server\\share\\"},
      // Nothing to resolve against: these stay as written.
      {u"\\\\?\\C:\\a\\..\\b", u"\\\\?\\C:\\a\\..\\b"},
      {u"relative\\..\\x", u"relative\\..\\x"},
      {u"", u""},
  };
  for (const TextCase& c : cases) {
    EXPECT_EQ(AbsolutePath(c.text), c.expected) << core::Utf16ToUtf8(c.text);
  }
}

}  // namespace
}  // namespace velkor::interpreter
