// The KiCad board reader on small boards written in the tests: where each
// item lands (layer, net, place, shape), the board outline, net classes and
// local clearances, and the refusal of boards it cannot place.
#include "kicadboard.h"
#include "designaudit.h"
#include "kicadproject.h"
#include "regionops.h"
#include "samples.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QTemporaryDir>

#include <cmath>
#include <map>

namespace {

constexpr double kTol = 1e-9;

const char* const kHead =
    "(kicad_pcb (version 20211014) (generator pcbnew)\n"
    "  (layers (0 \"F.Cu\" signal) (1 \"In1.Cu\" signal) (31 \"B.Cu\" signal)\n"
    "    (37 \"F.SilkS\" user) (44 \"Edge.Cuts\" user))\n"
    "  (net 0 \"\") (net 1 \"GND\") (net 2 \"VCC\")\n";
const char* const kOutline =
    "  (gr_rect (start 0 0) (end 50 40) (layer \"Edge.Cuts\") (width 0.1))\n";

QByteArray boardText(const char* items, const char* outline = kOutline) {
  return QByteArray(kHead) + outline + items + ")\n";
}

std::vector<const DesignFeature*> withId(const Design& d, const QString& id) {
  std::vector<const DesignFeature*> found;
  for (const DesignFeature& f : d.features) {
    if (f.id == id) found.push_back(&f);
  }
  return found;
}

double area(const DesignRegion& r) { return shapeArea(*makeShape(r)); }

GkBoundBox2d box(const DesignRegion& r) { return makeShape(r)->GetBoundBox(); }

void expectBox(const DesignRegion& r, double minX, double maxX, double minY, double maxY) {
  const GkBoundBox2d b = box(r);
  EXPECT_NEAR(b.minX, minX, 1e-9);
  EXPECT_NEAR(b.maxX, maxX, 1e-9);
  EXPECT_NEAR(b.minY, minY, 1e-9);
  EXPECT_NEAR(b.maxY, maxY, 1e-9);
}

}  // namespace

TEST(KicadBoard, TracksViasAndFillsLandOnTheirLayers) {
  const Design d = readBoard(boardText(
      "  (segment (start 10 10) (end 20 10) (width 0.5) (layer \"B.Cu\") (net 1))\n"
      "  (arc (start 30 20) (mid 32 22) (end 34 20) (width 0.4) (layer \"F.Cu\") (net 2))\n"
      "  (via (at 5 5) (size 0.8) (drill 0.4) (layers \"F.Cu\" \"B.Cu\") (net 2))\n"
      "  (zone (net 1) (net_name \"GND\") (layer \"In1.Cu\") (connect_pads (clearance 0.5))\n"
      "    (filled_polygon (layer \"In1.Cu\") (pts (xy 1 1) (xy 11 1) (xy 11 6) (xy 1 6))))\n"));
  EXPECT_EQ(d.layers, QStringList({"F.Cu", "In1.Cu", "B.Cu"}));
  EXPECT_TRUE(d.yDown);
  ASSERT_EQ(d.features.size(), 6u);

  const DesignFeature& track = *withId(d, "track@L6").at(0);
  EXPECT_EQ(track.net, "GND");
  EXPECT_EQ(track.layer, 2);
  // A capsule: 10 x 0.5 plus a disc of radius 0.25.
  EXPECT_NEAR(area(track.region), 10 * 0.5 + kPi * 0.25 * 0.25, kTol);
  expectBox(track.region, 9.75, 20.25, 9.75, 10.25);

  const DesignFeature& arc = *withId(d, "arc@L7").at(0);
  EXPECT_EQ(arc.layer, 0);
  // Through (30, 20), (32, 22), (34, 20): centre (32, 20), radius 2, a half
  // turn; the band 1.8..2.2 of it plus two end caps of radius 0.2.
  EXPECT_NEAR(area(arc.region), 0.5 * kPi * (2.2 * 2.2 - 1.8 * 1.8) + kPi * 0.04, kTol);
  expectBox(arc.region, 29.8, 34.2, 19.8, 22.2);

  const std::vector<const DesignFeature*> via = withId(d, "via@L8");
  ASSERT_EQ(via.size(), 3u);       // F.Cu, In1.Cu and B.Cu
  ASSERT_EQ(d.drills.size(), 1u);  // drawn once, through every layer
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(via[static_cast<std::size_t>(k)]->layer, k);
    EXPECT_NEAR(area(via[static_cast<std::size_t>(k)]->region), kPi * 0.16, kTol);
  }

  const DesignFeature& fill = *withId(d, "zone GND@L10").at(0);
  EXPECT_EQ(fill.layer, 1);
  EXPECT_NEAR(area(fill.region), 50.0, kTol);
  // The zone's own clearance is larger than the Default class's 0.2.
  EXPECT_DOUBLE_EQ(d.clearanceOf(fill), 0.5);
  EXPECT_DOUBLE_EQ(d.clearanceOf(track), NetClasses::kDefaultClearance);

  expectBox(d.board, 0, 50, 0, 40);
  EXPECT_TRUE(d.board.holes.empty());
}

