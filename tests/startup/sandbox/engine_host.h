// An engine's state on a fresh sandbox machine, with the start-up values a run of
// C:\setup\setup.exe would have and script tables made in code: for tests that call the
// run phases (bootstrap, reserved variables) directly, without a whole process.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "core/text.h"
#include "platform/registry.h"
#include "script/script_tables.h"
#include "script/variable_manager.h"
#include "script/variables.h"
#include "startup/bootstrap.h"
#include "startup/command_line.h"
#include "startup/engine_state.h"
#include "startup/sandbox/startup_machine.h"

namespace velkor::startup::testing {

inline constexpr std::u16string_view kProductCode = u"{0D5C2A4B-7E19-4F3A-B6C8-1A2B3C4D5E6F}";
inline constexpr std::u16string_view kRevisionCode = u"{9A8B7C6D-5E4F-4A3B-8C2D-1E0F9A8B7C6D}";
inline constexpr std::u16string_view kTitle = u"Test Product";
inline constexpr std::u16string_view kSupportFolder =
    u"C:\\Users\\User\\AppData\\Local\\Temp\\vex1\\";
inline constexpr std::u16string_view kPackagePath =
    u"C:\\Users\\User\\AppData\\Local\\Temp\\vex1\\setup.msi";

struct HostOptions {
  std::optional<platform::sandbox::MachineProfile> profile{};
  // Arguments after the program: the switches and command-line variables are read
  // from them as start-up reads them.
  std::vector<std::u16string> arguments{};
  int32_t build_mode = 1;
  // Compile-time constants by name (without the number signs).
  std::vector<std::pair<std::u16string, std::u16string>> constants{};
};

inline script::ScriptTables HostTables(const HostOptions& options) {
  script::ScriptData data;
  data.product_code = std::u16string(kProductCode);
  data.revision_code = std::u16string(kRevisionCode);
  data.product_title = std::u16string(kTitle);
  data.build_mode = options.build_mode;
  data.publisher[static_cast<size_t>(script::PublisherText::kPublisher)] = u"Tarnwick Labs";
  data.publisher[static_cast<size_t>(script::PublisherText::kDisplayVersion)] = u"2.5.1";
  for (const auto& [name, value] : options.constants) data.constants.Append(name, value);
  return script::ScriptTables(std::move(data));
}

// Records what the bootstrap asks of the run's saved state, and answers the product
// state a test gives it.
class RecordingServices : public BootstrapServices {
 public:
  ProductState product;
  int queries = 0;  // one per bootstrap
  std::vector<std::u16string> calls;

  ProductState QueryProductState(EngineState&, const script::ScriptTables&,
                                 std::u16string_view) override {
    ++queries;
    return product;
  }
  void RestoreInstallation(const std::u16string& cache_folder,
                           std::u16string_view base_name) override {
    calls.push_back(u"restore " + cache_folder + std::u16string(base_name));
  }
  void StartNewInstallation() override { calls.push_back(u"new"); }
  void LoadCacheData(const std::u16string& data_file, bool discard_sizes) override {
    calls.push_back(u"load " + data_file + (discard_sizes ? u" without sizes" : u""));
  }
  void LoadShortcutList(const std::u16string& list_file) override {
    calls.push_back(u"shortcuts " + list_file);
  }
};

class EngineHost {
 public:
  explicit EngineHost(HostOptions options = {})
      : machine_(options.arguments, options.profile),
        variables_(store_),
        engine_(machine_.platform(), variables_),
        script_(HostTables(options)) {
    StartupValues& v = engine_.values;
    v.engine_path = std::u16string(kEngineFile);
    v.engine_file_name = u"setup.exe";
    v.engine_folder = std::u16string(kEngineFolder);
    v.base_name = u"setup";
    v.work_folder = u"C:\\Users\\User\\AppData\\Local\\Temp\\";
    v.support_folder = std::u16string(kSupportFolder);
    v.resource_path = v.engine_folder + u"setup.res";
    v.setup_package_path = std::u16string(kPackagePath);
    v.data_folder = v.engine_folder + u"data\\";
    ReadCommandLine(options.arguments);
  }

  StartupMachine& machine() { return machine_; }
  platform::Platform& platform() { return machine_.platform(); }
  EngineState& engine() { return engine_; }
  script::Variables& variables() { return variables_; }
  const script::ScriptTables& script() const { return script_; }
  RecordingServices& services() { return services_; }

  // The first bootstrap of a run, with the script's identity.
  void Bootstrap() {
    SetDefaultIdentity(engine_.identity, script_);
    startup::Bootstrap(engine_, script_, kPackagePath, services_);
  }

  std::u16string Var(std::u16string_view name) const { return variables_.GetVariable(name); }

  // Writes the default value of the product's Ident.Cache key.
  void Register(platform::RegistryRoot root, std::u16string_view folder) {
    const std::u16string key =
        u"SOFTWARE\\Tarnwick\\Velkor\\Ident.Cache\\" + std::u16string(kProductCode);
    platform::Registry& registry = platform().registry();
    ASSERT_TRUE(registry.CreateKey(root, key, platform::RegistryView::kDefault));
    ASSERT_TRUE(registry.WriteValue(root, key, u"", platform::RegistryValue::String(folder),
                                    platform::RegistryView::kDefault));
  }
  // The four native log files of the product in a cache folder (with its backslash).
  void PutNativeLogs(std::u16string_view folder) {
    for (const char16_t* suffix : {u".native.elements.log", u".native.data.log",
                                   u".native.weight.log", u".native.bitness.log"}) {
      machine_.Put(std::u16string(folder) + std::u16string(kProductCode) + suffix, "");
    }
  }
  // A complete cache set named `base` in the folder (with its backslash).
  void PutCacheSet(std::u16string_view folder, std::u16string_view base) {
    const std::u16string stem = std::u16string(folder) + std::u16string(base);
    machine_.Put(std::u16string(folder) + u"vex.lib", "library");
    for (const char16_t* extension : {u".dat", u".exe", u".res", u".par"}) {
      machine_.Put(stem + extension, "x");
    }
  }

 private:
  // What start-up reads from the command line and hands to the variable store.
  void ReadCommandLine(const std::vector<std::u16string>& arguments) {
    std::vector<std::u16string> with_program = {std::u16string(kEngineFile)};
    with_program.insert(with_program.end(), arguments.begin(), arguments.end());
    CommandLineSwitches switches = ParseSwitches(with_program);
    StartupValues& v = engine_.values;
    v.silent = switches.silent;
    v.log_path = switches.log_path;
    v.group_policy_path = switches.group_policy_path;
    v.self_extractor_path = switches.self_extractor_path;
    v.equals_variables = switches.equals_variables;
    v.colon_variables = switches.colon_variables;
    variables_.SetSilent(v.silent);
    std::vector<std::u16string> equals_list;
    std::vector<std::u16string> colon_list;
    for (const auto& [name, value] : v.equals_variables)
      equals_list.insert(equals_list.end(), {name, value});
    for (const auto& [name, value] : v.colon_variables)
      colon_list.insert(colon_list.end(), {name, value});
    variables_.SetCommandLineLists(std::move(equals_list), std::move(colon_list));
  }

  StartupMachine machine_;
  script::TVariableManager store_;
  script::Variables variables_;
  EngineState engine_;
  script::ScriptTables script_;
  RecordingServices services_;
};

}  // namespace velkor::startup::testing
