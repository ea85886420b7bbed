// The launcher's platform layer on its own, without Qt, so that the same
// cases run against platform_posix.cpp on Linux and platform_win.cpp under
// Wine: the program folder, the tick counter, the local date, folders and
// the appending open through UTF-8 paths.
#include "platform.h"
#include "daylog.h"

#include <testsupport/file_bytes.h>
#include <testsupport/temp_dir.h>

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

using namespace carrack;

using testsupport::fileBytes;
using testsupport::utf8Of;

TEST(PlatformProgramFolder, HoldsThisTestProgram) {
  const std::string folder = platform::programFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), platform::pathSeparator()) << "no trailing separator";
  EXPECT_TRUE(platform::pathExists(folder + platform::pathSeparator() + GK_TEST_PROGRAM_NAME))
      << folder;
}

TEST(PlatformTicks, FollowTheSteadyClockInMilliseconds) {
  const auto t0 = std::chrono::steady_clock::now();
  const std::uint64_t a = platform::millisecondsSinceBoot();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const std::uint64_t b = platform::millisecondsSinceBoot();
  const auto elapsed =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0)
          .count();
  ASSERT_GE(b, a);
  // The Windows counter advances in steps of the timer interrupt (10-16 ms).
  EXPECT_GE(static_cast<long long>(b - a), 300 - 20);
  EXPECT_LE(static_cast<long long>(b - a), elapsed + 20);
  // Since boot: more than the time this test has run, and the tick that the
  // log prints is its low 32 bits.
  EXPECT_GE(b, 300u);
  EXPECT_EQ(tickFromMilliseconds(b) & 0xffff, static_cast<std::int32_t>(b & 0xffff));
}

TEST(PlatformLocalDate, IsTodayInTheLocalTimeZone) {
  // Read around the call so that a midnight between them cannot fail it.
  const std::time_t before = std::time(nullptr);
  const LocalDate d = platform::localDate();
  const std::time_t after = std::time(nullptr);
  bool matched = false;
  for (const std::time_t t : {before, after}) {
    const std::tm* parts = std::localtime(&t);
    ASSERT_NE(parts, nullptr);
    matched = matched || (d.year == parts->tm_year + 1900 && d.month == parts->tm_mon + 1 &&
                          d.day == parts->tm_mday);
  }
  EXPECT_TRUE(matched) << dayFolderName(d);
}

TEST(PlatformFolders, CreateOneLevelAndSeeIt) {
  testsupport::TempDir dir;
  const std::string sep(1, platform::pathSeparator());
  const std::string level = utf8Of(dir.path()) + sep + "AuditLog";
  EXPECT_FALSE(platform::pathExists(level));
  EXPECT_TRUE(platform::createFolder(level));
  EXPECT_TRUE(platform::pathExists(level));
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "AuditLog"));
  EXPECT_FALSE(platform::createFolder(level)) << "already there";
  EXPECT_FALSE(platform::createFolder(level + sep + "a" + sep + "b")) << "one level only";
}

TEST(PlatformOpenAppend, AppendsBytesUnchangedUnderAUnicodeName) {
  testsupport::TempDir dir;
  // "Zürich-日志": outside any single ANSI code page.
  const std::filesystem::path folder =
      dir.path() / std::filesystem::u8path("Z\xc3\xbcrich-\xe6\x97\xa5\xe5\xbf\x97");
  ASSERT_TRUE(platform::createFolder(utf8Of(folder)));
  const std::string file = utf8Of(folder) + platform::pathSeparator() + "all.csv";
  for (const char* piece : {"tag,1", ",2\n", "x\r\n"}) {
    std::FILE* f = platform::openAppend(file);
    ASSERT_NE(f, nullptr) << file;
    std::fputs(piece, f);
    std::fclose(f);
  }
  EXPECT_EQ(fileBytes(folder / "all.csv"), "tag,1,2\nx\r\n");
  EXPECT_EQ(platform::openAppend(utf8Of(folder / "missing" / "all.csv")), nullptr);
}
