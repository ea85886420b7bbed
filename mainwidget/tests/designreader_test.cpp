// Reading design files: the samples, a minimal design, and every refusal
// with the place in the file it names.
#include "designreader.h"

#include "design_builder.h"
#include "samples.h"

#include <testsupport/temp_dir.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

const char* kSquare =
    R"([{"type": "line", "from": [0, 0], "to": [10, 0]},
        {"type": "line", "from": [10, 0], "to": [10, 10]},
        {"type": "line", "from": [10, 10], "to": [0, 10]},
        {"type": "line", "from": [0, 10], "to": [0, 0]}])";

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
    const char* reason;
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
      {"duplicate id", withTop(R"(, "features": [
         {"id": "F", "net": "N", "region": {"outer": [{"type": "circle", "center": [1, 1], "radius": 1}]}},
         {"id": "F", "net": "M", "region": {"outer": [{"type": "circle", "center": [5, 5], "radius": 1}]}}])"),
       "features[1].id: \"F\" is used twice"},
  };
  for (const Row& row : rows) {
    Design d;
    QString error;
    EXPECT_FALSE(parse(row.json, d, error)) << row.name;
    EXPECT_TRUE(error.contains(QLatin1String(row.reason)))
        << row.name << ": got \"" << error.toStdString() << "\"";
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
