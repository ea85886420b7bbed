// The day log's pieces: tick wrapping, folder names, paths, opening with
// folder creation and appending, and the record text.
#include "daylog.h"

#include <testsupport/temp_dir.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

using namespace carrack;

namespace {

std::string readAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

TEST(TickFromMilliseconds, LowWordReadAsSignedThirtyTwoBits) {
  struct Row {
    std::uint64_t ms;
    std::int32_t tick;
  };
  const std::vector<Row> rows = {{0, 0},
                                 {1000, 1000},
                                 {2147483647ull, 2147483647},
                                 {2147483648ull, -2147483647 - 1},  // 24.8 days
                                 {4294967295ull, -1},
                                 {4294967296ull, 0},  // 49.7 days: wraps round
                                 {4294967296ull + 5, 5}};
  for (const Row& r : rows) EXPECT_EQ(tickFromMilliseconds(r.ms), r.tick) << r.ms;
}

TEST(TickCount, CountsMillisecondsSinceBoot) {
  std::ifstream uptime("/proc/uptime");
  double seconds = 0;
  ASSERT_TRUE(uptime >> seconds);
  const std::uint64_t ms = platform::millisecondsSinceBoot();
  EXPECT_NEAR(static_cast<double>(ms) / 1000.0, seconds, 2.0);
  EXPECT_LE(ms, platform::millisecondsSinceBoot()) << "monotonic";
}

TEST(DayFolderName, ZeroPaddedYearMonthDay) {
  EXPECT_EQ(dayFolderName({2020, 6, 10}), "2020-06-10");
  EXPECT_EQ(dayFolderName({987, 1, 2}), "0987-01-02");
  EXPECT_EQ(dayFolderName({2024, 12, 31}), "2024-12-31");
}

TEST(DayLogPath, LogFileInTheDayFolderUnderAuditLog) {
  EXPECT_EQ(dayLogPath("/opt/carrack", {2020, 6, 10}), "/opt/carrack/AuditLog/2020-06-10/all.csv");
  EXPECT_EQ(dayLogPath("/", {2020, 6, 10}), "/AuditLog/2020-06-10/all.csv");
  // No fixed-size buffer: a long folder comes back whole.
  const std::string deep = "/tmp/" + std::string(600, 'x');
  EXPECT_EQ(dayLogPath(deep, {2021, 1, 1}), deep + "/AuditLog/2021-01-01/all.csv");
}

TEST(OpenDayLog, CreatesMissingFoldersAndAppends) {
  testsupport::TempDir dir;
  std::string path;
  std::FILE* log = openDayLog(dir.str(), {2020, 6, 10}, path);
  ASSERT_NE(log, nullptr);
  EXPECT_EQ(path, dir.str() + "/AuditLog/2020-06-10/all.csv");
  std::fputs("first\n", log);
  std::fclose(log);

  log = openDayLog(dir.str(), {2020, 6, 10}, path);
  ASSERT_NE(log, nullptr);
  std::fputs("second\r\n", log);  // bytes go in unchanged
  std::fclose(log);
  EXPECT_EQ(readAll(path), "first\nsecond\r\n");
}

TEST(OpenDayLog, AnotherDayGetsItsOwnFolder) {
  testsupport::TempDir dir;
  std::string p1, p2;
  std::fclose(openDayLog(dir.str(), {2020, 6, 10}, p1));
  std::fclose(openDayLog(dir.str(), {2020, 6, 11}, p2));
  EXPECT_NE(p1, p2);
  EXPECT_TRUE(std::filesystem::exists(p1));
  EXPECT_TRUE(std::filesystem::exists(p2));
}

TEST(OpenDayLog, FailsCleanlyWhereNoFolderCanBeMade) {
  testsupport::TempDir dir;
  std::ofstream(dir.path() / "AuditLog") << "not a folder";
  std::string path;
  errno = 0;
  EXPECT_EQ(openDayLog(dir.str(), {2020, 6, 10}, path), nullptr);
  EXPECT_NE(errno, 0);
  EXPECT_EQ(path, dir.str() + "/AuditLog/2020-06-10/all.csv");

  errno = 0;
  EXPECT_EQ(openDayLog(std::string(), {2020, 6, 10}, path), nullptr) << "unknown program folder";
  EXPECT_EQ(errno, ENOENT);
}

TEST(RecordField, KeepsBytesAndCommasButNotLineBreaks) {
  EXPECT_EQ(recordField("nightly"), "nightly");
  EXPECT_EQ(recordField("a,b"), "a,b");
  EXPECT_EQ(recordField("a\r\nb\nc"), "a  b c");
  EXPECT_EQ(recordField("Z\xc3\xbcrich"), "Z\xc3\xbcrich");
  EXPECT_EQ(recordField(nullptr), "");
}

TEST(ProgramFolder, IsTheFolderOfTheRunningExecutable) {
  const std::filesystem::path exe = std::filesystem::canonical("/proc/self/exe");
  EXPECT_EQ(platform::programFolder(), exe.parent_path().string());
}
