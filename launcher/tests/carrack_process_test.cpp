// Carrack run as a process: the two start modes, the exit codes and the
// day's audit log record.
#include "carrack_process.h"

#include <gkmainwidget/gkcammanage.h>

#include <gtest/gtest.h>

#include <QString>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<std::string> split(const std::string& s, char sep) {
  std::vector<std::string> parts;
  std::string cur;
  for (char c : s) {
    if (c == sep) {
      parts.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  parts.push_back(cur);
  return parts;
}

// A batch run with the tick clock read around it and the day it ran on.
struct BatchRun {
  CarrackRun run;
  std::int32_t before = 0;
  std::int32_t after = 0;
  std::string log;  // today's all.csv afterwards
};

BatchRun batch(const CarrackFolder& f, const QStringList& args) {
  BatchRun b;
  const std::string dayBefore = todayText();
  b.before = bootTick();
  b.run = f.run(args);
  b.after = bootTick();
  b.log = readBytes(f.logFile(dayBefore));
  if (b.log.empty()) b.log = readBytes(f.logFile(todayText()));  // ran over midnight
  return b;
}

// The record of a run: tag fields, then the start and end ticks, between the
// ticks read around the run, in order.
void expectRecord(const std::string& line, const std::string& tag, const BatchRun& b) {
  ASSERT_EQ(line.substr(0, tag.size() + 1), tag + ",") << line;
  const std::vector<std::string> ticks = split(line.substr(tag.size() + 1), ',');
  ASSERT_EQ(ticks.size(), 2u) << line;
  const auto start = static_cast<std::int32_t>(std::stol(ticks[0]));
  const auto end = static_cast<std::int32_t>(std::stol(ticks[1]));
  EXPECT_TRUE(tickBetween(b.before, start, b.after)) << b.before << " " << start << " " << b.after;
  EXPECT_TRUE(tickBetween(start, end, b.after)) << start << " " << end << " " << b.after;
}

QString q(const std::string& s) { return QString::fromStdString(s); }

// Interactive mode with the login dialog answered by the given script.
CarrackRun runWithLogin(const CarrackFolder& f, const char* script) {
  QProcessEnvironment env = f.baseEnvironment();
  env.insert("GK_LOGIN_SCRIPT", script);
  return f.run({}, env);
}

// No display and no platform chosen, as on a bare server.
QProcessEnvironment withoutDisplay(const CarrackFolder& f) {
  QProcessEnvironment env = f.baseEnvironment();
  env.remove("QT_QPA_PLATFORM");
  env.remove("DISPLAY");
  env.remove("WAYLAND_DISPLAY");
  return env;
}

}  // namespace

TEST(CarrackInteractive, RefusedLoginExitsZeroWithoutEventLoopOrLog) {
  CarrackFolder f;
  // Nothing would ever end an event loop here: a launcher that entered one
  // would hang and fail the run.
  const CarrackRun r = runWithLogin(f, "cancel");
  ASSERT_TRUE(r.finished) << r.err.toStdString();
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_TRUE(r.out.isEmpty());
  EXPECT_FALSE(std::filesystem::exists(f.auditLogFolder()));
}

TEST(CarrackInteractive, AcceptedLoginRunsTheEventLoop) {
  CarrackFolder f;
  const CarrackRun r = runWithLogin(f, "accept");
  ASSERT_TRUE(r.finished) << r.err.toStdString();
  EXPECT_EQ(r.exitCode, 0);
  // Printed from the event loop only, with the window's title (application
  // name and version) and the size of the window icon it inherited.
  EXPECT_TRUE(
      r.err.contains("closing the main window \"Carrack 1.0.0.4 - board design audit - "
                     "script\" (icon 200x200)"))
      << r.err.toStdString();
  EXPECT_FALSE(std::filesystem::exists(f.auditLogFolder()));
}

TEST(CarrackInteractive, WithoutAnyDisplayItSaysSoInsteadOfWaiting) {
  CarrackFolder f;
  const CarrackRun r = f.run({}, withoutDisplay(f));
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.contains("no display")) << r.err.toStdString();
}

