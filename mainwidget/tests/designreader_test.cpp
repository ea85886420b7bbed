// Reading design files: the samples, a minimal design, and every refusal
// with the place in the file it names.
#include "designreader.h"

#include "design_builder.h"
#include "jsonkeys.h"
#include "regionops.h"
#include "samples.h"

#include <testsupport/temp_dir.h>

#include <engine/compositecurve2d.h>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

namespace {

const char* kSquare =
    R"([{"type": "line", "from": [0, 0], "to": [10, 0]},
        {"type": "line", "from": [10, 0], "to": [10, 10]},
        {"type": "line", "from": [10, 10], "to": [0, 10]},
        {"type": "line", "from": [0, 10], "to": [0, 0]}])";

// A number as JSON text, exactly.
std::string number(double v) { return QString::number(v, 'g', 17).toStdString(); }

// The largest gap between one member's end and the next one's start in the
// outer loop of the region as the geometry library builds it.
double largestJoinGap(const DesignRegion& region) {
  const std::unique_ptr<GkShape> shape = makeShape(region);
  std::vector<GkCompositeCurve2d*> loops;
  shape->GetCompCurveList(loops);
  std::vector<GkCurve2d*> members;
  loops.at(0)->GetCurveList(members);
  double worst = 0;
  for (std::size_t i = 0; i < members.size(); ++i) {
    const AcGePoint2d e = members[i]->endPoint();
    const AcGePoint2d s = members[(i + 1) % members.size()]->startPoint();
    worst = std::max(worst, std::hypot(e.x - s.x, e.y - s.y));
  }
  return worst;
}

// A design whose first feature has the given outer loop; the rest is valid.
std::string withFeatureLoop(const std::string& loop) {
  return R"({"clearance": 0.2, "board": {"outer": )" + std::string(kSquare) +
         R"(}, "features": [{"id": "F1", "net": "N1", "region": {"outer": )" + loop + "}}]}";
}

// A design with the given top-level members after the clearance.
std::string withTop(const std::string& members) {
  return R"({"clearance": 0.2, "board": {"outer": )" + std::string(kSquare) + "}" + members + "}";
}

bool parse(const std::string& json, Design& d, QString& error) {
  return parseDesign(QByteArray::fromStdString(json), d, error);
}

}  // namespace

TEST(DesignReader, ReadsTheSamples) {
  const Design v = readSample("violations.json");
  EXPECT_DOUBLE_EQ(v.clearance, 0.6);
  ASSERT_EQ(v.board.outer.size(), 8u);
  ASSERT_EQ(v.board.holes.size(), 1u);
  EXPECT_EQ(v.board.holes[0][0].kind, DesignCurve::Kind::Circle);
  const DesignCurve& corner = v.board.outer[1];
  EXPECT_EQ(corner.kind, DesignCurve::Kind::Arc);
  EXPECT_DOUBLE_EQ(corner.radius, 2.0);
  EXPECT_DOUBLE_EQ(corner.startDeg, 270.0);
  EXPECT_DOUBLE_EQ(corner.endDeg, 360.0);
  EXPECT_TRUE(corner.ccw);
  ASSERT_EQ(v.features.size(), 14u);
  EXPECT_EQ(v.features[3].id, "R1");
  EXPECT_EQ(v.features[3].net, "NET3");
  EXPECT_EQ(v.features[3].region.holes.size(), 1u);

  EXPECT_EQ(readSample("clean.json").features.size(), 7u);
}

TEST(DesignReader, ArcEndPointsFollowTheirAnglesInDegrees) {
  const DesignCurve arc = build::arc(2, 3, 2, 90, 180, true);
  EXPECT_NEAR(arc.startPoint().x, 2.0, 1e-12);
  EXPECT_NEAR(arc.startPoint().y, 5.0, 1e-12);
  EXPECT_NEAR(arc.endPoint().x, 0.0, 1e-12);
  EXPECT_NEAR(arc.endPoint().y, 3.0, 1e-12);
}

