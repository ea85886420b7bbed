// The Windows process-control layer under Wine: a child program found by its
// exact executable name and terminated (by id, and only under that name),
// the single-instance mutex held by one process, refused to a second and
// free again when the first dies, programs started with each verb, and the
// debug privilege. Every wait is bounded.
#include "processplatform.h"

#include <testsupport/file_bytes.h>
#include <testsupport/temp_dir.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace fs = std::filesystem;

using testsupport::fileBytes;
using testsupport::utf8Of;

namespace {

// Longest a child may take to start and report (ms); Wine starts a program
// in well under a second, a loaded CI machine in a few.
constexpr int kStartTimeoutMs = 20000;
// The waits below poll: this test has no Qt, and a report file written or
// a process started by another program gives it no event to wait on.
constexpr int kPollMs = 20;

// The report of a child, or "" when none came within kStartTimeoutMs.
std::string awaitReport(const fs::path& p) {
  for (int waited = 0; waited < kStartTimeoutMs; waited += kPollMs) {
    std::error_code ec;
    if (fs::exists(p, ec)) return fileBytes(p);
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
  }
  return "";
}

// The id of the process named `name`, waiting (bounded) for it to appear.
std::int64_t awaitProcess(const std::string& name) {
  for (int waited = 0; waited < kStartTimeoutMs; waited += kPollMs) {
    if (const std::int64_t pid = processplatform::findProcessByName(name, std::string()))
      return pid;
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
  }
  return 0;
}

// This test program's folder, where the build puts the child program too.
fs::path programFolder() {
  wchar_t own[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, own, MAX_PATH);
  return fs::path(own).parent_path();
}

// A copy of the child program under a name of its own in a temporary
// folder, so that a search by that name can only find what the test started.
class Child {
public:
  explicit Child(const std::string& tag) {
    m_name = "gkchild_" + tag + "_" + std::to_string(::GetCurrentProcessId()) + ".exe";
    m_exe = m_dir.path() / m_name;
    fs::copy_file(programFolder() / GK_CHILD_PROGRAM, m_exe);
  }
  // Stops every copy still running (a failed test must not leave any).
  ~Child() {
    while (const std::int64_t pid = processplatform::findProcessByName(m_name, std::string()))
      if (!processplatform::killProcess(pid, 0)) break;
  }
  // Starts one copy with "<mode>|<report>"; returns the report path.
  fs::path start(const std::string& mode, const std::string& report, int startMode = StartOpen) {
    const fs::path file = m_dir.path() / report;
    EXPECT_TRUE(processplatform::startProgram(utf8Of(m_exe), startMode, mode + "|" + utf8Of(file)));
    return file;
  }
  const std::string& name() const { return m_name; }
  fs::path folder() const { return m_dir.path(); }

private:
  testsupport::TempDir m_dir;
  std::string m_name;
  fs::path m_exe;
};

}  // namespace

TEST(ProcessSearch, FindsAChildByItsExactNameAndTerminatesIt) {
  Child child("find");
  ASSERT_EQ(awaitReport(child.start("sleep", "ready.txt")), "ready");
  const std::int64_t pid = awaitProcess(child.name());
  ASSERT_NE(pid, 0);
  EXPECT_NE(pid, static_cast<std::int64_t>(::GetCurrentProcessId()));
  EXPECT_EQ(processplatform::findProcessByName(child.name(), utf8Of(child.folder())), pid)
      << "preferred folder";

  // Only the whole file name matches, with its case.
  const std::string& name = child.name();
  EXPECT_EQ(processplatform::findProcessByName(name.substr(0, name.size() - 4), std::string()), 0)
      << "no extension";
  EXPECT_EQ(processplatform::findProcessByName(name.substr(1), std::string()), 0)
      << "a tail of the name";
  std::string upper = name;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(processplatform::findProcessByName(upper, std::string()), 0) << "other case";

  EXPECT_TRUE(processplatform::killProcess(pid, 0));
  EXPECT_EQ(processplatform::findProcessByName(child.name(), std::string()), 0)
      << "gone after the kill";
}

