// Loading and checking a generated 100,000-statement setup script, against the floor
// of reading the same engine file's bytes. Run in one binary so the ratio compares
// like with like:
//   velkor_bench --benchmark_filter=Script
// Peak memory is the maximum resident size of a fresh copy of this program doing the
// work once, less that of a copy doing nothing, so each figure stands alone whatever
// ran before in this process.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "core/text.h"
#include "platform/file_system.h"
#include "resident_memory.h"
#include "script/script_check.h"
#include "script/script_loader.h"
#include "script/script_text_writer.h"
#include "script/variable_manager.h"
#include "script/variables.h"

namespace {

using namespace velkor;
using core::U16;

constexpr size_t kStatements = 100000;

// Host files under their own paths; only what the loader uses.
class HostFiles : public platform::FileSystem {
 public:
  bool FileExists(std::u16string_view path) override {
    return std::filesystem::is_regular_file(Host(path));
  }
  bool FolderExists(std::u16string_view path) override {
    return std::filesystem::is_directory(Host(path));
  }
  platform::Result<uint32_t> GetAttributes(std::u16string_view) override { return No(); }
  platform::Status SetAttributes(std::u16string_view, uint32_t) override { return No(); }
  platform::Status CreateFolder(std::u16string_view) override { return No(); }
  platform::Status RemoveFolder(std::u16string_view) override { return No(); }
  platform::Status DeleteFile(std::u16string_view path) override {
    std::error_code error;
    return std::filesystem::remove(Host(path), error) ? platform::Status() : No();
  }
  platform::Status CopyFile(std::u16string_view, std::u16string_view, bool) override {
    return No();
  }
  platform::Status MoveFile(std::u16string_view, std::u16string_view, bool) override {
    return No();
  }
  platform::Result<std::vector<platform::FoundFile>> FindFiles(std::u16string_view) override {
    return No();
  }
  platform::Result<std::string> ReadFile(std::u16string_view path) override {
    std::ifstream in(Host(path), std::ios::binary);
    if (!in) return No();
    std::string bytes;
    in.seekg(0, std::ios::end);
    bytes.resize(static_cast<size_t>(in.tellg()));
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
  }
  platform::Status WriteFile(std::u16string_view path, std::string_view bytes) override {
    std::ofstream out(Host(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return out ? platform::Status() : No();
  }
  platform::Status AppendFile(std::u16string_view, std::string_view) override { return No(); }
  platform::Result<uint64_t> FileSize(std::u16string_view path) override {
    return std::filesystem::file_size(Host(path));
  }
  std::u16string TempFolder() override {
    return U16(std::filesystem::temp_directory_path().string() + "/");
  }
  platform::Result<std::u16string> CreateTempFile(std::u16string_view,
                                                  std::u16string_view) override {
    return No();
  }
  platform::Result<std::u16string> ShortPath(std::u16string_view) override { return No(); }
  platform::Result<std::u16string> LongPath(std::u16string_view) override { return No(); }

 private:
  static std::string Host(std::u16string_view path) { return core::Utf16ToUtf8(path); }
  static platform::Status No() {
    return platform::Status::Failure(platform::error::kNotSupported, u"not supported");
  }
};

std::u16string Number(size_t n) {
  return U16(std::to_string(n));
}

std::u16string Key(size_t i) {
  std::u16string digits = Number(i);
  return u"{6F1C2A3B-0000-4000-8000-" + std::u16string(12 - digits.size(), u'0') + digits + u"}";
}

// Ten statements per round, blocks balanced, about three parameters per statement.
script::ScriptStatement Generated(size_t i) {
  const size_t round = i / 10;
  const std::u16string v = u"VAR" + Number(round);
  auto s = [&](std::u16string command, std::vector<std::u16string> parameters) {
    script::ScriptStatement statement;
    statement.command = std::move(command);
    statement.key = Key(i);
    statement.parameters = std::move(parameters);
    statement.source_file = u"C:\\Projects\\Product\\main.vxs";
    statement.source_line = static_cast<int32_t>(i);
    statement.include_return_variable = u"0";
    return statement;
  };
  switch (i % 10) {
    case 0:
      return s(u"Set Variable", {v + u"$KEVO$KEVO$FALSE", u"value " + Number(i)});
    case 1:
      return s(u"If", {v, u"0", u"value"});
    case 2:
      return s(u"MessageBox", {u"Value is $" + v + u"$", u"Caption", u"0", u"0", u""});
    case 3:
      return s(u"Write Registry", {u"", u"2|", u"Software\\Tarnwick\\Key" + Number(i), u"Name",
                                   u"$" + v + u"$", u"TRUE", u""});
    case 4:
      return s(u"End", {});
    case 5:
      return s(u"Comment", {u"note " + Number(i)});
    case 6:
      return s(u"Get Folder Location", {u"FOLDER" + Number(round), u"26"});
    case 7:
      return s(u"Evaluate Expression",
               {u"$" + v + u"$ = \"1\" and (\"a\" < \"b\")", u"RESULT" + Number(round)});
    case 8:
      return s(u"Label", {u"L" + Number(round)});
    default:
      return s(u"GoTo Label", {u"L" + Number(round)});
  }
}

struct BenchFiles {
  std::filesystem::path folder;
  std::u16string engine;
  std::u16string work;
  size_t bytes = 0;
};

const BenchFiles& Files() {
  static const BenchFiles files = [] {
    BenchFiles f;
    f.folder = std::filesystem::temp_directory_path() /
               ("velkor-script-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(f.folder);
    script::CompiledScript compiled;
    for (size_t i = 0; i < kStatements; ++i) compiled.statements.push_back(Generated(i));
    // A one-section PE32+ image ahead of the script, as the engine file has.
    std::string image(0x400, '\0');
    image[0] = 'M';
    image[1] = 'Z';
    image[0x3C] = char(0x80);
    image.replace(0x80, 4, std::string("PE\0\0", 4));
    image[0x86] = 1;          // one section
    image[0x94] = char(240);  // optional header size
    const size_t section = 0x80 + 24 + 240;
    image[section + 16 + 1] = 0x02;  // SizeOfRawData 0x200
    image[section + 20 + 1] = 0x02;  // PointerToRawData 0x200
    const std::string bytes = image + script::WriteScriptText(compiled);
    std::ofstream(f.folder / "setup.exe", std::ios::binary) << bytes;
    f.engine = U16((f.folder / "setup.exe").string());
    f.work = U16(f.folder.string() + "/");
    f.bytes = bytes.size();
    return f;
  }();
  static const bool removed_at_exit =
      std::atexit([] { std::filesystem::remove_all(Files().folder); }) == 0;
  (void)removed_at_exit;
  return files;
}

enum class Work { kNothing, kRead, kLoad, kLoadAndCheck };

void Run(Work work, std::u16string_view engine, std::u16string_view folder) {
  HostFiles files;
  if (work == Work::kRead) benchmark::DoNotOptimize(files.ReadFile(engine));
  if (work != Work::kLoad && work != Work::kLoadAndCheck) return;
  script::ScriptLoadResult result = script::LoadSetupScript(files, engine, folder);
  if (!result.ok()) std::abort();
  if (work != Work::kLoadAndCheck) return;
  script::TVariableManager store;
  script::Variables variables(store);
  if (!script::CheckScript(result.tables(), variables).ok()) std::abort();
}

constexpr const char* kMeasureVariable = "VELKOR_SCRIPT_BENCH_MEASURE";

// A process started to measure one piece of work runs it before main, prints its
// peak and ends.
const bool measuring_child = [] {
  const char* mode = std::getenv(kMeasureVariable);
  if (mode == nullptr) return false;
  Run(static_cast<Work>(std::atoi(mode)), U16(std::getenv("VELKOR_SCRIPT_BENCH_ENGINE")),
      U16(std::getenv("VELKOR_SCRIPT_BENCH_WORK")));
  std::printf("%lld\n", velkor::bench::PeakResidentBytes());
  std::fflush(stdout);
  _exit(0);
}();

// Peak resident size of a fresh copy of this program doing `work`, in bytes.
double ChildPeak(Work work) {
  setenv("VELKOR_SCRIPT_BENCH_ENGINE", core::Utf16ToUtf8(Files().engine).c_str(), 1);
  setenv("VELKOR_SCRIPT_BENCH_WORK", core::Utf16ToUtf8(Files().work).c_str(), 1);
  return static_cast<double>(
      velkor::bench::ChildPeakBytes(kMeasureVariable, std::to_string(static_cast<int>(work))));
}

// The peak memory of the work beyond that of the program doing nothing.
void Report(benchmark::State& state, Work work) {
  state.counters["script_MB"] = static_cast<double>(Files().bytes) / 1e6;
  state.counters["peak_MB"] = (ChildPeak(work) - ChildPeak(Work::kNothing)) / 1e6;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Files().bytes));
}

void Measure(benchmark::State& state, Work work) {
  for (auto _ : state) Run(work, Files().engine, Files().work);
  Report(state, work);
}

void BM_ScriptReadBytes(benchmark::State& state) {
  Measure(state, Work::kRead);
}
void BM_ScriptLoad(benchmark::State& state) {
  Measure(state, Work::kLoad);
}
void BM_ScriptLoadAndCheck(benchmark::State& state) {
  Measure(state, Work::kLoadAndCheck);
}

BENCHMARK(BM_ScriptReadBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScriptLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScriptLoadAndCheck)->Unit(benchmark::kMillisecond);

}  // namespace
