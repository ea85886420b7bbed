// The KiCad board reader on boards made to be costly: lists far longer
// than any real board has, more copper layers than KiCad allows, and atoms
// too long to quote. Each is read in time proportional to its size, or
// refused with a short reason.
#include "designaudit.h"
#include "designreader.h"
#include "kicadboard.h"
#include "kicadreader.h"
#include "samples.h"

#include <testsupport/temp_dir.h>

#include <gtest/gtest.h>

#include <QFile>

#include <cmath>

namespace {

// (n "F.Cu" signal) ... (n "B.Cu" signal) for n copper layers: F.Cu, In1.Cu
// up to In<n-2>.Cu, B.Cu.
QByteArray copperLayers(int n) {
  QByteArray list = "(0 \"F.Cu\" signal)";
  for (int k = 1; k + 1 < n; ++k)
    list += QStringLiteral(" (%1 \"In%1.Cu\" signal)").arg(k).toUtf8();
  return list + QStringLiteral(" (%1 \"B.Cu\" signal)").arg(n < 2 ? 31 : n - 1).toUtf8();
}

// A 50 x 40 board with the given layer entries (on line 2) and items.
QByteArray board(const QByteArray& layers, const QByteArray& items) {
  return "(kicad_pcb (version 20211014) (generator pcbnew)\n  (layers " + layers +
         " (44 \"Edge.Cuts\" user))\n  (net 0 \"\") (net 1 \"GND\")\n"
         "  (gr_rect (start 0 0) (end 50 40) (layer \"Edge.Cuts\") (width 0.1))\n" +
         items + ")\n";
}

}  // namespace

// A pad whose (layers) comes after 100,000 other items and names two layers
// 100,000 times each: the list is looked up once, not once per name (which
// took minutes).
TEST(KicadLimits, APadsLayerListIsLookedUpOnce) {
  constexpr int kItems = 100000;
  QByteArray pad =
      "  (footprint \"R\" (at 10 10) (fp_text reference \"R1\" (at 0 0))\n"
      "    (pad \"1\" smd rect (at 0 0) (size 1 1)";
  pad.reserve(12 * kItems + 200);
  for (int i = 0; i < kItems; ++i) pad += " (x)";
  pad += " (layers";
  for (int i = 0; i < kItems; ++i) pad += " \"F.Cu\" \"B.Cu\"";
  pad += ") (net 1 \"GND\")))\n";
  const Design d = readBoard(board(copperLayers(2), pad));
  ASSERT_EQ(d.features.size(), 2u);  // once on each layer named
  EXPECT_EQ(d.features[0].id, "R1.1");
  EXPECT_EQ(d.features[0].layer, 0);
  EXPECT_EQ(d.features[1].layer, 1);
}