// The stop of a process found by name checks the name on the process it
// opened: under an id that now names another program it leaves it alone.
TEST(ProcessSearch, KillProcessIfNamedStopsOnlyAProcessOfThatName) {
  Child child("named");
  ASSERT_EQ(awaitReport(child.start("sleep", "ready.txt")), "ready");
  const std::int64_t pid = awaitProcess(child.name());
  ASSERT_NE(pid, 0);
  EXPECT_TRUE(processplatform::killProcessIfNamed(pid, "gkother.exe", 0))
      << "no process of that name holds the id";
  EXPECT_EQ(processplatform::findProcessByName(child.name(), std::string()), pid) << "left running";
  EXPECT_TRUE(processplatform::killProcessIfNamed(pid, child.name(), 0));
  EXPECT_EQ(processplatform::findProcessByName(child.name(), std::string()), 0)
      << "stopped under its own name";
}

TEST(ProcessSearch, NeverReportsThisProcessOrUnmatchableNames) {
  wchar_t own[MAX_PATH] = {};
  ASSERT_GT(::GetModuleFileNameW(nullptr, own, MAX_PATH), 0u);
  const std::string ownName = utf8Of(fs::path(own).filename());
  EXPECT_NE(processplatform::findProcessByName(ownName, std::string()),
            static_cast<std::int64_t>(::GetCurrentProcessId()));
  for (const char* bad : {"", ".", "..", "a\\b.exe", "a/b.exe"})
    EXPECT_EQ(processplatform::findProcessByName(bad, std::string()), 0) << bad;
}

TEST(ProcessKill, RefusesTheSystemsIdsAndThisProcess) {
  for (const std::int64_t pid :
       {std::int64_t{0}, std::int64_t{4}, std::int64_t{-1}, std::int64_t{1} << 40,
        static_cast<std::int64_t>(::GetCurrentProcessId())})
    EXPECT_FALSE(processplatform::killProcess(pid, 0)) << pid;
}

TEST(SingleInstance, HeldByOneRefusedToASecondFreeWhenTheFirstDies) {
  EXPECT_EQ(processplatform::singleInstanceLockName(), "GKBriselUpdate.exe");
  Child child("lock");
  ASSERT_EQ(awaitReport(child.start("lock", "first.txt")), "held");
  const std::int64_t holder = awaitProcess(child.name());
  ASSERT_NE(holder, 0);
  EXPECT_EQ(awaitReport(child.start("lock", "second.txt")), "refused");

  ASSERT_TRUE(processplatform::killProcess(holder, 0));
  EXPECT_EQ(awaitReport(child.start("lock", "third.txt")), "held") << "released by the system";
}

TEST(StartProgram, EachVerbStartsTheProgramWithItsOneArgument) {
  Child child("start");
  // The report path holds a space and the argument a "|": both must reach
  // the child as one argument.
  EXPECT_EQ(awaitReport(child.start("touch", "open verb.txt", StartOpen)), "started");
  EXPECT_EQ(awaitReport(child.start("touch", "runas verb.txt", StartElevatedWhereAvailable)),
            "started");
  EXPECT_FALSE(processplatform::startProgram(std::string(), StartOpen, std::string()));
  EXPECT_FALSE(processplatform::startProgram(utf8Of(child.folder() / "missing.exe"), StartOpen,
                                             std::string()));
}

TEST(DebugPrivilege, IsEnabledInTheProcessToken) {
  ASSERT_TRUE(processplatform::enableDebugPrivilege());
  HANDLE token = nullptr;
  ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token));
  PRIVILEGE_SET wanted{};
  wanted.PrivilegeCount = 1;
  wanted.Control = PRIVILEGE_SET_ALL_NECESSARY;
  ASSERT_TRUE(::LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &wanted.Privilege[0].Luid));
  BOOL enabled = FALSE;
  EXPECT_TRUE(::PrivilegeCheck(token, &wanted, &enabled));
  EXPECT_TRUE(enabled);
  ::CloseHandle(token);
}
