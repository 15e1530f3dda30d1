#include "command_sets.h"

#include <algorithm>
#include <array>

namespace velkor::build {

bool IsChangeCommand(std::u16string_view command) {
  static constexpr std::array<std::u16string_view, 18> kCommands = {
      u"Delete Files",    u"Copy/Move Local Files", u"Create Folder",
      u"Create Shortcut", u"Advertised Shortcut",   u"Edit INI File",
      u"Install Files",   u"Install Assembly",      u"Set Environment",
      u"Install Service", u"Install ODBC Driver",   u"Create ODBC DSN",
      u"Control Service", u"Configure Service",     u"Configure Service Failure",
      u"Write Registry",  u"Create File Type",      u"Advertised File Type"};
  return std::find(kCommands.begin(), kCommands.end(), command) != kCommands.end();
}

bool IsFileGroupCommand(std::u16string_view command) {
  return command == u"Install Files" || command == u"Install Assembly" ||
         command == u"Install Service" || command == u"Install ODBC Driver";
}

}  // namespace velkor::build
