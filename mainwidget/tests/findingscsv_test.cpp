// Output texts: CSV quoting and columns, and the one-line summary.
#include "findingscsv.h"

#include "design_builder.h"

#include <gtest/gtest.h>

#include <limits>

using namespace build;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

Design twoFeatures() {
  Design d = board(10, 0.2);
  d.features.push_back(feature("U1,pad \"a\"", "GND", rect(1, 2, 1, 2)));
  d.features.push_back(feature("U2", "VCC", rect(2.1, 3, 1, 2)));
  return d;
}

}  // namespace

TEST(CsvField, QuotesOnlyWhatNeedsIt) {
  EXPECT_EQ(csvField("plain"), "plain");
  EXPECT_EQ(csvField(""), "");
  EXPECT_EQ(csvField("a,b"), "\"a,b\"");
  EXPECT_EQ(csvField("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(csvField("two\nlines"), "\"two\nlines\"");
  EXPECT_EQ(csvField("cr\r"), "\"cr\r\"");
}

TEST(FindingsCsv, HeaderAndOneLinePerFinding) {
  const Design d = twoFeatures();
  const AuditFinding clearance{FindingKind::Clearance, 0, 1, 0.1, true, 2, 1.5, 2.1, 1.5, kNaN, 0};
  const AuditFinding outside{
      FindingKind::Outside, 1, -1, kNaN, false, kNaN, kNaN, kNaN, kNaN, 0.25, 0};
  EXPECT_EQ(findingsCsv(d, {clearance, outside}),
            "kind,feature,net,other,other_net,distance,x1,y1,x2,y2,area,layer\n"
            "clearance,\"U1,pad "
            "\"\"a\"\"\",GND,U2,VCC,0.100000,2.000000,1.500000,2.100000,1.500000,,copper\n"
            "outside,U2,VCC,board,,,,,,,0.250000,copper\n");
  EXPECT_EQ(findingsCsv(d, {}),
            "kind,feature,net,other,other_net,distance,x1,y1,x2,y2,area,layer\n");
}

TEST(AuditSummary, CountsOrReason) {
  AuditReport report;
  report.readable = true;
  report.design = twoFeatures();
  report.result.findings.push_back(
      {FindingKind::Short, 0, 1, 0.0, false, kNaN, kNaN, kNaN, kNaN, kNaN, 0});
  EXPECT_EQ(auditSummary("nightly", "b.json", report),
            "audit \"nightly\": b.json: 2 features, 1 short, 0 clearance violations, 0 outside "
            "the board");
  report.design.features.pop_back();
  report.result.findings.push_back(report.result.findings[0]);
  report.result.findings[1].kind = FindingKind::Clearance;
  EXPECT_EQ(auditSummary("t", "b.json", report),
            "audit \"t\": b.json: 1 feature, 1 short, 1 clearance violation, 0 outside the board");

  AuditReport bad;
  bad.error = "not valid JSON (offset 3: x)";
  EXPECT_EQ(auditSummary("t", "b.json", bad),
            "audit \"t\": b.json: cannot read: not valid JSON (offset 3: x)");
  // Outside text cannot break the summary into several lines.
  EXPECT_EQ(auditSummary("a\nb", "c\r\nd", bad).count('\n'), 0);
}

// Tags, paths and reasons (which quote the design file) reach a terminal:
// line breaks and tabs become spaces, every other control character (C0,
// DEL, C1) the replacement character, so that no escape sequence from a
// file is ever written out.
TEST(AuditSummary, ControlCharactersNeverReachTheTerminal) {
  AuditReport bad;
  bad.error = QStringLiteral("version \x1b]2;title\x07\x1b[2J and \x7f") + QChar(0x9b) +
              QStringLiteral("31m") + QChar(0) + QChar(0x85) + QStringLiteral("\x1bP");
  const QString line = auditSummary(QStringLiteral("t\tag\x1b"), QStringLiteral("a\r\nb"), bad);
  for (const QChar c : line) {
    EXPECT_FALSE(c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() <= 0x9f))
        << "U+" << std::hex << c.unicode();
  }
  EXPECT_EQ(line.count(QChar(0xFFFD)), 9);
  EXPECT_TRUE(line.startsWith("audit \"t ag\uFFFD\": a  b: cannot read: version \uFFFD]2;title"))
      << line.toStdString();
  EXPECT_TRUE(line.endsWith("31m\uFFFD\uFFFD\uFFFDP")) << line.toStdString();
}

// A name can hide what it is with directional formatting: "gpj.exe" after a
// right-to-left override shows as "exe.jpg". Those characters are replaced,
// the separators U+2028 and U+2029 break no line, and right-to-left letters
// themselves pass unchanged.
TEST(AuditSummary, DirectionalFormattingNeverReachesTheTerminal) {
  AuditReport bad;
  bad.error = QString::fromUtf8("net \u0645\u0646 x\u2028y\u2029z");
  const QString tag = QString::fromUtf8("a\u202egpj.exe\u202c b\u2066c\u2069 d\u200f\u200e\u061c");
  const QString line = auditSummary(tag, QStringLiteral("p.json"), bad);
  EXPECT_EQ(line, QString::fromUtf8("audit \"a\ufffdgpj.exe\ufffd b\ufffdc\ufffd "
                                    "d\ufffd\ufffd\ufffd\": p.json: cannot read: "
                                    "net \u0645\u0646 x y z"));
}