TEST(KicadBoard, PadShapesArePlacedByFootprintAndPadRotation) {
  const Design d = readBoard(boardText(
      "  (footprint \"lib:X\" (layer \"F.Cu\") (at 20 20 90)\n"
      "    (fp_text reference \"U1\" (at 0 0) (layer \"F.SilkS\"))\n"
      "    (pad \"1\" smd rect (at 1 0 90) (size 2 1) (layers \"F.Cu\") (net 1 \"GND\"))\n"
      "    (pad \"2\" smd roundrect (at 0 4 90) (size 2 1) (roundrect_rratio 0.25) (layers "
      "\"F.Cu\"))\n"
      "    (pad \"3\" thru_hole oval (at 0 -4 90) (size 3 1) (drill 0.5) (layers *.Cu *.Mask))\n"
      "    (pad \"4\" smd roundrect (at 6 0) (size 2 2) (roundrect_rratio 0) (chamfer_ratio 0.25)\n"
      "      (chamfer top_left bottom_right) (layers \"B.Cu\"))\n"
      "    (pad \"5\" thru_hole trapezoid (at -6 0) (size 2 3) (rect_delta 0 1) (drill 0.5) "
      "(layers F&B.Cu))\n"
      "    (pad \"\" np_thru_hole circle (at 8 8) (size 1 1) (drill 1) (layers *.Cu))\n"
      "    (pad \"\" np_thru_hole circle (at -8 8) (size 2 2) (drill 1) (layers *.Cu))\n"
      "    (pad \"6\" smd custom (at 9 -9) (size 1 1) (layers \"F.Cu\")\n"
      "      (options (clearance outline) (anchor circle))\n"
      "      (primitives (gr_line (start 0 0) (end 3 0) (width 0.2))\n"
      "        (gr_poly (pts (xy 0 0) (xy 1 0) (xy 1 1)) (width 0)))))\n"));
  // Pad 1 at footprint-local (1, 0), turned 90 degrees with the footprint:
  // on the page that is straight up, (20, 19); its own 90 turns 2 x 1 into
  // 1 wide and 2 tall.
  const DesignFeature& p1 = *withId(d, "U1.1").at(0);
  EXPECT_EQ(p1.net, "GND");
  expectBox(p1.region, 19.5, 20.5, 18, 20);
  EXPECT_NEAR(area(p1.region), 2.0, kTol);
  // Pad 2 at (0, 4) lands at (24, 20); corners rounded by 0.25 * 1.
  const DesignFeature& p2 = *withId(d, "U1.2").at(0);
  expectBox(p2.region, 23.5, 24.5, 19, 21);
  EXPECT_NEAR(area(p2.region), 2.0 - (4 - kPi) * 0.0625, kTol);
  // Oval: a capsule 3 long and 1 wide, on all three copper layers.
  const std::vector<const DesignFeature*> p3 = withId(d, "U1.3");
  ASSERT_EQ(p3.size(), 3u);
  expectBox(p3[0]->region, 15.5, 16.5, 18.5, 21.5);
  EXPECT_NEAR(area(p3[0]->region), 2.0 + kPi * 0.25, kTol);
  // Chamfers of 0.5 on two corners only, on B.Cu.
  const DesignFeature& p4 = *withId(d, "U1.4").at(0);
  EXPECT_EQ(p4.layer, 2);
  EXPECT_NEAR(area(p4.region), 4.0 - 2 * 0.125, kTol);
  // Trapezoid: the ends 2 + 1 and 2 - 1 wide, the same area as the box.
  const std::vector<const DesignFeature*> p5 = withId(d, "U1.5");
  ASSERT_EQ(p5.size(), 2u);  // F.Cu and B.Cu
  EXPECT_EQ(p5[1]->layer, 2);
  EXPECT_NEAR(area(p5[0]->region), 6.0, kTol);
  // A plain hole as large as its pad has no copper; a larger pad is a ring.
  const std::vector<const DesignFeature*> rings = withId(d, "U1.pad@L15");
  EXPECT_TRUE(withId(d, "U1.pad@L14").empty());
  ASSERT_EQ(rings.size(), 3u);
  EXPECT_NEAR(area(rings[0]->region), kPi * (1 - 0.25), kTol);
  // Custom: the anchor and each primitive are parts of one net.
  const std::vector<const DesignFeature*> p6a = withId(d, "U1.6/1");
  const std::vector<const DesignFeature*> p6c = withId(d, "U1.6/3");
  ASSERT_EQ(p6a.size(), 1u);
  ASSERT_EQ(p6c.size(), 1u);
  EXPECT_EQ(p6a[0]->net, p6c[0]->net);
  EXPECT_NEAR(area(withId(d, "U1.6/2").at(0)->region), 3 * 0.2 + kPi * 0.01, kTol);
  EXPECT_NEAR(area(p6c[0]->region), 0.5, kTol);
  // The drills of the two plated and the two plain holes, for the drawing.
  ASSERT_EQ(d.drills.size(), 4u);
  EXPECT_NEAR(area(DesignRegion{d.drills[0], {}}), kPi * 0.0625, kTol);
}