// An arc's angles are read modulo a turn: from S to S + 180 degrees, S a
// whole number of turns however many, is the upper half of its circle, and
// the line that closes the half circle from 0 to 180 closes it too. An
// angle of 3.6e16 degrees once ended the arc where the reader's closure
// check and the geometry library disagreed by 16 units, so that a loop the
// reader accepted was open in the audited geometry: a loop closed where a
// huge angle would put the arc's end without the reduction is refused or
// closed, never open.
TEST(DesignReader, ArcAnglesAreTakenModuloATurn) {
  auto halfDisc = [](const std::string& start, const std::string& end, DesignPoint from,
                     DesignPoint to) {
    return withFeatureLoop(R"([{"type": "arc", "center": [5, 5], "radius": 4, "start": )" + start +
                           R"(, "end": )" + end + R"(, "direction": "ccw"},
        {"type": "line", "from": [)" +
                           number(from.x) + ", " + number(from.y) + "], \"to\": [" + number(to.x) +
                           ", " + number(to.y) + "]}]");
  };
  const std::pair<const char*, const char*> turns[] = {
      {"0", "180"},
      {"720", "900"},
      {"-720", "-540"},
      {"36000000000000000", "36000000000000180"},     // 1e14 turns, both exact
      {"-36000000000000000", "-35999999999999820"}};  // as exact
  for (const auto& [start, end] : turns) {
    SCOPED_TRACE(start);
    Design d;
    QString error;
    ASSERT_TRUE(parse(halfDisc(start, end, {1, 5}, {9, 5}), d, error)) << error.toStdString();
    EXPECT_LE(largestJoinGap(d.features[0].region), designformat::kJoinTol);
    EXPECT_NEAR(shapeArea(*makeShape(d.features[0].region)), kPi * 8, 1e-9);
  }
  for (double s : {3.6e16, -3.6e16, 1e20, 1e300}) {
    SCOPED_TRACE(s);
    const double e = s + 180;
    auto at = [](double deg) {
      return DesignPoint{5 + 4 * std::cos(deg * kRadiansPerDegree),
                         5 + 4 * std::sin(deg * kRadiansPerDegree)};
    };
    Design d;
    QString error;
    if (parse(halfDisc(number(s), number(e), at(e), at(s)), d, error)) {
      EXPECT_LE(largestJoinGap(d.features[0].region), designformat::kJoinTol);
    }
  }
}

TEST(DesignReader, AcceptsAMinimalDesignWithoutFeatures) {
  Design d;
  QString error;
  ASSERT_TRUE(parse(withTop(R"(, "features": [])"), d, error)) << error.toStdString();
  EXPECT_TRUE(d.features.empty());
  EXPECT_TRUE(d.board.holes.empty());
}

// Each malformed design is refused with a reason that names where.
TEST(DesignReader, RefusesMalformedDesignsWithTheirPlace) {
  struct Row {
    const char* name;
    std::string json;
    std::string reason;
  };
  const std::vector<Row> rows = {
      {"empty", "", "the design is empty"},
      {"blank", "  \n\t", "the design is empty"},
      {"truncated", "{\"clearance\": ", "not valid JSON"},
      {"huge number", withTop(R"(, "features": [], "x": 1e400)"), "not valid JSON"},
      {"array at top", "[]", "the top level must be an object"},
      {"nothing", "{}", "\"clearance\" is missing"},
      {"negative clearance", R"({"clearance": -1})", "clearance: must not be negative"},
      {"text clearance", R"({"clearance": "0.2"})", "clearance: must be a number"},
      {"no board", R"({"clearance": 0.2, "features": []})", "\"board\" is missing"},
      {"no features", withTop(""), "\"features\" is missing"},
      {"features not a list", withTop(R"(, "features": {})"), "features: must be an array"},
      {"misspelt key", withTop(R"(, "features": [], "boards": 1)"), "unknown key \"boards\""},
      {"misspelt holes", withTop(R"(, "features": [{"id": "F", "net": "N", "region": {"outer":
         [{"type": "circle", "center": [1, 1], "radius": 1}], "hole": []}}])"),
       "features[0] (\"F\").region: unknown key \"hole\""},
      {"empty loop", withFeatureLoop("[]"), "a loop needs at least one element"},
      {"open loop", withFeatureLoop(R"([{"type": "line", "from": [1, 1], "to": [2, 1]},
         {"type": "line", "from": [2, 1], "to": [2, 2]},
         {"type": "line", "from": [2, 2], "to": [1, 2]}])"),
       "region.outer[0]: does not start where the previous element ends (gap 1)"},
      {"gap between elements", withFeatureLoop(R"([{"type": "line", "from": [1, 1], "to": [2, 1]},
         {"type": "line", "from": [2, 1.5], "to": [1, 1]},
         {"type": "line", "from": [1, 1], "to": [1, 1]}])"),
       "region.outer[1]: does not start where the previous element ends"},
      {"circle with others", withFeatureLoop(R"([{"type": "circle", "center": [5, 5], "radius": 1},
         {"type": "line", "from": [6, 5], "to": [6, 5]}])"),
       "outer[0]: a circle must be alone in its loop"},
      {"single arc", withFeatureLoop(R"([{"type": "arc", "center": [5, 5], "radius": 1,
         "start": 0, "end": 180, "direction": "ccw"}])"),
       "a single line or arc cannot close a loop"},
      {"two lines", withFeatureLoop(R"([{"type": "line", "from": [1, 1], "to": [2, 1]},
         {"type": "line", "from": [2, 1], "to": [1, 1]}])"),
       "two lines cannot enclose an area"},
      {"zero radius", withFeatureLoop(R"([{"type": "circle", "center": [5, 5], "radius": 0}])"),
       "outer[0].radius: must be positive and at most 1000"},
      {"huge radius", withFeatureLoop(R"([{"type": "circle", "center": [5, 5], "radius": 2000}])"),
       "outer[0].radius: must be positive and at most 1000"},
      {"far point", withFeatureLoop(R"([{"type": "circle", "center": [5, 1e6], "radius": 1}])"),
       "outer[0].center[1]: lies outside +-100000"},
      {"three coordinates",
       withFeatureLoop(R"([{"type": "circle", "center": [5, 5, 5], "radius": 1}])"),
       "outer[0].center: must be a point [x, y]"},
      {"text coordinate",
       withFeatureLoop(R"([{"type": "circle", "center": [5, "5"], "radius": 1}])"),
       "outer[0].center[1]: must be a number"},
      {"bad direction", withFeatureLoop(R"([{"type": "arc", "center": [5, 5], "radius": 1,
         "start": 0, "end": 180, "direction": "left"}, {"type": "line", "from": [4, 5], "to": [6, 5]}])"),
       "outer[0].direction: must be \"ccw\" or \"cw\""},
      {"zero sweep", withFeatureLoop(R"([{"type": "arc", "center": [5, 5], "radius": 1,
         "start": 0, "end": 360, "direction": "ccw"}, {"type": "line", "from": [6, 5], "to": [6, 5]}])"),
       "an arc needs different start and end angles (use a circle)"},
      {"unknown curve", withFeatureLoop(R"([{"type": "spline"}])"),
       "outer[0].type: must be \"line\", \"arc\" or \"circle\""},
      {"curve without type", withFeatureLoop(R"([{"center": [1, 1]}])"),
       "outer[0]: \"type\" is missing"},
      {"extra curve key", withFeatureLoop(R"([{"type": "circle", "center": [5, 5], "radius": 1,
         "width": 2}])"),
       "unknown key \"width\""},
      {"no net", withTop(R"(, "features": [{"id": "F", "region": {}}])"),
       "features[0] (\"F\"): \"net\" is missing"},
      {"blank id", withTop(R"(, "features": [{"id": " ", "net": "N", "region": {}}])"),
       "features[0].id: must be a non-empty string"},
      // Qt's parser keeps the last of two equal keys; the first is never
      // silently dropped. Keys are compared as decoded text.
      {"key twice", withTop(R"(, "features": [{"id": "F", "net": "N", "region": {"outer":
         [{"type": "circle", "center": [1, 1], "radius": 1}]}}], "features": [])"),
       "the key \"features\" appears twice"},
      {"key twice, once escaped", withTop(R"(, "features": [], "fe\u0061tures": [])"),
       "the key \"features\" appears twice"},
      {"nested key twice", withTop(R"(, "features": [{"id": "F", "net": "N", "region": {"outer":
         [{"type": "circle", "center": [1, 1], "radius": 1}], "outer": []}}])"),
       "features[0].region: the key \"outer\" appears twice"},
      {"key twice in a loop", R"({"clearance": 0.2, "features": [], "board": {"outer": [
         {"type": "line", "from": [0, 0], "to": [1, 0]},
         {"type": "line", "from": [1, 0], "to": [1, 1], "to": [2, 2]}]}})",
       "board.outer[1]: the key \"to\" appears twice"},
      // Text from the file is cut to 200 characters in a reason.
      {"long key", withTop(R"(, "features": [], ")" + std::string(100000, 'k') + R"(": 1)"),
       "unknown key \"" + std::string(200, 'k') + "\xE2\x80\xA6\""},
      {"duplicate id", withTop(R"(, "features": [
         {"id": "F", "net": "N", "region": {"outer": [{"type": "circle", "center": [1, 1], "radius": 1}]}},
         {"id": "F", "net": "M", "region": {"outer": [{"type": "circle", "center": [5, 5], "radius": 1}]}}])"),
       "features[1].id: \"F\" is used twice"},
  };
  for (const Row& row : rows) {
    Design d;
    QString error;
    EXPECT_FALSE(parse(row.json, d, error)) << row.name;
    EXPECT_LT(error.size(), 400) << row.name;
    EXPECT_TRUE(error.contains(QString::fromStdString(row.reason)))
        << row.name << ": got \"" << error.left(300).toStdString() << "\"";
  }
}