// Exit code and one record per run, for a clean, a violating and an
// unreadable design; the exit code is what RunNoUI returns in this process.
TEST(CarrackBatch, TwoArgumentsAuditAndAppendOneRecord) {
  struct Row {
    const char* name;
    std::string design;
    int expected;
  };
  const std::vector<Row> rows = {{"clean", samplePath("clean.json"), 0},
                                 {"violations", samplePath("violations.json"), 1},
                                 {"missing", samplePath("no-such-design.json"), 2}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CarrackFolder f;
    const BatchRun b = batch(f, {q(row.design), "nightly"});
    ASSERT_TRUE(b.run.finished) << b.run.err.toStdString();
    EXPECT_EQ(b.run.exitCode, row.expected);
    EXPECT_EQ(b.run.exitCode, GkCamManage::GetInstance()->RunNoUI(q(row.design), "in-process"));
    ASSERT_FALSE(b.log.empty());
    EXPECT_EQ(b.log.find('\n'), b.log.size() - 1) << "exactly one line, ending in one line feed";
    EXPECT_EQ(b.log.find('\r'), std::string::npos);
    expectRecord(b.log.substr(0, b.log.size() - 1), "nightly", b);
  }
}

TEST(CarrackBatch, FindingsGoToStandardOutputAndTheSummaryToStandardError) {
  CarrackFolder f;
  const CarrackRun r = f.run({q(samplePath("violations.json")), "t"});
  ASSERT_TRUE(r.finished);
  const QList<QByteArray> lines = r.out.trimmed().split('\n');
  ASSERT_EQ(lines.size(), 8);  // header and the seven findings of the sample
  EXPECT_EQ(lines[0], "kind,feature,net,other,other_net,distance,x1,y1,x2,y2,area,layer");
  EXPECT_TRUE(lines[1].startsWith("short,A1,NET1,A2,NET2,"));
  EXPECT_TRUE(r.err.contains("3 shorts, 2 clearance violations, 2 outside the board"))
      << r.err.toStdString();
}

// A caller that stops reading (a pipe into head, a reader that died): the
// writes fail, the record is completed and the exit code is the audit's.
TEST(CarrackBatch, AReaderGoneFromThePipeStillGetsTheRecordAndTheResult) {
  for (const auto& [design, expected] :
       {std::pair{"violations.json", 1}, std::pair{"clean.json", 0}}) {
    SCOPED_TRACE(design);
    CarrackFolder f;
    BatchRun b;
    b.before = bootTick();
    EXPECT_EQ(f.runIntoAClosedPipe({q(samplePath(design)), "piped"}), expected);
    b.after = bootTick();
    b.log = readBytes(f.logFile(todayText()));
    ASSERT_FALSE(b.log.empty());
    EXPECT_EQ(b.log.find('\n'), b.log.size() - 1) << b.log;
    expectRecord(b.log.substr(0, b.log.size() - 1), "piped", b);
  }
}

