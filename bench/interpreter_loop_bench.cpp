// The interpreter's statement rate on a sandbox machine, against a C++ loop doing the
// same arithmetic in the same run:
//   velkor_bench --benchmark_filter=Interpreter
// (a) a While loop of "Mathematics" and "If" over 1,000,000 iterations, (b) "For Each"
// over 100,000 items. Peak memory is that of a fresh copy of this program running the
// loop, for two iteration counts: it must not grow with the count.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "compile.h"
#include "core/text.h"
#include "interpreter/interpreter.h"
#include "platform/sandbox/sandbox_platform.h"
#include "project_reader.h"
#include "resident_memory.h"
#include "script/script_parser.h"
#include "script/script_text_writer.h"
#include "script/variable_manager.h"
#include "script/variables.h"

namespace {

using namespace velkor;

constexpr char kMeasureVariable[] = "VELKOR_INTERPRETER_BENCH_MEASURE";

std::string WhileLoopScript(int64_t iterations) {
  return "Set Variable: I$KEVO$KEVO$FALSE, 0\n"
         "Set Variable: SUM$KEVO$KEVO$FALSE, 0\n"
         "While: I, 2, " +
         std::to_string(iterations - 1) +
         ", TRUE\n"
         "  Mathematics: $I$, 1, 0, I\n"
         "  Mathematics: $SUM$, $I$, 7, SUM\n"
         "  If: I, 2, 1000, FALSE\n"
         "    Mathematics: $SUM$, 3, 0, SUM\n"
         "  End\n"
         "Wend\n";
}

std::string ForEachScript(int64_t items) {
  std::string list;
  for (int64_t i = 0; i < items; ++i) list += "item" + std::to_string(i) + ";";
  return "Set Variable: COUNT$KEVO$KEVO$FALSE, 0\n"
         "For Each: ITEM, ;, " +
         list +
         "\n"
         "  Mathematics: $COUNT$, 1, 0, COUNT\n"
         "Next\n";
}

struct RunResult {
  uint64_t statements = 0;
  std::u16string sum;
};

// Compiles the script and runs it once through the interpreter on a fresh machine.
RunResult RunScriptOnce(const std::string& script_text) {
  std::random_device random;
  const std::filesystem::path machine_folder =
      std::filesystem::temp_directory_path() / ("velkor-bench-" + std::to_string(random()));
  RunResult result;
  {
    platform::sandbox::SandboxOptions options;
    options.machine_folder = machine_folder;
    options.arguments = {u"/s"};
    auto platform = platform::sandbox::OpenSandbox(options);
    if (!platform.ok()) return result;
    const build::Project project = build::ParseProjectFiles(
        {{"project.vkp",
          "product-code = {0D5C2A4B-7E19-4F3A-B6C8-1A2B3C4D5E6F}\n"
          "revision-code = {9A8B7C6D-5E4F-4A3B-8C2D-1E0F9A8B7C6D}\ntitle = Bench\n"},
         {"main.vks", script_text}});
    script::ScriptLoadResult loaded =
        script::ParseScriptText(script::WriteScriptText(build::CompileProject(project)));
    script::ScriptTables tables = loaded.TakeTables();
    script::TVariableManager store;
    script::Variables variables(store);
    startup::EngineState engine(**platform, variables);
    engine.values.silent = true;
    variables.SetSilent(true);
    interpreter::SilentDialogHost dialogs;
    interpreter::Interpreter run(tables, engine, dialogs);
    run.Run();
    result.statements = run.executed_statements();
    result.sum = variables.GetVariable(u"SUM");
  }
  std::error_code ignored;
  std::filesystem::remove_all(machine_folder, ignored);
  return result;
}

// The same arithmetic as the While script, in C++.
int64_t NativeLoop(int64_t iterations) {
  volatile int64_t sum = 0;
  for (int64_t i = 1; i <= iterations; ++i) {
    sum = sum ^ i;
    if (i > 1000) sum = sum + 3;
  }
  return sum;
}

// A copy of this program started to measure one loop runs it before main, prints its
// peak and ends: "while:N" or "foreach:N".
const bool measuring_child = [] {
  const char* work = std::getenv(kMeasureVariable);
  if (work == nullptr) return false;
  const std::string text(work);
  const int64_t count = std::atoll(text.c_str() + text.find(':') + 1);
  RunScriptOnce(text.rfind("while", 0) == 0 ? WhileLoopScript(count) : ForEachScript(count));
  std::printf("%lld\n", velkor::bench::PeakResidentBytes());
  std::fflush(stdout);
  _exit(0);
}();

double ChildPeakMB(const std::string& work) {
  return static_cast<double>(velkor::bench::ChildPeakBytes(kMeasureVariable, work)) / 1e6;
}

void Report(benchmark::State& state, uint64_t statements, double seconds) {
  state.counters["statements"] = static_cast<double>(statements);
  state.counters["statements_per_s"] = static_cast<double>(statements) / seconds;
  state.counters["ns_per_statement"] = seconds * 1e9 / static_cast<double>(statements);
}

// Runs the script once and gives the wall time in seconds.
double TimedRun(const std::string& script, RunResult& result) {
  const auto start = std::chrono::steady_clock::now();
  result = RunScriptOnce(script);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_InterpreterWhileLoop(benchmark::State& state) {
  const int64_t iterations = state.range(0);
  const std::string script = WhileLoopScript(iterations);
  RunResult result;
  double seconds = 0;
  for (auto _ : state) seconds = TimedRun(script, result);
  Report(state, result.statements, seconds);
  // The same arithmetic natively, per loop iteration and per script statement.
  const auto start = std::chrono::steady_clock::now();
  const int64_t native_sum = NativeLoop(iterations);
  const double native =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  state.counters["native_ns_per_iteration"] = native * 1e9 / static_cast<double>(iterations);
  state.counters["script_vs_native"] = seconds / native;
  state.counters["sum_matches"] = core::Utf16ToUtf8(result.sum) == std::to_string(native_sum);
  state.counters["peak_MB_100k"] = ChildPeakMB("while:100000");
  state.counters["peak_MB_1M"] = ChildPeakMB("while:1000000");
}

void BM_InterpreterForEach(benchmark::State& state) {
  const std::string script = ForEachScript(state.range(0));
  RunResult result;
  double seconds = 0;
  for (auto _ : state) seconds = TimedRun(script, result);
  Report(state, result.statements, seconds);
  state.counters["peak_MB_10k"] = ChildPeakMB("foreach:10000");
  state.counters["peak_MB_100k"] = ChildPeakMB("foreach:100000");
}

BENCHMARK(BM_InterpreterWhileLoop)->Arg(1000000)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_InterpreterForEach)->Arg(100000)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
