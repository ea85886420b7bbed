// The reader and the audit on the real boards of Debian's kicad-demos
// package (installed by scripts/setup.sh): every board is read, its feature
// counts per layer match counts taken from the file text by this test, and
// the findings of two boards match distances worked out here from the
// file's numbers, pair by pair.
#include "designaudit.h"
#include "designreader.h"
#include "kicadboard.h"

#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>

namespace {

const QString kDemos = QStringLiteral(GK_KICAD_DEMOS_DIR);

QStringList demoBoards() {
  QStringList boards;
  QDirIterator it(kDemos, {QStringLiteral("*.kicad_pcb")}, QDir::Files,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) boards << it.next();
  boards.sort();
  return boards;
}

QStringList fileLines(const QString& path) {
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
  return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
}

// ---- counts from the text, one item per line as KiCad writes them ----

using Counts = std::map<std::pair<QString, QString>, int>;  // (layer, kind) -> count

QStringList copperOrder(const QStringList& lines) {
  std::vector<std::pair<int, QString>> copper;
  static const QRegularExpression entry(
      QStringLiteral(R"re(^\s*\((\d+) "?([A-Za-z0-9]+\.Cu)"? )re"));
  for (const QString& l : lines) {
    const auto m = entry.match(l);
    if (m.hasMatch()) copper.emplace_back(m.captured(1).toInt(), m.captured(2));
  }
  std::sort(copper.begin(), copper.end());
  QStringList names;
  for (const auto& c : copper) names << c.second;
  return names;
}

QStringList padLayers(const QString& list, const QStringList& copper) {
  QStringList layers;
  for (QString name : list.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
    name.remove(QLatin1Char('"'));
    if (name == QLatin1String("*.Cu")) return copper;
    if (name == QLatin1String("F&B.Cu")) layers << QStringLiteral("F.Cu") << QStringLiteral("B.Cu");
    if (copper.contains(name)) layers << name;
  }
  return layers;
}

Counts countsFromText(const QStringList& lines) {
  const QStringList copper = copperOrder(lines);
  static const QRegularExpression track(
      QStringLiteral(R"re(^  \((segment|arc) .*\(layer "?([^")]+)"?\))re"));
  static const QRegularExpression via(
      QStringLiteral(R"re(^  \(via .*\(layers "?([^" )]+)"? "?([^" )]+)"?\))re"));
  static const QRegularExpression pad(QStringLiteral(
      R"re(^\s*\(pad "?[^" ]*"? (\w+) (\w+) .*\(size ([\d.]+) ([\d.]+)\)(?: \(drill (?:oval )?([\d.]+)(?: ([\d.]+))?)?.*\(layers ([^)]*)\))re"));
  static const QRegularExpression layer(QStringLiteral(R"re(^\s*\(layer "?([^")]+)"?\))re"));
  Counts counts;
  for (int i = 0; i < lines.size(); ++i) {
    const QString& l = lines[i];
    if (auto m = track.match(l); m.hasMatch()) {
      ++counts[{m.captured(2), m.captured(1) == "arc" ? "arc" : "track"}];
    } else if (auto v = via.match(l); v.hasMatch()) {
      const int a = copper.indexOf(v.captured(1)), b = copper.indexOf(v.captured(2));
      for (int k = std::min(a, b); k <= std::max(a, b); ++k) ++counts[{copper[k], "via"}];
    } else if (auto p = pad.match(l); p.hasMatch()) {
      // A plain hole no larger than its pad carries no copper.
      const double w = p.captured(3).toDouble(), h = p.captured(4).toDouble();
      const double dw = p.captured(5).toDouble();
      const double dh = p.captured(6).isEmpty() ? dw : p.captured(6).toDouble();
      if (p.captured(1) == "np_thru_hole" && w <= dw && h <= dh) continue;
      for (const QString& name : padLayers(p.captured(7), copper)) ++counts[{name, "pad"}];
    } else if (l.trimmed() == QLatin1String("(filled_polygon")) {
      const auto m = layer.match(lines.value(i + 1));
      EXPECT_TRUE(m.hasMatch()) << "line " << i + 2;
      ++counts[{m.captured(1), "fill"}];
    }
  }
  return counts;
}

QString kindOf(const DesignFeature& f) {
  if (f.id.startsWith("track@")) return "track";
  if (f.id.startsWith("arc@")) return "arc";
  if (f.id.startsWith("via@")) return "via";
  if (f.id.startsWith("zone ")) return "fill";
  if (f.id.contains("graphic@")) return "graphic";
  return "pad";
}

Counts countsFromDesign(const Design& d) {
  Counts counts;
  for (const DesignFeature& f : d.features) {
    // A custom pad is read as parts of one net: count its first part.
    if (kindOf(f) == "pad" && f.id.contains('/') && !f.id.endsWith("/1")) continue;
    if (kindOf(f) != "graphic") ++counts[{d.layers.value(f.layer), kindOf(f)}];
  }
  return counts;
}

// ---- distances from the file's numbers ----

struct P {
  double x, y;
};

double pointSegment(P p, P a, P b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double len2 = dx * dx + dy * dy;
  double t = len2 == 0 ? 0 : ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

double cross(P o, P a, P b) { return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x); }

double segmentSegment(P a, P b, P c, P d) {
  const double d1 = cross(c, d, a), d2 = cross(c, d, b), d3 = cross(a, b, c), d4 = cross(a, b, d);
  if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0)))
    return 0;
  return std::min(
      {pointSegment(a, c, d), pointSegment(b, c, d), pointSegment(c, a, b), pointSegment(d, a, b)});
}

// Track or via at a line of the file: a segment (a point for a via) and
// the half width.
struct Round {
  P a, b;
  double halfWidth;
  int net;
  QString layer;
};

bool roundAt(const QStringList& lines, int line, Round& r) {
  static const QRegularExpression seg(QStringLiteral(
      R"re(^  \(segment \(start ([-\d.]+) ([-\d.]+)\) \(end ([-\d.]+) ([-\d.]+)\) \(width ([\d.]+)\) \(layer "([^"]+)"\) \(net (\d+)\))re"));
  static const QRegularExpression via(QStringLiteral(
      R"re(^  \(via \(at ([-\d.]+) ([-\d.]+)\) \(size ([\d.]+)\).*\(net (\d+)\))re"));
  const QString& l = lines.value(line - 1);
  if (auto m = seg.match(l); m.hasMatch()) {
    r = Round{{m.captured(1).toDouble(), m.captured(2).toDouble()},
              {m.captured(3).toDouble(), m.captured(4).toDouble()},
              m.captured(5).toDouble() / 2,
              m.captured(7).toInt(),
              m.captured(6)};
    return true;
  }
  if (auto m = via.match(l); m.hasMatch()) {
    const P c{m.captured(1).toDouble(), m.captured(2).toDouble()};
    r = Round{c, c, m.captured(3).toDouble() / 2, m.captured(4).toInt(), QString()};
    return true;
  }
  return false;
}

// The points of the filled polygon that starts at a line of the file.
std::vector<P> fillAt(const QStringList& lines, int line) {
  static const QRegularExpression xy(QStringLiteral(R"re(\(xy ([-\d.]+) ([-\d.]+)\))re"));
  std::vector<P> pts;
  EXPECT_EQ(lines.value(line - 1).trimmed(), "(filled_polygon");
  for (int i = line;
       i < lines.size() && !lines[i].trimmed().startsWith(QLatin1String("(filled_polygon")) &&
       !lines[i].trimmed().startsWith(QLatin1String("(zone"));
       ++i) {
    auto it = xy.globalMatch(lines[i]);
    while (it.hasNext()) {
      const auto m = it.next();
      pts.push_back({m.captured(1).toDouble(), m.captured(2).toDouble()});
    }
    if (lines[i] == QLatin1String("    )")) break;  // the end of the zone's fills
  }
  return pts;
}

double polygonGap(const std::vector<P>& a, const std::vector<P>& b) {
  double best = INFINITY;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const P a0 = a[i], a1 = a[(i + 1) % a.size()];
    for (std::size_t j = 0; j < b.size(); ++j) {
      const P b0 = b[j], b1 = b[(j + 1) % b.size()];
      // Cheap box test first: the pair cannot beat the best so far.
      if (std::min(a0.x, a1.x) - std::max(b0.x, b1.x) > best ||
          std::min(b0.x, b1.x) - std::max(a0.x, a1.x) > best ||
          std::min(a0.y, a1.y) - std::max(b0.y, b1.y) > best ||
          std::min(b0.y, b1.y) - std::max(a0.y, a1.y) > best) {
        continue;
      }
      best = std::min(best, segmentSegment(a0, a1, b0, b1));
    }
  }
  return best;
}

int lineOf(const QString& id) { return id.mid(id.lastIndexOf("@L") + 2).toInt(); }

AuditReport auditDemo(const char* relative) {
  const AuditReport report = auditDesignFile(kDemos + QLatin1Char('/') + QLatin1String(relative));
  EXPECT_TRUE(report.readable) << report.error.toStdString();
  return report;
}

}  // namespace

TEST(KicadDemos, EveryBoardIsReadWithTheFeatureCountsOfItsFile) {
  const QStringList boards = demoBoards();
  ASSERT_GE(boards.size(), 14) << "kicad-demos is not installed under " << kDemos.toStdString()
                               << " (scripts/setup.sh installs it)";
  for (const QString& path : boards) {
    SCOPED_TRACE(path.toStdString());
    Design d;
    QString error;
    ASSERT_TRUE(readDesignFile(path, d, error)) << error.toStdString();
    EXPECT_FALSE(d.board.outer.empty());
    const Counts expected = countsFromText(fileLines(path));
    const Counts read = countsFromDesign(d);
    EXPECT_FALSE(expected.empty());
    for (const auto& [key, n] : expected) {
      EXPECT_EQ(read.count(key) ? read.at(key) : 0, n)
          << key.first.toStdString() << " " << key.second.toStdString();
    }
    for (const auto& [key, n] : read) {
      EXPECT_TRUE(expected.count(key))
          << "unexpected " << key.first.toStdString() << " " << key.second.toStdString();
    }
  }
}

// StickHub: two tracks against a via, three pairs of zone fills, all on
// B.Cu, against the Default class clearance of 0.15 from the project file.
TEST(KicadDemos, StickHubFindingsMatchDistancesFromTheFile) {
  const AuditReport report = auditDemo("stickhub/StickHub.kicad_pcb");
  const QStringList lines = fileLines(kDemos + "/stickhub/StickHub.kicad_pcb");
  const Design& d = report.design;
  ASSERT_EQ(report.result.findings.size(), 5u);
  for (const AuditFinding& f : report.result.findings) {
    const DesignFeature& a = d.features[static_cast<std::size_t>(f.feature)];
    const DesignFeature& b = d.features[static_cast<std::size_t>(f.other)];
    SCOPED_TRACE((a.id + " / " + b.id).toStdString());
    EXPECT_EQ(f.kind, FindingKind::Clearance);
    EXPECT_EQ(d.layers.value(f.layer), "B.Cu");
    double expected = NAN;
    Round ra, rb;
    if (roundAt(lines, lineOf(a.id), ra) && roundAt(lines, lineOf(b.id), rb)) {
      expected = segmentSegment(ra.a, ra.b, rb.a, rb.b) - ra.halfWidth - rb.halfWidth;
    } else {
      expected = polygonGap(fillAt(lines, lineOf(a.id)), fillAt(lines, lineOf(b.id)));
    }
    EXPECT_NEAR(f.distance, expected, 1e-6);
    EXPECT_LT(expected, 0.15 - 1e-6);
    // The reported points are that far apart.
    EXPECT_NEAR(std::hypot(f.x2 - f.x1, f.y2 - f.y1), f.distance, 1e-9);
  }
}

// Every pair of a track and a track or via of different nets on one layer,
// worked out here as capsules: the audit reports exactly those closer than
// the clearance by more than 1e-6, at the same distance. With widen > 0
// every feature's clearance is set to it first, so that many pairs count.
void expectTrackAndViaFindings(const char* relative, double clearance, double widen = 0) {
  SCOPED_TRACE(std::string(relative) + " at " + std::to_string(clearance));
  AuditReport report = auditDemo(relative);
  if (widen > 0) {
    for (DesignFeature& f : report.design.features) f.clearance = widen;
    report.result = auditDesign(report.design);
    clearance = widen;
  }
  const QStringList lines = fileLines(kDemos + QLatin1Char('/') + QLatin1String(relative));
  const Design& d = report.design;
  std::vector<std::pair<int, Round>> items;  // feature index, geometry
  for (int i = 0; i < static_cast<int>(d.features.size()); ++i) {
    const DesignFeature& f = d.features[static_cast<std::size_t>(i)];
    Round r;
    if ((f.id.startsWith("track@") || f.id.startsWith("via@")) && roundAt(lines, lineOf(f.id), r)) {
      r.layer = d.layers.value(f.layer);
      items.emplace_back(i, r);
    }
  }
  std::map<std::pair<int, int>, double> expected;
  for (std::size_t i = 0; i < items.size(); ++i) {
    for (std::size_t j = i + 1; j < items.size(); ++j) {
      const Round& a = items[i].second;
      const Round& b = items[j].second;
      if (a.layer != b.layer || a.net == b.net) continue;
      const double gap = segmentSegment(a.a, a.b, b.a, b.b) - a.halfWidth - b.halfWidth;
      if (gap < clearance - 1e-6) expected[{items[i].first, items[j].first}] = std::max(gap, 0.0);
    }
  }
  std::map<std::pair<int, int>, double> found;
  std::vector<bool> isRound(d.features.size(), false);
  for (const auto& item : items) isRound[static_cast<std::size_t>(item.first)] = true;
  for (const AuditFinding& f : report.result.findings) {
    if (f.other >= 0 && isRound[static_cast<std::size_t>(f.feature)] &&
        isRound[static_cast<std::size_t>(f.other)]) {
      found[{f.feature, f.other}] = f.distance;
    }
  }
  if (widen > 0) {
    EXPECT_GT(expected.size(), 10u);
  }
  ASSERT_EQ(found.size(), expected.size());
  for (const auto& [pair, gap] : expected) {
    ASSERT_TRUE(found.count(pair)) << d.features[pair.first].id.toStdString() << " / "
                                   << d.features[pair.second].id.toStdString();
    EXPECT_NEAR(found.at(pair), gap, 1e-6);
  }
}

TEST(KicadDemos, TrackAndViaFindingsMatchAnIndependentPairwiseCheck) {
  expectTrackAndViaFindings("stickhub/StickHub.kicad_pcb", 0.15);
  expectTrackAndViaFindings("pic_programmer/pic_programmer.kicad_pcb", 0.25);
  expectTrackAndViaFindings("video/video.kicad_pcb", 0.2);
  // A larger clearance than the boards were laid out for.
  expectTrackAndViaFindings("stickhub/StickHub.kicad_pcb", 0.15, 0.3);
  expectTrackAndViaFindings("pic_programmer/pic_programmer.kicad_pcb", 0.25, 1.0);
}

// Cut short anywhere or with bytes changed, a real board is read or refused
// with a reason, never anything worse (the sanitizer build watches).
TEST(KicadDemos, DamagedBoardsAreReadOrRefusedNeverWorse) {
  QFile file(kDemos + "/custom_pads_test/custom_pads_test.kicad_pcb");
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray board = file.readAll();
  std::mt19937 rng(16);
  std::uniform_int_distribution<int> at(0, board.size() - 1);
  std::uniform_int_distribution<int> byte(0, 255);
  int refused = 0;
  for (int round = 0; round < 60; ++round) {
    QByteArray damaged = board;
    if (round % 2 == 0) {
      damaged.truncate(at(rng));
    } else {
      for (int k = 0; k < 8; ++k)
        damaged[at(rng)] = static_cast<char>("()\"\\ x0-."[byte(rng) % 9]);
    }
    Design d;
    QString error;
    if (!parseKicadBoard(damaged, nullptr, d, error)) {
      ++refused;
      EXPECT_TRUE(error.startsWith("line ") || error.contains("outline")) << error.toStdString();
    }
  }
  // Every cut inside the document leaves it unbalanced.
  EXPECT_GE(refused, 30);
}
