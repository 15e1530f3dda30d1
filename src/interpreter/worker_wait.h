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

enum class WorkerWaitEnd {
  kFinished,     // the worker ended without a cancel request
  kCancelled,    // cancelled, the script goes on (ABORTEDONERROR is now "TRUE")
  kScriptEnded,  // cancelled with ABORTONERROR "TRUE": the main script ends
};

// Runs `task` on a new thread and waits for it. `cancel_tag` is the writer tag of the
// command's ABORTEDONERROR write (e.g. "Cancel at Run-Program Time").
WorkerWaitEnd RunWorker(Interpreter& run, const WorkerTask& task, std::u16string_view cancel_tag);

}  // namespace velkor::interpreter
