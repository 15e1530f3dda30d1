// The message table's defaults and the message caption.
#include <gtest/gtest.h>

#include "startup/message_caption.h"
#include "startup/message_table.h"

namespace velkor::startup {
namespace {

TEST(MessageTableTest, DefaultsByEntryNumber) {
  const MessageTable table;
  const struct {
    int entry;
    std::u16string text;
  } cases[] = {
      {1,
       u"Please install the common controls update from Microsoft before attempting to install "
       u"this product."},
      {message::kResourceNotFound, u"Setup resource not found"},
      {message::kResourceDecompressionFailure, u"Setup resource decompression failure"},
      {4, u"Setup database not found"},
      {message::kRuntimeErrorInInstall, u"Runtime error in install: "},
      {message::kWizardCaption, u"Velkor Wizard"},
      {53,
       u"If you choose Cancel, setup will exit. However, you will be able to resume your "
       u"download from where it left off when you re-run setup."},
      {54, u""},
      {55, u"Locating resource"},
      {87, u"Accept ranges"},
      {90, u"Please select the language to use during the installation:"},
      {91, u""},
      {111, u""},
      {112, u"Unable to play Flash movie"},
      {126, u"<no version information>"},
      {0, u""},
      {127, u""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(table.Text(c.entry), c.text) << c.entry;
    EXPECT_EQ(MessageTable::DefaultText(c.entry), c.text) << c.entry;
  }
}

TEST(MessageTableTest, EntriesAreReplacedOneByOne) {
  MessageTable table;
  table.SetText(2, u"Ressource introuvable");
  table.SetText(0, u"ignored");
  table.SetText(127, u"ignored");
  EXPECT_EQ(table.Text(2), u"Ressource introuvable");
  EXPECT_EQ(table.Text(3), u"Setup resource decompression failure");
  EXPECT_EQ(MessageTable::DefaultText(2), u"Setup resource not found");
}

TEST(MessageCaptionTest, TitleAndProductName) {
  const struct {
    CaptionSettings settings;
    std::u16string caption;
  } cases[] = {
      {{u"", false}, u"Velkor Wizard"},
      {{u"Acme Tools", false}, u"Acme Tools - Velkor Wizard"},
      {{u"Acme Tools", true}, u"Acme Tools"},
      {{u"", true}, u""},
  };
  for (const auto& c : cases) EXPECT_EQ(MessageCaption(c.settings), c.caption);
}

}  // namespace
}  // namespace velkor::startup