// A rotation is taken modulo a turn: whole turns more or less place
// everything alike, and a huge angle is read, not walked a turn at a time
// (a rotation of 9.7e100 hung the reader's arc walk: found by fuzzing).
TEST(KicadBoard, RotationsAreTakenModuloATurn) {
  auto board = [](const char* footprintAngle, const char* padAngle) {
    const std::string items = std::string("  (footprint \"x\" (at 10 10 ") + footprintAngle +
                              ")\n    (fp_text reference \"R1\" (at 0 0))\n"
                              "    (fp_arc (start 0 0) (end 2 0) (angle -90) (layer \"F.Cu\") "
                              "(width 0.2))\n    (pad \"1\" smd rect (at 1 0 " +
                              padAngle + ") (size 2 1) (layers \"F.Cu\") (net 1 \"GND\")))\n";
    return readBoard(boardText(items.c_str()));
  };
  const Design plain = board("90", "30");
  ASSERT_EQ(plain.features.size(), 2u);
  for (const auto& angles : {std::pair<const char*, const char*>{"450", "-330"},
                             std::pair<const char*, const char*>{"-270", "390"}}) {
    SCOPED_TRACE(std::string(angles.first) + " / " + angles.second);
    const Design turned = board(angles.first, angles.second);
    ASSERT_EQ(turned.features.size(), plain.features.size());
    for (std::size_t i = 0; i < plain.features.size(); ++i) {
      const GkBoundBox2d a = box(plain.features[i].region), b = box(turned.features[i].region);
      EXPECT_NEAR(a.minX, b.minX, 1e-9);
      EXPECT_NEAR(a.maxX, b.maxX, 1e-9);
      EXPECT_NEAR(a.minY, b.minY, 1e-9);
      EXPECT_NEAR(a.maxY, b.maxY, 1e-9);
      EXPECT_NEAR(area(plain.features[i].region), area(turned.features[i].region), 1e-9);
    }
  }
  EXPECT_EQ(board("9.7e100", "-1e300").features.size(), 2u);
}

