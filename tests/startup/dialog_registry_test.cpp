// The dialog registry that the start-up sequence fills.
#include "wizard/dialog_registry.h"

#include <gtest/gtest.h>

namespace velkor::wizard {
namespace {

TEST(DialogRegistryTest, KeysKeepTheirFirstPositionAndEveryLoadAddsAPair) {
  script::TVariableManager store;
  script::Variables variables(store);
  DialogRegistry registry;
  registry.InitDialogs(u"C:\\Temp\\vex1", variables);
  EXPECT_EQ(registry.support_folder(), u"C:\\Temp\\vex1\\");
  EXPECT_EQ(variables.GetVariable(u"KEVO_IsCancelled"), u"FALSE");

  EXPECT_EQ(registry.LoadDialog(u"3", u"C:\\Temp\\vex1\\Welcome.dfm"), std::nullopt);
  registry.LoadDialog(u"7", u"C:\\Temp\\vex1\\Finish.dfm");
  registry.LoadDialog(u"3", u"C:\\Temp\\vex1\\Other.dfm");

  EXPECT_EQ(registry.keys(), (std::vector<std::u16string>{u"3", u"7"}));
  const std::vector<std::pair<std::u16string, std::u16string>> files = {
      {u"0", u"C:\\Temp\\vex1\\Welcome.dfm"},
      {u"1", u"C:\\Temp\\vex1\\Finish.dfm"},
      {u"0", u"C:\\Temp\\vex1\\Other.dfm"},
  };
  EXPECT_EQ(registry.files(), files);
  // A host is recreated from the first pair of its key.
  EXPECT_EQ(registry.DialogFile(u"3"), u"C:\\Temp\\vex1\\Welcome.dfm");
  EXPECT_EQ(registry.DialogFile(u"7"), u"C:\\Temp\\vex1\\Finish.dfm");
  EXPECT_EQ(registry.DialogFile(u"4"), std::nullopt);
}

TEST(DialogRegistryTest, KeysCompareUpperCasedAndInitEmptiesTheRegistry) {
  script::TVariableManager store;
  script::Variables variables(store);
  DialogRegistry registry;
  registry.InitDialogs(u"C:\\S\\", variables);
  registry.LoadDialog(u"key", u"a.dfm");
  registry.LoadDialog(u"KEY", u"b.dfm");
  EXPECT_EQ(registry.keys(), (std::vector<std::u16string>{u"KEY"}));
  EXPECT_EQ(registry.DialogFile(u"Key"), u"a.dfm");

  registry.InitDialogs(u"C:\\S\\", variables);
  EXPECT_TRUE(registry.keys().empty());
  EXPECT_TRUE(registry.files().empty());
}

}  // namespace
}  // namespace velkor::wizard
