// The state of one engine process, built from the parts each subsystem owns: the entry
// creates it after the platform and the variable store and hands it by reference to the
// start-up sequence and the interpreter, each of which uses the parts it needs. Main
// thread only, except where a part says otherwise (the variable store).
#pragma once

#include "interpreter/dialog_host.h"
#include "platform/platform.h"
#include "script/variables.h"
#include "startup/installer_identity.h"
#include "startup/message_caption.h"
#include "startup/message_table.h"
#include "startup/run_trace.h"
#include "startup/startup_values.h"
#include "wizard/dialog_registry.h"

namespace velkor::startup {

struct EngineState {
  // Both must outlive the state.
  EngineState(platform::Platform& platform_in, script::Variables& variables_in)
      : platform(platform_in), variables(variables_in), trace(platform_in.files()) {}
  EngineState(const EngineState&) = delete;
  EngineState& operator=(const EngineState&) = delete;

  platform::Platform& platform;
  script::Variables& variables;
  StartupValues values;
  RunTrace trace;
  MessageTable messages;
  CaptionSettings caption;
  wizard::DialogRegistry dialogs;
  InstallerIdentity identity;
  // The dialogs of "Display Dialog"; the silent host until the dialog hosts exist.
  // Tests put their own here.
  interpreter::DialogHost* dialog_host = nullptr;
};

}  // namespace velkor::startup