// KiCad boards have at most 32 copper layers. A via makes one feature on
// every layer between its ends and a *.Cu pad one on every layer, so a
// board listing thousands of layers turned 200 vias into a million
// features. More than 32 is refused, as is a copper layer named twice
// (its items could land on either).
TEST(KicadLimits, CopperLayersAreAtMostThirtyTwoEachNamedOnce) {
  const QByteArray items =
      "  (via (at 5 5) (size 0.8) (drill 0.4) (layers \"F.Cu\" \"B.Cu\") (net 1))\n"
      "  (footprint \"R\" (at 20 20) (fp_text reference \"R1\" (at 0 0))\n"
      "    (pad \"1\" thru_hole circle (at 0 0) (size 1 1) (drill 0.5) (layers *.Cu)))\n";
  const Design full = readBoard(board(copperLayers(32), items));
  EXPECT_EQ(full.layers.size(), 32);
  EXPECT_EQ(full.layers.back(), "B.Cu");
  EXPECT_EQ(full.features.size(), 64u);  // the via and the pad on each layer

  for (int n : {33, 5000}) {
    SCOPED_TRACE(n);
    EXPECT_EQ(refusal(board(copperLayers(n), items)),
              "line 2: the board has more than 32 copper layers");
  }
  EXPECT_EQ(refusal(board("(0 \"F.Cu\" signal) (1 \"In1.Cu\" signal) (2 \"In1.Cu\" signal) "
                          "(31 \"B.Cu\" signal)",
                          items)),
            "line 2: the copper layer \"In1.Cu\" is listed twice");

  // Refused like any other unreadable board: exit code 2.
  testsupport::TempDir dir;
  QFile file(QString::fromStdString(dir.str() + "/many.kicad_pcb"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(board(copperLayers(5000), items));
  file.close();
  const AuditReport report = auditDesignFile(file.fileName());
  EXPECT_EQ(report.exitCode(), 2);
  EXPECT_TRUE(report.design.features.empty());
}

// Atoms quoted in a reason are cut to 200 characters and an ellipsis, so
// that a reason stays one short line whatever the file holds.
TEST(KicadLimits, LongAtomsAreCutInReasons) {
  const QByteArray x(100000, 'x');
  const QByteArray pad = "  (footprint \"R\" (at 10 10)\n    (pad \"1\" smd ";
  const QByteArray rows[] = {
      board(copperLayers(2), pad + x + " (at 0 0) (size 1 1) (layers \"F.Cu\")))\n"),
      board(copperLayers(2),
            "  (segment (start 1 1) (end 2 1) (width 0.2) (layer \"" + x + "\") (net 1))\n"),
      board(copperLayers(2),
            "  (segment (start 1 1) (end 2 1) (width " + x + ") (layer \"F.Cu\") (net 1))\n"),
      board(copperLayers(2), "  (" + x + " 1 2)\n  (via (at " + x + " 1))\n"),
      "(kicad_pcb (version " + x + "))",
      "(" + x + " (version 20211014))",
  };
  const QString cut = QString(200, QLatin1Char('x')) + QChar(0x2026);
  for (const QByteArray& text : rows) {
    const QString error = refusal(text);
    EXPECT_TRUE(error.contains(cut)) << error.left(300).toStdString();
    EXPECT_FALSE(error.contains(QString(201, QLatin1Char('x')))) << error.left(300).toStdString();
    EXPECT_LT(error.size(), 400) << error.left(300).toStdString();
  }
}

// An outline whose last side detours through a hub with 100,000 triangular
// petals hung on it, all ending exactly at the hub: each join there takes
// an end at the hub at once, and ends already used are not looked at
// again (every join scanned all 200,000 ends at the hub: minutes). The
// chain is one loop of every piece, closed by a line of 0.0009 from the
// last petal to the piece that starts that far from the hub.
TEST(KicadLimits, OutlinePiecesMeetingAtOnePointChainInOnePass) {
  constexpr int kPetals = 100000;
  const DesignPoint hub{50, 50};
  std::vector<kicadread::EdgePiece> pieces;
  auto add = [&](DesignPoint a, DesignPoint b) {
    pieces.push_back(kicadread::EdgePiece{lineCurve(a, b), static_cast<int>(pieces.size()) + 1});
  };
  add({0, 0}, {100, 0});
  add({100, 0}, {100, 100});
  add({100, 100}, {0, 100});
  add({0, 100}, hub);
  for (int i = 0; i < kPetals; ++i) {
    // Petal ends 0.0025 apart on a circle of radius 40, its two corners
    // half that: never within the chaining tolerance of each other.
    const double a = 2 * kPi * i / kPetals, b = a + kPi / kPetals;
    const DesignPoint p{hub.x + 40 * std::cos(a), hub.y + 40 * std::sin(a)};
    const DesignPoint q{hub.x + 40 * std::cos(b), hub.y + 40 * std::sin(b)};
    add(hub, p);
    add(p, q);
    add(q, hub);
  }
  add({hub.x + 0.0009, hub.y}, {0, 0});

  const std::vector<DesignLoop> loops = kicadread::chainOutline(pieces);
  ASSERT_EQ(loops.size(), 1u);
  const DesignLoop& loop = loops[0];
  EXPECT_EQ(loop.size(), pieces.size() + 1);
  int gaps = 0;
  for (std::size_t k = 0; k < loop.size(); ++k) {
    const DesignPoint e = loop[k].endPoint(), s = loop[(k + 1) % loop.size()].startPoint();
    if (std::hypot(e.x - s.x, e.y - s.y) > designformat::kJoinTol) ++gaps;
  }
  EXPECT_EQ(gaps, 0);
}