TEST(CarrackBatch, KicadBoardsAreAuditedWithTheSameRecordAndExitCodes) {
  const std::string board = GK_KICAD_DEMOS_DIR "/pic_programmer/pic_programmer.kicad_pcb";
  CarrackFolder f;
  const BatchRun b = batch(f, {q(board), "kicad"});
  ASSERT_TRUE(b.run.finished) << b.run.err.toStdString();
  EXPECT_EQ(b.run.exitCode, 1) << b.run.err.toStdString();
  const QList<QByteArray> lines = b.run.out.trimmed().split('\n');
  ASSERT_EQ(lines.size(), 4);  // header and three clearance violations on B.Cu
  for (int k = 1; k < 4; ++k) {
    EXPECT_TRUE(lines[k].startsWith("clearance,")) << lines[k].toStdString();
    EXPECT_TRUE(lines[k].endsWith(",B.Cu")) << lines[k].toStdString();
  }
  EXPECT_TRUE(b.run.err.contains("865 features, 0 shorts, 3 clearance violations"))
      << b.run.err.toStdString();
  expectRecord(b.log.substr(0, b.log.size() - 1), "kicad", b);

  // The same board cut short is refused with the place and exit code 2.
  std::ifstream in(board, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string cut = (f.folder() / "cut.kicad_pcb").string();
  std::ofstream(cut, std::ios::binary) << text.substr(0, text.size() / 2);
  const BatchRun broken = batch(f, {q(cut), "cut"});
  ASSERT_TRUE(broken.run.finished);
  EXPECT_EQ(broken.run.exitCode, 2);
  EXPECT_TRUE(broken.run.err.contains("cannot read: line ")) << broken.run.err.toStdString();
  EXPECT_TRUE(broken.run.out.isEmpty());
}

TEST(CarrackBatch, ArgumentsAfterTheSecondHaveNoEffect) {
  CarrackFolder f;
  const CarrackRun two = f.run({q(samplePath("violations.json")), "tag"});
  const BatchRun more = batch(f, {q(samplePath("violations.json")), "tag", "extra", "x,y"});
  ASSERT_TRUE(more.run.finished);
  EXPECT_EQ(more.run.exitCode, two.exitCode);
  EXPECT_EQ(more.run.out, two.out);
  const std::vector<std::string> lines = split(more.log, '\n');
  ASSERT_EQ(lines.size(), 3u);  // two records and the empty rest after the last line feed
  expectRecord(lines[1], "tag", more);
}

TEST(CarrackBatch, FirstRunOfTheDayCreatesTheFoldersAndLaterRunsAppend) {
  CarrackFolder f;
  ASSERT_FALSE(std::filesystem::exists(f.auditLogFolder()));
  const BatchRun first = batch(f, {q(samplePath("clean.json")), "first"});
  ASSERT_TRUE(first.run.finished);
  EXPECT_TRUE(std::filesystem::is_directory(f.auditLogFolder()));
  const BatchRun second = batch(f, {q(samplePath("clean.json")), "second"});
  ASSERT_EQ(second.log.substr(0, first.log.size()), first.log) << "earlier record kept";
  const std::string added = second.log.substr(first.log.size());
  ASSERT_FALSE(added.empty());
  EXPECT_EQ(added.find('\n'), added.size() - 1);
  expectRecord(added.substr(0, added.size() - 1), "second", second);
}

TEST(CarrackBatch, CommaInTheTagIsWrittenUnchanged) {
  CarrackFolder f;
  const BatchRun b = batch(f, {q(samplePath("clean.json")), "run,7"});
  ASSERT_TRUE(b.run.finished);
  EXPECT_EQ(split(b.log, ',').size(), 4u) << b.log;
  expectRecord(b.log.substr(0, b.log.size() - 1), "run,7", b);
}

TEST(CarrackBatch, LineBreaksInTheTagCannotForgeRecords) {
  CarrackFolder f;
  const BatchRun b = batch(f, {q(samplePath("clean.json")), "a\nfake,1,2\r\nb"});
  ASSERT_TRUE(b.run.finished);
  EXPECT_EQ(b.log.find('\n'), b.log.size() - 1) << b.log;
  expectRecord(b.log.substr(0, b.log.size() - 1), "a fake,1,2  b", b);
}

TEST(CarrackBatch, TheTagIsLoggedInTheLocalEightBitForm) {
  CarrackFolder f;
  QProcessEnvironment env = f.baseEnvironment();
  env.insert("LC_ALL", "C.UTF-8");
  const std::string tag = "Z\xc3\xbcrich";  // "Zürich" in UTF-8, the locale's encoding
  const std::string day = todayText();
  const CarrackRun r = f.run({q(samplePath("clean.json")), QString::fromUtf8(tag.c_str())}, env);
  ASSERT_TRUE(r.finished);
  const std::string log = readBytes(f.logFile(day));
  EXPECT_EQ(log.substr(0, tag.size() + 1), tag + ",") << log;
}

TEST(CarrackBatch, OnlyOneArgumentIsRefusedWithUsageAndNoRecord) {
  CarrackFolder f;
  const CarrackRun r = f.run({q(samplePath("violations.json"))});
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_TRUE(r.out.isEmpty()) << "no audit ran";
  EXPECT_TRUE(r.err.contains("usage: Carrack")) << r.err.toStdString();
  EXPECT_FALSE(std::filesystem::exists(f.auditLogFolder()));
}

TEST(CarrackBatch, UnwritableLogStillAuditsAndSaysSo) {
  CarrackFolder f;
  std::ofstream(f.auditLogFolder()) << "a file where the folder should be";
  const CarrackRun r = f.run({q(samplePath("violations.json")), "t"});
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.out.startsWith("kind,feature")) << "the audit ran";
  EXPECT_TRUE(r.err.contains("could not write the audit record")) << r.err.toStdString();
}

TEST(CarrackBatch, AnUnfinishedRecordIsContinuedOnItsLine) {
  CarrackFolder f;
  const std::string day = todayText();
  std::filesystem::create_directories(f.logFile(day).parent_path());
  std::ofstream(f.logFile(day), std::ios::binary) << "hung,5";
  const BatchRun b = batch(f, {q(samplePath("clean.json")), "next"});
  ASSERT_TRUE(b.run.finished);
  ASSERT_EQ(b.log.substr(0, 6), "hung,5");
  expectRecord(b.log.substr(6, b.log.size() - 7), "next", b);
}

TEST(CarrackBatch, RunsWithoutAnyDisplay) {
  CarrackFolder f;
  const CarrackRun r = f.run({q(samplePath("violations.json")), "headless"}, withoutDisplay(f));
  ASSERT_TRUE(r.finished) << r.err.toStdString();
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(std::filesystem::exists(f.logFile(todayText())));
}
