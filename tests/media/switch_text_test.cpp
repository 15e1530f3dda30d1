#include <gtest/gtest.h>

#include <string>

#include "media/archive/switch_text.h"

namespace velkor::media::archive {
namespace {

TEST(SwitchText, Level4WithHeaderEncryptionOnFourProcessors) {
  EXPECT_EQ(PresetSwitchText(4, true, 4),
            u"-ssw -mhe=on -mmt=2 -ms=on -mhc=on -m0=BCJ2 -m1=LZMA2 -m1d=26 -m1mf=bt4 -m1fb=64 "
            u"-m2=LZMA2 -m2d=20 -m2mf=bt4 -m2fb=64 -m3=LZMA2 -m3d=20 -m3mf=bt4 -m3fb=64 -mb0:1 "
            u"-mb0s1:2 -mb0s2:3 ");
  EXPECT_EQ(PresetSwitchText(0, false, 2),
            u"-ssw -mhe=off -mmt=2 -ms=off -mhc=off -m0=None -m0=Copy ");
  EXPECT_EQ(LevelSwitches(9), LevelSwitches(4));
  EXPECT_EQ(LevelSwitches(-1), LevelSwitches(4));
  EXPECT_EQ(LevelSwitches(5), LevelSwitches(4));
}

TEST(SwitchText, ThreadSwitchFollowsDictionaryAndProcessors) {
  struct Case {
    int level;
    uint32_t processors;
    std::u16string expected;
  };
  const Case cases[] = {
      {4, 1, u"-mmt=off "}, {4, 8, u"-mmt=2 "},   {3, 2, u"-mmt=2 "}, {3, 8, u"-mmt=3 "},
      {2, 8, u"-mmt=8 "},   {1, 1, u"-mmt=off "}, {0, 6, u"-mmt=6 "},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ThreadSwitch(LevelSwitches(c.level), c.processors), c.expected)
        << c.level << "/" << c.processors;
  }
  EXPECT_EQ(ThreadSwitch(u"-m1d=29 ", 8), u"-mmt=2 ");
  EXPECT_EQ(ThreadSwitch(u"-m1d=30 ", 8), u"-mmt=2 ");
}

TEST(SwitchText, FindsPresetsOfLevels2To4) {
  struct Case {
    std::u16string text;
    int level;
    bool header_encryption;
  };
  const Case cases[] = {
      {PresetSwitchText(4, true, 4), 4, true},
      {PresetSwitchText(3, false, 4), 3, false},
      {PresetSwitchText(2, true, 4), 2, true},
      // 5 and 6 are written as 4 and found as 4.
      {PresetSwitchText(6, false, 4), 4, false},
      {u"-SSW -MHE=OFF -MMT=4 -MS=ON -MHC=ON -M0=BCJ2 -M1=LZMA2 -M1D=23 -M1MF=BT4 -M1FB=64 ", 2,
       false},
      // Levels 1 and 0 are not looked for; neither is a text made for another machine.
      {PresetSwitchText(1, true, 4), 0, false},
      {PresetSwitchText(0, true, 4), 0, false},
      {PresetSwitchText(4, true, 1), 0, false},
      {u"-mx=9", 0, false},
      {u"", 0, false},
  };
  for (const auto& c : cases) {
    const PresetMatch match = FindPreset(c.text, 4);
    EXPECT_EQ(match.level, c.level) << std::string(c.text.begin(), c.text.end());
    if (c.level != 0) {
      EXPECT_EQ(match.header_encryption, c.header_encryption);
    }
  }
}

}  // namespace
}  // namespace velkor::media::archive