TEST(KicadBoard, PadsWithoutNetShareANetOnlyWithTheirNumberInTheirFootprint) {
  const Design d =
      readBoard(boardText("  (footprint \"lib:X\" (layer \"F.Cu\") (at 10 10)\n"
                          "    (fp_text reference \"J1\" (at 0 0) (layer \"F.SilkS\"))\n"
                          "    (pad \"1\" smd rect (at 0 0) (size 1 1) (layers \"F.Cu\"))\n"
                          "    (pad \"1\" smd rect (at 2 0) (size 1 1) (layers \"F.Cu\"))\n"
                          "    (pad \"2\" smd rect (at 4 0) (size 1 1) (layers \"F.Cu\")))\n"
                          "  (footprint \"lib:X\" (layer \"F.Cu\") (at 10 20)\n"
                          "    (fp_text reference \"J2\" (at 0 0) (layer \"F.SilkS\"))\n"
                          "    (pad \"1\" smd rect (at 0 0) (size 1 1) (layers \"F.Cu\")))\n"));
  ASSERT_EQ(d.features.size(), 4u);
  EXPECT_EQ(d.features[0].net, d.features[1].net);
  EXPECT_NE(d.features[0].net, d.features[2].net);
  EXPECT_NE(d.features[0].net, d.features[3].net);
}

TEST(KicadBoard, OutlinePiecesChainIntoTheBoardAndItsHoles) {
  // A 40 x 30 board with one rounded corner, its pieces out of order and
  // one reversed, a round cut-out and a square one.
  const char* outline =
      "  (gr_line (start 40 0) (end 0 0) (layer \"Edge.Cuts\") (width 0.1))\n"
      "  (gr_line (start 0 30) (end 35 30) (layer \"Edge.Cuts\") (width 0.1))\n"
      "  (gr_line (start 0 0) (end 0 30) (layer \"Edge.Cuts\") (width 0.1))\n"
      "  (gr_arc (start 35 30) (mid 38.535534 28.535534) (end 40 25) (layer \"Edge.Cuts\") (width "
      "0.1))\n"
      "  (gr_line (start 40 0) (end 40 25) (layer \"Edge.Cuts\") (width 0.1))\n"
      "  (gr_circle (center 10 10) (end 12 10) (layer \"Edge.Cuts\") (width 0.1))\n"
      "  (gr_poly (pts (xy 20 10) (xy 25 10) (xy 25 15) (xy 20 15)) (layer \"Edge.Cuts\") (width "
      "0.1))\n";
  const Design d = readBoard(boardText("", outline));
  EXPECT_NEAR(area(DesignRegion{d.board.outer, {}}), 40 * 30 - (25 - kPi * 25 / 4), 1e-5);
  ASSERT_EQ(d.board.holes.size(), 2u);
  EXPECT_NEAR(shapeArea(*makeShape(d.board)), 40 * 30 - (25 - kPi * 25 / 4) - kPi * 4 - 25, 1e-5);

  EXPECT_TRUE(refusal(boardText("",
                                "  (gr_line (start 0 0) (end 10 0) (layer \"Edge.Cuts\"))\n"
                                "  (gr_line (start 10 0) (end 10 10) (layer \"Edge.Cuts\"))\n"))
                  .contains("not closed"));
  EXPECT_TRUE(
      refusal(
          boardText("", QByteArray(kOutline).append(
                            "  (gr_circle (center 80 10) (end 82 10) (layer \"Edge.Cuts\"))\n")))
          .contains("outside the board outline"));
  EXPECT_TRUE(refusal(boardText("", "")).contains("no outline"));
}

