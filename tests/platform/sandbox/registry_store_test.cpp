// The sandbox registry as a file: it persists, it survives a killed writer, it groups
// calls into transactions, and it refuses files that are not registries.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>

#include "core/text.h"
#include "platform/sandbox/registry_test_support.h"
#include "platform/sandbox/sandbox_registry.h"

namespace velkor::platform::sandbox {
namespace {

using test_support::OpenRegistry;
using test_support::TempFolder;
using ::testing::ElementsAre;

constexpr auto kHkcu = RegistryRoot::kCurrentUser;
constexpr auto kView = RegistryView::kDefault;
constexpr uint32_t kBadDb = 1009;  // ERROR_BADDB

// Runs SQL on the file directly, as damage from outside would.
void RawSql(const std::filesystem::path& file, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  char* message = nullptr;
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message), SQLITE_OK)
      << (message ? message : "");
  sqlite3_free(message);
  sqlite3_close(db);
}

std::string FileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string HexBlob(std::u16string_view text) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex = "X'";
  for (unsigned char byte : core::ToUtf16LeBytes(text)) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 15];
  }
  return hex + "'";
}

class RegistryStoreTest : public ::testing::Test {
 protected:
  std::filesystem::path File() const { return temp_.path() / "registry.db"; }
  TempFolder temp_;
};

TEST_F(RegistryStoreTest, ContentSurvivesReopeningWithItsSpellingAndOrder) {
  {
    auto registry = OpenRegistry(File());
    ASSERT_TRUE(registry->CreateKey(kHkcu, u"Software\\Vendor\\App", kView));
    for (const char16_t* name : {u"Zeta", u"alpha", u""}) {
      ASSERT_TRUE(registry->WriteValue(kHkcu, u"Software\\Vendor\\App", name,
                                       RegistryValue::String(name), kView));
    }
  }
  auto registry = OpenRegistry(File());
  EXPECT_THAT(*registry->EnumerateKeys(kHkcu, u"SOFTWARE\\VENDOR", kView), ElementsAre(u"App"));
  EXPECT_THAT(*registry->EnumerateValues(kHkcu, u"Software\\Vendor\\App", kView),
              ElementsAre(u"Zeta", u"alpha", u""));
  EXPECT_EQ(registry->ReadValue(kHkcu, u"Software\\Vendor\\App", u"ZETA", kView)->AsString(),
            u"Zeta");
  EXPECT_TRUE(registry->VerifyIntegrity());
}

TEST_F(RegistryStoreTest, TransactionKeepsAllOrNothing) {
  auto registry = OpenRegistry(File());
  const Status failed = registry->Transaction([&] {
    registry->CreateKey(kHkcu, u"Software\\Dropped\\Deep", kView);
    registry->WriteValue(kHkcu, u"Software\\Dropped", u"v", RegistryValue::Dword(1), kView);
    return Status::Failure(error::kCancelled, u"stop");
  });
  EXPECT_EQ(failed.code(), error::kCancelled);
  EXPECT_FALSE(registry->KeyExists(kHkcu, u"Software\\Dropped", kView));

  // An inner transaction that fails undoes only itself; an ordinary failing call
  // (writing to a missing key) does not end the transaction around it.
  const Status kept = registry->Transaction([&] {
    registry->CreateKey(kHkcu, u"Software\\Outer", kView);
    EXPECT_EQ(registry->WriteValue(kHkcu, u"Software\\Missing", u"v", {}, kView).code(),
              error::kFileNotFound);
    const Status inner = registry->Transaction([&] {
      registry->CreateKey(kHkcu, u"Software\\Outer\\Inner", kView);
      return Status::Failure(error::kCancelled, u"inner");
    });
    EXPECT_FALSE(inner.ok());
    return registry->WriteValue(kHkcu, u"Software\\Outer", u"v", RegistryValue::Dword(2), kView);
  });
  EXPECT_TRUE(kept);
  registry.reset();

  registry = OpenRegistry(File());
  EXPECT_TRUE(registry->KeyExists(kHkcu, u"Software\\Outer", kView));
  EXPECT_FALSE(registry->KeyExists(kHkcu, u"Software\\Outer\\Inner", kView));
  EXPECT_EQ(registry->ReadValue(kHkcu, u"Software\\Outer", u"v", kView)->AsDword(), 2u);
}

