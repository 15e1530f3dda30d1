#include "startup/message_table.h"

namespace velkor::startup {
namespace {

struct DefaultEntry {
  int number;
  const char16_t* text;
};

// Entries without a default text (54, 91 to 111) are empty.
constexpr DefaultEntry kDefaultEntries[] = {
    {1,
     u"Please install the common controls update from Microsoft before attempting to install this "
     u"product."},
    {2, u"Setup resource not found"},
    {3, u"Setup resource decompression failure"},
    {4, u"Setup database not found"},
    {5, u"Runtime error in install: "},
    {6, u"bytes"},
    {7, u"KB"},
    {8, u"MB"},
    {9, u"Attempting to get value of undefined variable "},
    {10, u"Attempting to set value of undefined variable "},
    {11, u"Copying: "},
    {12, u"Unable to copy installation data to local folders"},
    {13, u"Downloading Web Media: "},
    {14, u"Unable to download installation data from the web"},
    {15, u"Extracting Web Media: "},
    {16, u"Unable to extract installation data downloaded from the web"},
    {17, u"Please locate your original setup sources to continue operation"},
    {18, u"Original setup sources required to complete operation, sources not found"},
    {19, u"General setup failure"},
    {20, u"Runtime error in setup script:"},
    {21, u"% complete"},
    {22, u"bytes received"},
    {23, u"Velkor Wizard"},
    {24,
     u"Velkor is preparing the Velkor Wizard which will install this application. Please wait."},
    {25, u"Retry Download?"},
    {26, u"Downloading of installation data from the web has failed. Would you like to try again?"},
    {27, u" Proxy Information (optional) "},
    {28, u"Proxy &Server:"},
    {29, u"Proxy &Port:"},
    {30,
     u"If you choose No, setup will exit. However, you will be able to resume your download from "
     u"where it left off when you re-run setup."},
    {31, u"&Yes"},
    {32, u"&No"},
    {33, u"Retry Extraction?"},
    {34,
     u"Extraction of installation data downloaded from the web has failed. What would you like to "
     u"do?"},
    {35, u"&Download a fresh copy of the installation data."},
    {36, u"Try to &extract the existing download data again."},
    {37, u"If you choose Cancel, setup will exit. Your existing download data will be preserved."},
    {38, u"&OK"},
    {39, u"&Cancel"},
    {40, u"Are you sure you want to cancel?"},
    {41, u"Proxy &User:"},
    {42, u"Proxy Pass&word:"},
    {43, u"Fatal Error"},
    {44, u"Error"},
    {45, u"Warning"},
    {46, u"Message"},
    {47, u"Files in Use"},
    {48, u"Out of Disk Space"},
    {49,
     u"Downloading of installation data from the web has failed. Please make sure you are "
     u"connected to the Internet."},
    {50, u"Would you like to:"},
    {51, u"Try to &resume the broken download?"},
    {52, u"Download a &new copy of the data instead?"},
    {53,
     u"If you choose Cancel, setup will exit. However, you will be able to resume your download "
     u"from where it left off when you re-run setup."},
    {55, u"Locating resource"},
    {56, u"Connecting to"},
    {57, u"Redirecting to"},
    {58, u"Beginning data transfer"},
    {59, u"Transferring data"},
    {60, u"Finishing data transfer"},
    {61, u"Beginning component download"},
    {62, u"Installing components"},
    {63, u"Finishing component download"},
    {64, u"Resuming broken download"},
    {65, u"Requesting data"},
    {66, u"CLASSID available"},
    {67, u"Download data recognized"},
    {68, u"Saving download information"},
    {69, u"Beginning synchronous operation"},
    {70, u"Finishing synchronous operation"},
    {71, u"Beginning data upload"},
    {72, u"Uploading data"},
    {73, u"Finishing data upload"},
    {74, u"Protocol CLASSID"},
    {75, u"Encoding"},
    {76, u"Download data recognized and verified"},
    {77, u"Class install location"},
    {78, u"Decoding"},
    {79, u"Loading data handler"},
    {80, u"Content disposition attach"},
    {81, u"Download data filtered"},
    {82, u"CLSID can instantiate"},
    {83, u"COM services unavailable"},
    {84, u"Direct bind"},
    {85, u"Unrecognized download data"},
    {86, u"Detecting proxy information"},
    {87, u"Accept ranges"},
    {88,
     u"A previously executed setup still has pending operations on the system. Please restart your "
     u"computer before attempting to install this product."},
    {89, u"Select Setup Language"},
    {90, u"Please select the language to use during the installation:"},
    {112, u"Unable to play Flash movie"},
    {113, u"Will be &installed on local hard drive"},
    {114, u"&Entire feature will be installed on local hard drive"},
    {115, u"Entire feature will be &unavailable"},
    {116, u"Setup cancelled"},
    {117, u"Would you like to try again?"},
    {118, u"Unable to create shortcut"},
    {119, u"Old file date: "},
    {120, u"Old file version: "},
    {121, u"New file date: "},
    {122, u"New file version: "},
    {123, u"Overwrite"},
    {124, u"Would you like to overwrite this file?"},
    {125, u"<unknown date>"},
    {126, u"<no version information>"},
};

const std::array<std::u16string, MessageTable::kEntryCount>& Defaults() {
  static const auto* const kDefaults = [] {
    auto* texts = new std::array<std::u16string, MessageTable::kEntryCount>();
    for (const DefaultEntry& entry : kDefaultEntries) (*texts)[entry.number - 1] = entry.text;
    return texts;
  }();
  return *kDefaults;
}

const std::u16string kNoText;

bool ValidEntry(int entry) {
  return entry >= 1 && entry <= MessageTable::kEntryCount;
}

}  // namespace

MessageTable::MessageTable() : texts_(Defaults()) {}

const std::u16string& MessageTable::Text(int entry) const {
  return ValidEntry(entry) ? texts_[entry - 1] : kNoText;
}

void MessageTable::SetText(int entry, std::u16string text) {
  if (ValidEntry(entry)) texts_[entry - 1] = std::move(text);
}

const std::u16string& MessageTable::DefaultText(int entry) {
  return ValidEntry(entry) ? Defaults()[entry - 1] : kNoText;
}

}  // namespace velkor::startup