TEST(KicadBoard, NetClassesAndLocalClearances) {
  const QByteArray project =
      R"({"net_settings": {"classes": [
           {"name": "Default", "clearance": 0.25},
           {"name": "power", "clearance": 0.5, "nets": ["VCC"]}]}})";
  const Design d = readBoard(
      boardText("  (segment (start 10 10) (end 20 10) (width 0.5) (layer \"F.Cu\") (net 1))\n"
                "  (segment (start 10 11) (end 20 11) (width 0.5) (layer \"F.Cu\") (net 2))\n"
                "  (footprint \"lib:X\" (layer \"F.Cu\") (at 30 30) (clearance 0.3)\n"
                "    (fp_text reference \"R1\" (at 0 0) (layer \"F.SilkS\"))\n"
                "    (pad \"1\" smd rect (at 0 0) (size 1 1) (layers \"F.Cu\") (net 1 \"GND\"))\n"
                "    (pad \"2\" smd rect (at 2 0) (size 1 1) (layers \"F.Cu\") (net 1 \"GND\") "
                "(clearance 0.1)))\n"),
      &project);
  ASSERT_EQ(d.features.size(), 4u);
  EXPECT_DOUBLE_EQ(d.clearance, 0.25);
  EXPECT_DOUBLE_EQ(d.clearanceOf(*withId(d, "track@L6").at(0)), 0.25);
  EXPECT_DOUBLE_EQ(d.clearanceOf(*withId(d, "track@L7").at(0)), 0.5);
  EXPECT_DOUBLE_EQ(d.clearanceOf(*withId(d, "R1.1").at(0)), 0.3);  // the footprint's
  EXPECT_DOUBLE_EQ(d.clearanceOf(*withId(d, "R1.2").at(0)), 0.1);  // the pad's own
  // The tracks are 0.5 apart: the larger class clearance (0.5) is met.
  EXPECT_TRUE(auditDesign(d).findings.empty());

  // Without a project file: the board's own classes (KiCad 5 boards).
  const Design old = readBoard(
      boardText("  (net_class Default \"\" (clearance 0.15))\n"
                "  (net_class power \"\" (clearance 0.6) (add_net \"VCC\"))\n"
                "  (segment (start 10 10) (end 20 10) (width 0.5) (layer \"F.Cu\") (net 1))\n"
                "  (segment (start 10 11) (end 20 11) (width 0.5) (layer \"F.Cu\") (net 2))\n"));
  const AuditResult r = auditDesign(old);
  ASSERT_EQ(r.findings.size(), 1u);
  EXPECT_EQ(r.findings[0].kind, FindingKind::Clearance);
  EXPECT_NEAR(r.findings[0].distance, 0.5, 1e-12);
  EXPECT_EQ(old.layers.value(r.findings[0].layer), "F.Cu");

  const QByteArray bad =
      R"({"net_settings": {"classes": [{"name": "Default", "clearance": "x"}]}})";
  Design d2;
  QString error;
  EXPECT_FALSE(parseKicadBoard(boardText(""), &bad, d2, error));
  EXPECT_TRUE(error.contains("clearance")) << error.toStdString();
}

