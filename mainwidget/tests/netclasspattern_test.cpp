// Net classes by pattern (netclass_patterns of a project file): '*' is any
// run of characters, '/' included as in hierarchical net names, '?' is one
// character, everything else stands for itself, case included. Matching
// never retries the splits of a pattern, and a net's class is found once
// however often it is asked for.
#include "designaudit.h"
#include "kicadboard.h"
#include "kicadproject.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <utility>
#include <vector>

namespace {

constexpr double kHv = 1.0;  // clearance of class HV; Default has 0.2

// The project file's classes Default and HV, with the patterns in order,
// all naming class HV.
QByteArray project(const std::vector<QString>& patterns) {
  QJsonArray list;
  for (const QString& p : patterns)
    list.append(QJsonObject{{"pattern", p}, {"netclass", QStringLiteral("HV")}});
  const QJsonArray classes{QJsonObject{{"name", "Default"}, {"clearance", 0.2}},
                           QJsonObject{{"name", "HV"}, {"clearance", kHv}}};
  return QJsonDocument(QJsonObject{{"net_settings", QJsonObject{{"classes", classes},
                                                                {"netclass_patterns", list}}}})
      .toJson();
}

NetClasses classes(const std::vector<QString>& patterns) {
  NetClasses c;
  QString error;
  EXPECT_TRUE(parseProjectNetClasses(project(patterns), c, error)) << error.toStdString();
  return c;
}

bool matches(const QString& pattern, const QString& net) {
  return classes({pattern}).clearanceOf(net) == kHv;
}

}  // namespace

TEST(NetClassPatterns, StarIsAnyRunQuestionMarkOneCharacterTheRestLiteral) {
  struct Row {
    const char* pattern;
    const char* net;
    bool match;
  };
  const Row rows[] = {
      {"*HV", "/Power/HV", true},  // hierarchical nets have slashes
      {"*HV", "Power_HV", true},
      {"*HV", "HV", true},
      {"*HV", "HV2", false},
      {"/Power/*", "/Power/sub/HV", true},
      {"*/HV", "/a/b/HV", true},
      {"*", "/any/thing", true},
      {"N?T", "NET", true},
      {"N?T", "N/T", true},
      {"N?T", "NT", false},
      {"N?T", "NEET", false},
      {"A?B",
       "A\xF0\x9F\x98\x80"
       "B",
       true},               // one character beyond 16 bits
      {"x*", "ax", false},  // the whole name, not a part
      {"*x", "xa", false},
      {"gnd", "GND", false},
      {"GND", "GND", true},
      {"D[0]", "D[0]", true},
      {"D[0]", "D0", false},
      {"a.b", "axb", false},
      {"+5V", "+5V", true},
      {"a\\b", "a\\b", true},
      {"(x)|y", "(x)|y", true},
      {"a*b*c", "abc", true},
      {"a*b*c", "aXbYc", true},
      {"a*b*c", "acb", false},
      {"ab*ba", "aba", false},  // head and tail may not share a character
      {"ab*ba", "abba", true},
      {"?*?", "a", false},
      {"?*?", "ab", true},
      {"*a?c*", "xxabxabcx", true},
      {"*aab", "aaab", true},
      {"**a**", "bab", true},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(matches(QString::fromUtf8(row.pattern), QString::fromUtf8(row.net)), row.match)
        << row.pattern << " / " << row.net;
  }
}

// Two tracks 0.5 apart on nets /Power/HV and GND: the pattern *HV puts the
// first in class HV (clearance 1), a violation; the same with Power_HV.
TEST(NetClassPatterns, HierarchicalNetsGetTheirPatternsClassOnTheBoard) {
  for (const char* net : {"/Power/HV", "Power_HV"}) {
    SCOPED_TRACE(net);
    const QByteArray board =
        QByteArray(
            "(kicad_pcb (version 20211014) (generator pcbnew)\n"
            "  (layers (0 \"F.Cu\" signal) (31 \"B.Cu\" signal) (44 \"Edge.Cuts\" user))\n"
            "  (net 0 \"\") (net 1 \"") +
        net +
        "\") (net 2 \"GND\")\n"
        "  (gr_rect (start 0 0) (end 50 40) (layer \"Edge.Cuts\") (width 0.1))\n"
        "  (segment (start 10 10) (end 30 10) (width 0.2) (layer \"F.Cu\") (net 1))\n"
        "  (segment (start 10 10.7) (end 30 10.7) (width 0.2) (layer \"F.Cu\") (net 2)))\n";
    const QByteArray pro = project({QStringLiteral("*HV")});
    Design d;
    QString error;
    ASSERT_TRUE(parseKicadBoard(board, &pro, d, error)) << error.toStdString();
    const AuditResult r = auditDesign(d);
    ASSERT_EQ(r.findings.size(), 1u);
    EXPECT_EQ(r.findings[0].kind, FindingKind::Clearance);
    EXPECT_NEAR(r.findings[0].distance, 0.5, 1e-9);
  }
}

// "*a*a...*a*b" against "baaa...a": a matcher that tries every way of
// placing the stars spent some 50 ms on each net (and gave up early); 2,000
// such nets took minutes. Long names and long patterns cost their lengths.
// One net asked for 200,000 times with 3,000 patterns before the one that
// matches has them tried once.
TEST(NetClassPatterns, MatchingTakesOnePassAndEachNetIsMatchedOnce) {
  const QString stars = QStringLiteral("*a").repeated(12) + QStringLiteral("*b");
  const NetClasses c = classes({stars});
  int wrong = 0;
  for (int k = 0; k < 2000; ++k) {
    const QString net = QStringLiteral("b") + QString(30, QLatin1Char('a')) + QString::number(k);
    if (c.clearanceOf(net) != 0.2) ++wrong;
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(c.clearanceOf(QStringLiteral("b") + QString(30, QLatin1Char('a')) + "b"), kHv);

  const QString many = QStringLiteral("*a").repeated(5000) + QStringLiteral("*b");
  const QString longNet = QString(100000, QLatin1Char('a'));
  EXPECT_FALSE(matches(many, QStringLiteral("b") + longNet));
  EXPECT_TRUE(matches(many, longNet + QStringLiteral("b")));
  EXPECT_FALSE(matches(QStringLiteral("*") + longNet + QStringLiteral("b"), longNet + longNet));
  EXPECT_TRUE(
      matches(QStringLiteral("*") + longNet + QStringLiteral("b"), longNet + longNet + "b"));

  std::vector<QString> patterns;
  for (int k = 0; k < 3000; ++k) patterns.push_back(QStringLiteral("NOT%1*").arg(k));
  patterns.push_back(QStringLiteral("HV*"));
  const NetClasses last = classes(patterns);
  int missed = 0;
  for (int k = 0; k < 200000; ++k) {
    if (last.clearanceOf(QStringLiteral("HV_BUS")) != kHv) ++missed;
  }
  EXPECT_EQ(missed, 0);
  EXPECT_EQ(last.clearanceOf(QStringLiteral("NOT7x")), kHv);
  EXPECT_EQ(last.clearanceOf(QStringLiteral("LV")), 0.2);
}
