// The compression presets: the 7-Zip switch texts that stand for the levels "0" to "6",
// completed with the switches the engine puts in front of every preset, and the reverse
// look-up that tells which preset a switch text is.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velkor::media::archive {

// The method switches of a level (each followed by a blank); levels outside 0..6 are
// level 4.
std::u16string_view LevelSwitches(int level);

// The thread switch for the method switches on a machine with this many processors.
// The large dictionaries (26 and more) are held to two threads and a 25 dictionary to
// three, so that their memory stays within reach.
std::u16string ThreadSwitch(std::u16string_view method_switches, uint32_t processor_count);

// The complete switch text of a level: "-ssw ", "-mhe=on " or "-mhe=off ", the thread
// switch, then the level's method switches.
std::u16string PresetSwitchText(int level, bool header_encryption, uint32_t processor_count);

struct PresetMatch {
  int level = 0;  // 0: the text is no preset
  bool header_encryption = false;
};

// Compares the switch text, ignoring case, with the complete texts of the levels 4, 3,
// 2, 5 and 6 (in this order), each with header encryption on and off. Levels 5 and 6
// share level 4's text, so they come back as 4.
PresetMatch FindPreset(std::u16string_view switch_text, uint32_t processor_count);

}  // namespace velkor::media::archive