TEST(DesignReader, FileProblemsAreReasonsToo) {
  testsupport::TempDir dir;
  Design d;
  QString error;
  EXPECT_FALSE(readDesignFile(QString::fromStdString(dir.str() + "/missing.json"), d, error));
  EXPECT_TRUE(error.startsWith("cannot open")) << error.toStdString();

  EXPECT_FALSE(readDesignFile(QString::fromStdString(dir.str()), d, error));
  EXPECT_TRUE(error.contains("is a folder")) << error.toStdString();

  std::ofstream(dir.path() / "empty.json").flush();
  EXPECT_FALSE(readDesignFile(QString::fromStdString(dir.str() + "/empty.json"), d, error));
  EXPECT_EQ(error, "the design is empty");

  std::ofstream(dir.path() / "binary.json", std::ios::binary) << std::string("\x89PNG\0\x01", 6);
  EXPECT_FALSE(readDesignFile(QString::fromStdString(dir.str() + "/binary.json"), d, error));
  EXPECT_TRUE(error.startsWith("not valid JSON")) << error.toStdString();
}

// Keys are compared as the text they decode to; strings that are values,
// keys of other objects and elements of arrays never count. The object is
// named by its path. 50,000 keys of one object are checked in one pass.
TEST(JsonKeys, RepeatedKeysAreFoundByTheirDecodedText) {
  struct Row {
    std::string json;
    bool found;
    const char* path;
    const char* key;
  };
  const Row rows[] = {
      {R"({"a": 1, "b": {"a": 2}, "c": [{"a": 3}, {"a": 4}]})", false, "", ""},
      {R"({"a": "x\": {\"a\": 1, \"a\"", "b": "a", "c": ["a", "a"]})", false, "", ""},
      {R"({"a\\": 1, "a": 2, "a/": 3})", false, "", ""},
      {R"({"a": 1, "a": 2})", true, "", "a"},
      {R"({"\u0061\u0062": 1, "ab": 2})", true, "", "ab"},
      {R"({"a\/b": 1, "a/b": 2})", true, "", "a/b"},
      {"{\"\\ud83d\\ude00\": 1, \"\xF0\x9F\x98\x80\": 2}", true, "", "\xF0\x9F\x98\x80"},
      {R"({"f": [1, [2, {}], {"r": {"o": [], "o": 0}}]})", true, "f[2].r", "o"},
      {R"([[], {"x": {"y": 1}, "x": 2}])", true, "[1]", "x"},
  };
  for (const Row& row : rows) {
    QString path, key;
    EXPECT_EQ(findRepeatedKey(QByteArray::fromStdString(row.json), path, key), row.found)
        << row.json;
    EXPECT_EQ(path, QString::fromUtf8(row.path)) << row.json;
    EXPECT_EQ(key, QString::fromUtf8(row.key)) << row.json;
  }

  QByteArray many = "{";
  for (int k = 0; k < 50000; ++k) many += "\"k" + QByteArray::number(k) + "\": 0, ";
  QString path, key;
  EXPECT_FALSE(findRepeatedKey(many + "\"last\": 0}", path, key));
  EXPECT_TRUE(findRepeatedKey(many + "\"k0\": 0}", path, key));
  EXPECT_EQ(key, "k0");
}
