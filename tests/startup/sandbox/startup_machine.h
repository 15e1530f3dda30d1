// A sandbox machine for running the engine process in tests: a fresh machine folder per
// test, the engine file and the files beside it built with the build tool's library,
// and one run of the start-up sequence whose state the test can read afterwards.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include <gtest/gtest.h>

#include "app/library_extractor.h"
#include "archive_writer.h"
#include "core/case_mapping.h"
#include "core/text.h"
#include "engine_file.h"
#include "pe_stub.h"
#include "platform/sandbox/recorded_startup_windows.h"
#include "platform/sandbox/sandbox_platform.h"
#include "platform/sandbox/seven_zip_runner.h"
#include "project_source.h"
#include "script/compiled_script.h"
#include "script/variable_manager.h"
#include "script/variables.h"
#include "startup/startup_sequence.h"
#include "startup/test_pictures.h"

namespace velkor::startup::testing {

inline constexpr std::u16string_view kEngineFile = u"C:\\setup\\setup.exe";
inline constexpr std::u16string_view kEngineFolder = u"C:\\setup\\";

// Windows paths in the archive are "/"-separated output paths; contents are the bytes.
struct ArchiveFile {
  std::string path;
  std::string bytes;
};

class StartupMachine {
 public:
  // `engine_file` may lie on another drive than C:; that drive's folder is created.
  explicit StartupMachine(std::vector<std::u16string> arguments,
                          std::optional<platform::sandbox::MachineProfile> profile = {},
                          std::u16string engine_file = std::u16string(kEngineFile))
      : engine_file_(std::move(engine_file)) {
    std::random_device random;
    host_ = std::filesystem::temp_directory_path() /
            ("velkor-startup-" + std::to_string(random()) + "-" + std::to_string(random()));
    platform::sandbox::SandboxOptions options;
    options.machine_folder = host_ / "machine";
    options.engine_file = engine_file_;
    options.arguments = std::move(arguments);
    options.initial_profile = std::move(profile);
    auto opened = platform::sandbox::OpenSandbox(options);
    if (opened.ok()) platform_ = std::move(opened).value();
    if (ok() && !engine_file_.empty()) {
      const char letter = static_cast<char>(core::LowerChar(engine_file_[0]));
      std::error_code ignored;
      std::filesystem::create_directories(options.machine_folder / (std::string("drive_") + letter),
                                          ignored);
    }
  }
  ~StartupMachine() {
    platform_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(host_, ignored);
  }
  StartupMachine(const StartupMachine&) = delete;
  StartupMachine& operator=(const StartupMachine&) = delete;

  bool ok() const { return platform_ != nullptr; }
  platform::sandbox::SandboxPlatform& platform() { return *platform_; }
  platform::FileSystem& files() { return platform_->files(); }
  const std::u16string& engine_file() const { return engine_file_; }
  // With the trailing backslash.
  std::u16string engine_folder() const {
    return engine_file_.substr(0, engine_file_.find_last_of(u'\\') + 1);
  }

  void Put(std::u16string_view path, std::string_view bytes) {
    const std::u16string text(path);
    files().CreateFolder(text.substr(0, text.find_last_of(u'\\')));
    ASSERT_TRUE(files().WriteFile(path, bytes)) << core::Utf16ToUtf8(path);
  }
  std::optional<std::string> Read(std::u16string_view path) {
    auto bytes = files().ReadFile(path);
    if (!bytes) return std::nullopt;
    return std::move(bytes).value();
  }

  // The engine file: the stub image alone, or with the script appended.
  void PutEngine(const std::optional<script::CompiledScript>& script) {
    const std::string image = build::MakeStubImage();
    Put(engine_file_, script ? build::BuildEngineFile(image, *script) : image);
  }
  // A 7z archive at a Windows path of the machine.
  void PutArchive(std::u16string_view path, const std::vector<ArchiveFile>& content) {
    std::vector<build::OutputFile> files;
    for (const ArchiveFile& file : content) files.push_back({file.path, "", file.bytes});
    const std::u16string text(path);
    this->files().CreateFolder(text.substr(0, text.find_last_of(u'\\')));
    auto host = platform_->HostPath(path);
    ASSERT_TRUE(host.ok());
    build::WriteArchive(*host, files, *build::MemorySource({}));
  }

 private:
  std::u16string engine_file_;
  std::filesystem::path host_;
  std::unique_ptr<platform::sandbox::SandboxPlatform> platform_;
};

// One engine process on the machine, with its state kept for the test to read.
class EngineRun {
 public:
  explicit EngineRun(StartupMachine& machine)
      : machine_(machine),
        variables_(store_),
        engine_(machine.platform(), variables_),
        windows_(machine.files()),
        seven_zip_(
            [&machine](std::u16string_view path) { return machine.platform().HostPath(path); }),
        archives_(seven_zip_, machine.platform()) {}

  EngineExit Run() {
    const StartupServices services{
        windows_, archives_, [this](const std::u16string& path) {
          language_files_.push_back(path);
          language_bytes_.push_back(machine_.Read(path).value_or("<missing>"));
        }};
    return RunEngineProcess(engine_, services);
  }

  EngineState& engine() { return engine_; }
  const StartupValues& values() { return engine_.values; }
  const std::vector<platform::sandbox::WindowEvent>& events() { return windows_.events(); }
  const platform::sandbox::RecordedStartupWindows& windows() { return windows_; }
  std::vector<platform::sandbox::MessageBoxRecord> message_boxes() {
    return machine_.platform().message_boxes().MessageBoxes();
  }
  // The language files handed over, and their bytes while they existed.
  const std::vector<std::u16string>& language_files() const { return language_files_; }
  const std::vector<std::string>& language_bytes() const { return language_bytes_; }

 private:
  StartupMachine& machine_;
  script::TVariableManager store_;
  script::Variables variables_;
  EngineState engine_;
  platform::sandbox::RecordedStartupWindows windows_;
  platform::sandbox::SandboxSevenZip seven_zip_;
  app::LibraryExtractor archives_;
  std::vector<std::u16string> language_files_;
  std::vector<std::string> language_bytes_;
};

// The lines of a run trace file (UTF-16LE, CR LF).
inline std::vector<std::u16string> TraceLines(const std::string& bytes) {
  const std::u16string text = core::FromUtf16LeBytes(bytes);
  std::vector<std::u16string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find(u"\r\n", start);
    if (end == std::u16string::npos) {
      lines.push_back(text.substr(start) + u"<no line end>");
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

}  // namespace velkor::startup::testing
