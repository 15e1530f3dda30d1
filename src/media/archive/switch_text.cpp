#include "media/archive/switch_text.h"

#include "core/case_mapping.h"
#include "core/decimal.h"

namespace velkor::media::archive {
namespace {

constexpr std::u16string_view kLevel0 = u"-ms=off -mhc=off -m0=None -m0=Copy ";
constexpr std::u16string_view kLevel1 =
    u"-ms=on -mhc=on -m0=BCJ2 -m1=LZMA2 -m1d=23 -m1mf=hc4 -m1fb=64 ";
constexpr std::u16string_view kLevel2 =
    u"-ms=on -mhc=on -m0=BCJ2 -m1=LZMA2 -m1d=23 -m1mf=bt4 -m1fb=64 ";
constexpr std::u16string_view kLevel3 =
    u"-ms=on -mhc=on -m0=BCJ2 -m1=LZMA2 -m1d=25 -m1mf=bt4 -m1fb=64 -m2=LZMA2 -m2d=20 "
    u"-m2mf=bt4 -m2fb=64 -m3=LZMA2 -m3d=20 -m3mf=bt4 -m3fb=64 -mb0:1 -mb0s1:2 -mb0s2:3 ";
constexpr std::u16string_view kLevel4 =
    u"-ms=on -mhc=on -m0=BCJ2 -m1=LZMA2 -m1d=26 -m1mf=bt4 -m1fb=64 -m2=LZMA2 -m2d=20 "
    u"-m2mf=bt4 -m2fb=64 -m3=LZMA2 -m3d=20 -m3mf=bt4 -m3fb=64 -mb0:1 -mb0s1:2 -mb0s2:3 ";

}  // namespace

std::u16string_view LevelSwitches(int level) {
  switch (level) {
    case 0:
      return kLevel0;
    case 1:
      return kLevel1;
    case 2:
      return kLevel2;
    case 3:
      return kLevel3;
    default:
      return kLevel4;
  }
}

std::u16string ThreadSwitch(std::u16string_view method_switches, uint32_t processor_count) {
  auto has = [&](std::u16string_view part) {
    return method_switches.find(part) != std::u16string_view::npos;
  };
  if (processor_count <= 1) return u"-mmt=off ";
  if (has(u"-m1d=26") || has(u"-m1d=29") || has(u"-m1d=30")) return u"-mmt=2 ";
  if (has(u"-m1d=25") && processor_count >= 3) return u"-mmt=3 ";
  return u"-mmt=" + core::DecimalText(processor_count) + u" ";
}

std::u16string PresetSwitchText(int level, bool header_encryption, uint32_t processor_count) {
  const std::u16string_view methods = LevelSwitches(level);
  std::u16string text = u"-ssw ";
  text += header_encryption ? u"-mhe=on " : u"-mhe=off ";
  text += ThreadSwitch(methods, processor_count);
  text += methods;
  return text;
}

PresetMatch FindPreset(std::u16string_view switch_text, uint32_t processor_count) {
  for (int level : {4, 3, 2, 5, 6}) {
    for (bool header_encryption : {true, false}) {
      if (core::EqualIgnoreCase(switch_text,
                                PresetSwitchText(level, header_encryption, processor_count))) {
        return {level, header_encryption};
      }
    }
  }
  return {};
}

}  // namespace velkor::media::archive
