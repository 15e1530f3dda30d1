// The end of a run whose setup media was taken out while the script ran: the
// interpreter finishes the process itself, since the start-up sequence's own final
// steps would run from a folder that is gone.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "interpreter/interpreter_fixture.h"

namespace velkor::interpreter::testing {
namespace {

constexpr std::u16string_view kMediaEngine = u"D:\\setup\\setup.exe";

// Waits (20 seconds at most) until the trace shows the main loop running.
bool WaitForMainLoop(ScriptRun& run) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    const auto lines = startup::testing::TraceLines(run.machine().Read(kTraceFile).value_or(""));
    if (std::find(lines.begin(), lines.end(), u"    <kevo>") != lines.end()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

struct MediaCase {
  const char* name;
  std::u16string removable_drives;
  bool take_media_out;
  bool interpreter_ends_process;
};

TEST(RemovableMediaTest, OnlyRemovedRemovableMediaEndsTheProcessInTheInterpreter) {
  const std::vector<std::u16string> eject_end = {u"    </ExitScript>",
                                                 u"  </RunScript>",
                                                 u"  <Free>",
                                                 u"  </Free>",
                                                 u"  <CachedSupportDir>",
                                                 u"  </CachedSupportDir>",
                                                 u"  <RemovableMediaPrematureEject>",
                                                 u"  </RemovableMediaPrematureEject>",
                                                 u"</Velkor>"};
  const std::vector<std::u16string> normal_end = {
      u"    </ExitScript>",    u"  </RunScript>",        u"  <Free>", u"  </Free>",
      u"  <CachedSupportDir>", u"  </CachedSupportDir>", u"</Velkor>"};
  for (const MediaCase& c : {MediaCase{"removable, taken out", u"D", true, true},
                             MediaCase{"removable, still in", u"D", false, false},
                             MediaCase{"fixed, folder removed", u"", true, false}}) {
    SCOPED_TRACE(c.name);
    platform::sandbox::MachineProfile profile;
    profile.removable_drives = c.removable_drives;
    ScriptRunOptions options;
    options.profile = profile;
    options.engine_file = std::u16string(kMediaEngine);
    ScriptRun run(R"(
While: ABORT, 4, FALSE, FALSE
Wend
Terminate with Exit Code: 7
)",
                  options);
    ASSERT_TRUE(run.machine().ok());

    bool loop_seen = false;
    std::thread user([&] {
      loop_seen = WaitForMainLoop(run);
      if (c.take_media_out) {
        auto media = run.platform().HostPath(u"D:\\setup");
        if (media.ok()) std::filesystem::remove_all(*media);
      }
      run.platform().message_boxes().RequestCancel();
    });
    const startup::EngineExit exit = run.Run();
    user.join();
    ASSERT_TRUE(loop_seen);

    EXPECT_EQ(exit.exit_code, 7u);
    EXPECT_EQ(exit.immediate, c.interpreter_ends_process);
    EXPECT_EQ(run.machine().files().FolderExists(u"D:\\setup"), !c.take_media_out);
    const std::u16string& support = run.engine().values.support_folder;
    ASSERT_FALSE(support.empty());
    EXPECT_FALSE(run.machine().files().FolderExists(support));

    const auto trace = run.Trace();
    const auto& expected_end = c.interpreter_ends_process ? eject_end : normal_end;
    ASSERT_GE(trace.size(), expected_end.size());
    EXPECT_EQ(std::vector<std::u16string>(trace.end() - expected_end.size(), trace.end()),
              expected_end);
    EXPECT_EQ(std::count(trace.begin(), trace.end(), u"</Velkor>"), 1);
    EXPECT_EQ(std::count(trace.begin(), trace.end(), u"  </RunScript>"), 1);
  }
}

}  // namespace
}  // namespace velkor::interpreter::testing