TEST(KicadBoard, MalformedBoardsAreRefusedWithTheirPlace) {
  const QByteArray good =
      boardText("  (segment (start 10 10) (end 20 10) (width 0.5) (layer \"F.Cu\") (net 1))\n");
  struct Row {
    const char* name;
    QByteArray text;
    const char* reason;
  };
  const Row rows[] = {
      {"truncated", good.left(good.size() - 40), "ends inside a list"},
      {"unbalanced", QByteArray(good).append(")"), "unbalanced"},
      {"unknown pad shape",
       boardText("  (footprint \"x\" (at 1 1) (fp_text reference \"U9\" (at 0 0))\n"
                 "    (pad \"1\" smd hexagon (at 0 0) (size 1 1) (layers \"F.Cu\")))\n"),
       "line 7: pad U9.1: unknown pad shape \"hexagon\""},
      {"missing net",
       boardText("  (segment (start 1 1) (end 2 1) (width 0.2) (layer \"F.Cu\") (net 7))\n"),
       "line 6: net 7 is not in the board's list of nets"},
      {"not copper",
       boardText("  (segment (start 1 1) (end 2 1) (width 0.2) (layer \"F.SilkS\") (net 1))\n"),
       "not a copper layer"},
      {"zero width",
       boardText("  (segment (start 1 1) (end 2 1) (width 0) (layer \"F.Cu\") (net 1))\n"),
       "must be positive"},
      {"no size",
       boardText(
           "  (footprint \"x\" (at 1 1)\n    (pad \"1\" smd rect (at 0 0) (layers \"F.Cu\")))\n"),
       "has no (size)"},
      {"bad number", boardText("  (via (at 1 x) (size 1) (layers \"F.Cu\" \"B.Cu\") (net 1))\n"),
       "not a number"},
      {"far away", boardText("  (via (at 1 1e9) (size 1) (layers \"F.Cu\" \"B.Cu\") (net 1))\n"),
       "outside"},
      {"negative clearance",
       boardText("  (footprint \"x\" (at 1 1) (clearance -0.1)\n"
                 "    (pad \"1\" smd rect (at 0 0) (size 1 1) (layers \"F.Cu\")))\n"),
       "line 6: a clearance must not be negative"},
      // Net and layer numbers become ints: out of range or fractional is
      // malformed, not undefined behaviour (found by fuzzing: net 1.1e54).
      {"net number out of range", boardText("  (net 1.1e54 \"BIG\")\n"),
       "line 6: (net): \"1.1e54\" is not a whole number within +-2147483647"},
      {"fractional net number",
       boardText("  (segment (start 1 1) (end 2 1) (width 0.2) (layer \"F.Cu\") (net 1.5))\n"),
       "line 6: (net): \"1.5\" is not a whole number"},
      {"layer number out of range",
       "(kicad_pcb (version 20211014) (layers (3e10 \"F.Cu\" signal)))",
       "(3e10): \"3e10\" is not a whole number"},
      // Nearly collinear points: a circle of radius 160,000 run the long way
      // round, which the audit would sample for ever (found by fuzzing).
      {"arc radius beyond the limit",
       boardText("  (arc (start 30 20) (mid 832 22) (end 34 20) (width 0.4) (layer \"F.Cu\") "
                 "(net 2))\n"),
       "line 6: (arc): the arc radius must be positive and at most 1000"},
      // The same in a polygon's (arc) piece: radius 37,800, 270,000 chords
      // for the audit's sweeps (found by fuzzing).
      {"polygon arc radius beyond the limit",
       boardText("  (gr_poly (pts (xy 40 5) (arc (start 50 5) (mid 502 8) (end 0 5)))\n"
                 "    (layer \"F.Cu\") (width 0.1))\n"),
       "line 6: (arc): the arc radius must be positive and at most 1000"},
      {"old arc radius beyond the limit",
       boardText("  (gr_arc (start 0 0) (end 2000 0) (angle 90) (layer \"F.Cu\") (width 0.1))\n"),
       "line 6: (gr_arc): the arc radius must be positive and at most 1000"},
      // A stroke of 1e126 around a polygon: every corner a circle that the
      // audit would sample for ever (found by fuzzing, in a custom pad).
      {"polygon stroke beyond the limit",
       boardText("  (gr_poly (pts (xy 0 0) (xy 1 0) (xy 1 1)) (layer \"F.Cu\") (width 1e126))\n"),
       "line 6: (gr_poly): the stroke width must be at most 2000"},
      {"custom pad primitive stroke beyond the limit",
       boardText("  (footprint \"x\" (at 1 1)\n"
                 "    (pad \"1\" smd custom (at 0 0) (size 1 1) (layers \"F.Cu\")\n"
                 "      (primitives (gr_poly (pts (xy 0 0) (xy 1 0) (xy 1 1)) (width 3e3)))))\n"),
       "line 8: (gr_poly): the stroke width must be at most 2000"},
      {"arc sweep beyond a turn",
       boardText("  (gr_arc (start 0 0) (end 2 0) (angle 1e101) (layer \"F.Cu\") (width 0.1))\n"),
       "line 6: (gr_arc): an arc sweeps at most 360 degrees"},
      {"not a board", "(kicad_sch (version 20211014))", "not a KiCad board"},
      {"too old", "(kicad_pcb (version 20160815))", "older than KiCad 5.0"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const QString error = refusal(row.text);
    EXPECT_TRUE(error.contains(QLatin1String(row.reason))) << error.toStdString();
  }
}

TEST(KicadBoard, BoardFilesAreAuditedByPathWithExitCodes) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  auto write = [&](const char* name, const QByteArray& text) {
    QFile f(dir.filePath(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
    return dir.filePath(name);
  };
  const QByteArray twoTracks = boardText(
      "  (segment (start 10 10) (end 20 10) (width 0.5) (layer \"F.Cu\") (net 1))\n"
      "  (segment (start 10 10.9) (end 20 10.9) (width 0.5) (layer \"F.Cu\") (net 2))\n");
  // 0.4 apart: clean with the Default class of 0.2, a violation with the
  // project file's 0.45 beside the board.
  EXPECT_EQ(auditDesignFile(write("a.kicad_pcb", twoTracks)).exitCode(), 0);
  write("b.kicad_pro",
        R"({"net_settings": {"classes": [{"name": "Default", "clearance": 0.45}]}})");
  const AuditReport report = auditDesignFile(write("b.kicad_pcb", twoTracks));
  EXPECT_EQ(report.exitCode(), 1);
  ASSERT_EQ(report.result.findings.size(), 1u);
  EXPECT_NEAR(report.result.findings[0].distance, 0.4, 1e-9);
  const AuditReport broken = auditDesignFile(write("c.kicad_pcb", twoTracks.left(200)));
  EXPECT_EQ(broken.exitCode(), 2);
  EXPECT_TRUE(broken.error.startsWith("line 4: ")) << broken.error.toStdString();
}

// A FIFO (whose open would wait for a writer) or a device (no size, no
// end) is neither a design nor the project file beside a board: refused
// at once, before anything is read.
TEST(KicadBoard, AFifoOrADeviceIsNoDesignAndNoProjectFile) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("pipe.json")).constData(), 0600), 0);
  for (const QString& path : {dir.filePath("pipe.json"), QStringLiteral("/dev/zero")}) {
    const AuditReport report = auditDesignFile(path);
    EXPECT_EQ(report.exitCode(), 2) << path.toStdString();
    EXPECT_EQ(report.error, "is not a regular file") << path.toStdString();
  }
  QFile board(dir.filePath("b.kicad_pcb"));
  ASSERT_TRUE(board.open(QIODevice::WriteOnly));
  board.write(boardText(""));
  board.close();
  ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("b.kicad_pro")).constData(), 0600), 0);
  const AuditReport report = auditDesignFile(board.fileName());
  EXPECT_EQ(report.exitCode(), 2);
  EXPECT_TRUE(report.error.startsWith("cannot read the project file"))
      << report.error.toStdString();
}