TEST_F(RegistryStoreTest, RunOnceRunsUntilItSucceedsOncePerFile) {
  int runs = 0;
  auto count = [&](bool succeed) {
    return [&runs, succeed] {
      ++runs;
      return succeed ? Status::Ok() : Status::Failure(error::kDiskFull, u"full");
    };
  };
  {
    auto registry = OpenRegistry(File());
    EXPECT_EQ(registry->RunOnce(u"setup", count(false)).code(), error::kDiskFull);
    EXPECT_TRUE(registry->RunOnce(u"setup", count(true)));
    EXPECT_TRUE(registry->RunOnce(u"setup", count(true)));
    EXPECT_TRUE(registry->RunOnce(u"other", count(true)));
  }
  auto registry = OpenRegistry(File());
  EXPECT_TRUE(registry->RunOnce(u"setup", count(true)));
  EXPECT_EQ(runs, 3);
}

TEST_F(RegistryStoreTest, RefusesFilesThatAreNotRegistriesAndLeavesThemAlone) {
  struct Case {
    const char* name;
    std::function<void(const std::filesystem::path&)> make;
  };
  const Case cases[] = {
      {"text", [](const auto& file) { std::ofstream(file) << std::string(2000, 'x'); }},
      {"foreign database", [](const auto& file) { RawSql(file, "CREATE TABLE t (x)"); }},
      {"registry of a newer version",
       [](const auto& file) {
         OpenRegistry(file);
         RawSql(file, "PRAGMA user_version = 99");
       }},
      {"truncated registry",
       [](const auto& file) {
         auto registry = OpenRegistry(file);
         for (int i = 0; i < 200; ++i) {
           registry->CreateKey(kHkcu, u"Software\\K" + core::U16(std::to_string(i)), kView);
         }
         registry.reset();
         std::filesystem::resize_file(file, 3000);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder temp;
    const auto file = temp.path() / "registry.db";
    c.make(file);
    const std::string before = FileBytes(file);
    auto opened = SandboxRegistry::Open(file, {});
    EXPECT_FALSE(opened.ok());
    EXPECT_EQ(opened.code(), kBadDb);
    EXPECT_FALSE(opened.status().message().empty());
    EXPECT_EQ(FileBytes(file), before);
  }
  auto missing = SandboxRegistry::Open(temp_.path() / "no" / "folder" / "registry.db", {});
  EXPECT_EQ(missing.code(), error::kPathNotFound);
}

// Folded names follow the C library's case mapping; a file written under another
// mapping must still find its keys.
TEST_F(RegistryStoreTest, NamesAreFoldedAgainUnderAnotherCaseMapping) {
  {
    auto registry = OpenRegistry(File());
    registry->CreateKey(kHkcu, u"Software\\\u00C4rger", kView);
    registry->WriteValue(kHkcu, u"Software\\\u00C4rger", u"\u00D6l", RegistryValue::Dword(7),
                         kView);
  }
  RawSql(File(), "UPDATE keys SET folded = X'00' WHERE name = " + HexBlob(u"\u00C4rger") +
                     "; UPDATE vals SET folded = X'00' WHERE name = " + HexBlob(u"\u00D6l") +
                     "; UPDATE meta SET value = 'another mapping' WHERE name = 'fold'");
  auto registry = OpenRegistry(File());
  EXPECT_EQ(registry->ReadValue(kHkcu, u"Software\\\u00E4RGER", u"\u00F6L", kView)->AsDword(), 7u);
}

TEST_F(RegistryStoreTest, IntegrityCheckFindsLostKeysAndValues) {
  for (const char* damage :
       {"INSERT INTO keys (parent, name, folded) VALUES (424242, X'61', X'61')",
        "INSERT INTO vals (key, name, folded, type, data) VALUES "
        "(424242, X'61', X'61', 1, X'')",
        "UPDATE keys SET parent = id WHERE parent <> 0"}) {
    SCOPED_TRACE(damage);
    TempFolder temp;
    const auto file = temp.path() / "registry.db";
    OpenRegistry(file)->CreateKey(kHkcu, u"Software\\A", kView);
    RawSql(file, damage);
    auto registry = OpenRegistry(file);
    EXPECT_EQ(registry->VerifyIntegrity().code(), kBadDb);
  }
}

// Two connections to one file, as two processes of one machine have.
TEST_F(RegistryStoreTest, TwoConnectionsWriteTheSameFileConcurrently) {
  auto first = OpenRegistry(File());
  auto second = OpenRegistry(File());
  auto writer = [](SandboxRegistry& registry, std::u16string key) {
    registry.CreateKey(kHkcu, key, kView);
    for (uint32_t i = 0; i < 100; ++i) {
      const Status written = registry.WriteValue(kHkcu, key, core::U16(std::to_string(i)),
                                                 RegistryValue::Dword(i), kView);
      EXPECT_TRUE(written) << written.code();
    }
  };
  std::thread a(writer, std::ref(*first), u"Software\\A");
  std::thread b(writer, std::ref(*second), u"Software\\B");
  a.join();
  b.join();
  EXPECT_EQ(first->EnumerateValues(kHkcu, u"Software\\B", kView)->size(), 100u);
  EXPECT_EQ(second->EnumerateValues(kHkcu, u"Software\\A", kView)->size(), 100u);
}

// Starts `work` in a child process that writes one byte to the pipe per finished
// step, and kills it (SIGKILL) after `steps` reports and a further `delay`.
void KillMidway(const std::function<void(int report)>& work, int steps,
                std::chrono::microseconds delay) {
  int pipe_ends[2];
  ASSERT_EQ(pipe(pipe_ends), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(pipe_ends[0]);
    work(pipe_ends[1]);
    _exit(0);
  }
  close(pipe_ends[1]);
  char byte = 0;
  for (int i = 0; i < steps; ++i) ASSERT_EQ(read(pipe_ends[0], &byte, 1), 1) << "child failed";
  std::this_thread::sleep_for(delay);
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  close(pipe_ends[0]);
  EXPECT_TRUE(WIFSIGNALED(status));
}

// In the child: opens the registry or ends the process.
std::unique_ptr<SandboxRegistry> OpenInChild(const std::filesystem::path& file) {
  auto opened = SandboxRegistry::Open(file, {});
  if (!opened) _exit(3);
  return std::move(opened).value();
}

void Report(int pipe_end) {
  if (write(pipe_end, "x", 1) != 1) _exit(4);
}

std::u16string Decimal(int number) {
  return core::U16(std::to_string(number));
}

// The DWORD value, or a number no test writes when it cannot be read.
uint64_t DwordAt(SandboxRegistry& registry, const std::u16string& key, std::u16string_view name) {
  auto value = registry.ReadValue(kHkcu, key, name, kView);
  EXPECT_TRUE(value.ok()) << core::Utf16ToUtf8(key) << ": " << value.code();
  return value.ok() ? value->AsDword() : ~uint64_t{0};
}

struct KillPoint {
  int steps;
  int delay_us;
};
constexpr KillPoint kKillPoints[] = {{1, 0}, {2, 150}, {4, 700}, {6, 2500}};

// Batch i creates Batch\i\a\b with values in three keys; batches run one after another.
Status WriteBatch(SandboxRegistry& registry, int i) {
  return registry.Transaction([&] {
    const std::u16string key = u"Batch\\" + Decimal(i);
    registry.CreateKey(kHkcu, key + u"\\a\\b", kView);
    registry.WriteValue(kHkcu, key, u"n", RegistryValue::Dword(i), kView);
    registry.WriteValue(kHkcu, key + u"\\a\\b", u"done", RegistryValue::String(u"yes"), kView);
    return registry.WriteValue(kHkcu, u"Batch", u"last", RegistryValue::Dword(i), kView);
  });
}

TEST(RegistryCrashTest, KilledWriterLeavesOnlyWholeBatches) {
  for (const KillPoint& point : kKillPoints) {
    SCOPED_TRACE(point.steps);
    TempFolder temp;
    const auto file = temp.path() / "registry.db";
    KillMidway(
        [&](int report) {
          auto registry = OpenInChild(file);
          for (int i = 0;; ++i) {
            if (!WriteBatch(*registry, i)) _exit(5);
            Report(report);
          }
        },
        point.steps, std::chrono::microseconds(point.delay_us));

    auto registry = OpenRegistry(file);
    ASSERT_TRUE(registry->VerifyIntegrity());
    std::vector<int> batches;
    auto names = registry->EnumerateKeys(kHkcu, u"Batch", kView);
    ASSERT_TRUE(names.ok()) << core::Utf16ToUtf8(names.status().message());
    for (const auto& name : *names) {
      batches.push_back(std::stoi(core::Utf16ToUtf8(name)));
    }
    std::sort(batches.begin(), batches.end());
    ASSERT_GE(static_cast<int>(batches.size()), point.steps);
    for (int i = 0; i < static_cast<int>(batches.size()); ++i) {
      ASSERT_EQ(batches[i], i);
      const std::u16string key = u"Batch\\" + Decimal(i);
      EXPECT_EQ(DwordAt(*registry, key, u"n"), uint32_t(i));
      EXPECT_TRUE(registry->ReadValue(kHkcu, key + u"\\a\\b", u"done", kView).ok());
    }
    EXPECT_EQ(DwordAt(*registry, u"Batch", u"last"), batches.size() - 1);
  }
}

TEST(RegistryCrashTest, KilledRecursiveDeleteLeavesTheTreeWholeOrGone) {
  constexpr int kBranches = 150;
  for (const KillPoint& point : kKillPoints) {
    SCOPED_TRACE(point.steps);
    TempFolder temp;
    const auto file = temp.path() / "registry.db";
    KillMidway(
        [&](int report) {
          auto registry = OpenInChild(file);
          for (;;) {
            const Status built = registry->Transaction([&] {
              for (int j = 0; j < kBranches; ++j) {
                const std::u16string leaf = u"Tree\\k" + Decimal(j) + u"\\leaf";
                registry->CreateKey(kHkcu, leaf, kView);
                registry->WriteValue(kHkcu, leaf, u"v", RegistryValue::Dword(j), kView);
              }
              return Status::Ok();
            });
            if (!built) _exit(5);
            Report(report);
            if (!registry->DeleteKey(kHkcu, u"Tree", kView)) _exit(6);
            Report(report);
          }
        },
        point.steps, std::chrono::microseconds(point.delay_us));

    auto registry = OpenRegistry(file);
    ASSERT_TRUE(registry->VerifyIntegrity());
    if (!registry->KeyExists(kHkcu, u"Tree", kView)) continue;
    auto branches = registry->EnumerateKeys(kHkcu, u"Tree", kView);
    ASSERT_TRUE(branches.ok()) << core::Utf16ToUtf8(branches.status().message());
    EXPECT_EQ(branches->size(), size_t{kBranches});
    for (int j = 0; j < kBranches; ++j) {
      EXPECT_EQ(DwordAt(*registry, u"Tree\\k" + Decimal(j) + u"\\leaf", u"v"), uint32_t(j));
    }
  }
}

}  // namespace
}  // namespace velkor::platform::sandbox
