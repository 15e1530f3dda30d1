// The wait for a worker thread: the command that started it stays current while the
// main thread keeps the windows alive, and a cancel request from the user asks the
// worker to stop. Plug-in calls, program runs, archive operations and file searches
// run through it.
#pragma once

#include <atomic>
#include <functional>
#include <string_view>

namespace velkor::interpreter {

class Interpreter;

// The work of a worker thread; it should end soon after `terminate` turns true. It
// must not touch interpreter state, only the variable store and its own data, and it
// must not throw.
using WorkerTask = std::function<void(const std::atomic<bool>& terminate)>;

// The writer tags of ABORTEDONERROR when a cancel ends the wait, by command.
namespace cancel_tag {
inline constexpr std::u16string_view kPlugIn = u"Cancel at Plug-In Time";
inline constexpr std::u16string_view kRunProgram = u"Cancel at Run-Program Time";
inline constexpr std::u16string_view kRunProgramAs = u"Cancel at Run-As Time";
inline constexpr std::u16string_view kLightModeSetup = u"Cancel at Light-Mode Time";
inline constexpr std::u16string_view kExtractOrTest7Zip = u"Cancel at Extract-7Zip Time";
inline constexpr std::u16string_view kCompress7Zip = u"Cancel at Compress-7Zip Time";
inline constexpr std::u16string_view kDelete7Zip = u"Cancel at Delete-7Zip Time";
inline constexpr std::u16string_view kFindFiles = u"Cancel at Find-Files Time";
inline constexpr std::u16string_view kRestartManager = u"Cancel at Restart Manager Time";
}  // namespace cancel_tag

enum class WorkerWaitEnd {
  kFinished,     // the worker ended without a cancel request
  kCancelled,    // cancelled, the script goes on (ABORTEDONERROR is now "TRUE")
  kScriptEnded,  // cancelled with ABORTONERROR "TRUE": the main script ends
};

// Runs `task` on a new thread and waits for it. `cancel_tag` is the writer tag of the
// command's ABORTEDONERROR write (one of cancel_tag::k*).
WorkerWaitEnd RunWorker(Interpreter& run, const WorkerTask& task, std::u16string_view cancel_tag);

}  // namespace velkor::interpreter
