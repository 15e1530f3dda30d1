#include "platform/win32/win32_platform.h"

#include "platform/win32/win32_parts.h"

namespace velkor::platform::win32 {
namespace {

class Win32Platform final : public Platform {
 public:
  FileSystem& files() override { return *files_; }
  Registry& registry() override { return *registry_; }
  SystemInfo& system() override { return *system_; }
  Environment& environment() override { return *environment_; }
  Process& process() override { return *process_; }
  UserInterface& ui() override { return *ui_; }

 private:
  std::unique_ptr<FileSystem> files_ = CreateWin32FileSystem();
  std::unique_ptr<Registry> registry_ = CreateWin32Registry();
  std::unique_ptr<SystemInfo> system_ = CreateWin32SystemInfo();
  std::unique_ptr<Environment> environment_ = CreateWin32Environment();
  std::unique_ptr<Process> process_ = CreateWin32Process();
  std::unique_ptr<UserInterface> ui_ = CreateWin32UserInterface();
};

}  // namespace

std::unique_ptr<Platform> CreateWin32Platform() {
  return std::make_unique<Win32Platform>();
}

}  // namespace velkor::platform::win32