TEST(KicadBoard, KicadFiveBoardsWithModulesAndCentreAngleArcs) {
  // A KiCad 5 board: bare layer names, (module ...), arcs as centre, start
  // point and a sweep clockwise on the page, net classes in the board.
  const QByteArray text =
      "(kicad_pcb (version 20171130) (host pcbnew 5.1.9)\n"
      "  (layers (0 F.Cu signal) (31 B.Cu signal) (44 Edge.Cuts user))\n"
      "  (net 0 \"\") (net 1 GND)\n"
      "  (net_class Default \"\" (clearance 0.3))\n"
      "  (gr_line (start 0 0) (end 40 0) (layer Edge.Cuts) (width 0.1))\n"
      "  (gr_line (start 40 0) (end 40 25) (layer Edge.Cuts) (width 0.1))\n"
      "  (gr_arc (start 35 25) (end 40 25) (angle 90) (layer Edge.Cuts) (width 0.1))\n"
      "  (gr_line (start 35 30) (end 0 30) (layer Edge.Cuts) (width 0.1))\n"
      "  (gr_line (start 0 30) (end 0 0) (layer Edge.Cuts) (width 0.1))\n"
      "  (module R (layer F.Cu) (at 10 10 90)\n"
      "    (fp_text reference R1 (at 0 0) (layer F.SilkS))\n"
      "    (fp_arc (start 0 0) (end 2 0) (angle -90) (layer F.Cu) (width 0.2))\n"
      "    (pad 1 smd rect (at 1 0 90) (size 2 1) (layers F.Cu) (net 1 GND))))\n";
  const Design d = readBoard(text);
  EXPECT_EQ(d.layers, QStringList({"F.Cu", "B.Cu"}));
  EXPECT_DOUBLE_EQ(d.clearance, 0.3);
  // The corner at (40, 30) rounded with radius 5, the arc bulging outwards.
  EXPECT_NEAR(area(d.board), 40 * 30 - (25 - kPi * 25 / 4), 1e-6);
  const DesignFeature& pad = *withId(d, "R1.1").at(0);
  expectBox(pad.region, 9.5, 10.5, 8, 10);
  // The copper arc: radius 2 about (10, 10), from local (2, 0) a quarter
  // turn counter-clockwise on the page: placed by the footprint's 90, it
  // runs from (10, 8) to (8, 10) through the upper left.
  const DesignFeature& arc = *withId(d, "R1 graphic@L12").at(0);
  EXPECT_EQ(arc.net, "GND");  // the footprint's only net
  expectBox(arc.region, 7.9, 10.1, 7.9, 10.1);
}
