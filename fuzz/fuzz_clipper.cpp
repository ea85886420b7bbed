// The clipper: the bytes are decoded into two to six shapes whose loops are
// circles or closed chains of segments and arcs (coordinates within +-4,
// circle radii up to 2, arc radii up to 250 drawing units), and a sequence
// of clip types. Execute must not crash; an unknown type gives no result;
// otherwise every result boundary is finite, closed, lies inside the union
// of the operands' boxes widened by the sampling tolerance plus one grid
// step, and every result shape has a non-negative area (outer loop minus
// its holes). Unless an input loop is about flat, points clear of every
// input loop lie in the result exactly when the windings of the finely
// sampled inputs, taken through the passes, say so (checkContainment).
//
// One value after the shapes picks a cross-check. 0 compares the result's
// area with that of the last pass's rings before any arc was rebuilt from
// them, within one sampling band along both. 1 and 2 check the short ways
// (rings that touch nothing skip the sweep, groups sweep apart, large
// groups run in strips): 1 runs the input again as one plain sweep, 2 again
// with every group of more than 16 vertices cut into strips of 16, 32, 64
// or 128 (by one more value; at least two strips; the library's own strips
// start far beyond inputs this small). Both results must hold the same
// area within one sampling band along their boundaries. 3 checks a last
// pass of one shape against the other operations on the same two regions,
// P (the shapes before it, as their passes leave them) and Q (the last
// shape):
// |P and Q| + |P or Q| = |P| + |Q|, and the result's area is |P and Q|,
// |P or Q|, |P| - |P and Q| or |P or Q| - |P and Q| by its type, each within
// the sum of the terms' sampling bands. That catches a sweep wrong in one
// operation only (an exclusive-or of a ring whose edges run there and
// back). Integral values come from the end of the bytes, so inputs made
// before the checks decode as they did.
#include "clipper_glue.h"
#include "fuzz_support.h"

#include <engine/engine.h>

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

// The clipper's sampling (chord) tolerance and grid step, drawing units.
constexpr double kSampleTol = kClipperSampleTol;
constexpr double kGridStep = kClipperGrid;
// Coordinates are int16 / 8192: within +-4 drawing units, about two values
// per grid step, so points land on, between and within one step of each
// other's grid points. The scale sets the run's speed: a circle of radius r
// samples to about 2.2 * sqrt(r / kSampleTol) points, and the sweep, not the
// geometry, is the cost (at +-16 and radii up to 8 a run took 5 ms).
constexpr double kCoordScale = 1.0 / 8192.0;
constexpr double kMaxRadius = 250.0;
constexpr double kMaxCircleRadius = 2.0;
// Consecutive members of a result loop meet within this (drawing units).
constexpr double kJoinTol = 1e-6;
// The strips cross-check cuts groups of more than this many vertices into
// strips of this many, doubled by the input up to three times: a circle
// of the largest radius samples to about 60, so most groups here are cut
// several times. The cuts then fall elsewhere, and at 16 alone the strips'
// merges took three quarters of the target's time.
constexpr std::size_t kCrossCheckStripVertices = 16;

struct Box {
  double minX = INFINITY, maxX = -INFINITY, minY = INFINITY, maxY = -INFINITY;
  void add(const AcGePoint2d& p) {
    minX = std::min(minX, p.x);
    maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y);
    maxY = std::max(maxY, p.y);
  }
  bool contains(const AcGePoint2d& p, double margin) const {
    return p.x >= minX - margin && p.x <= maxX + margin && p.y >= minY - margin &&
           p.y <= maxY + margin;
  }
};

AcGePoint2d point(FuzzedDataProvider& in) {
  const double x = in.ConsumeIntegral<int16_t>() * kCoordScale;
  const double y = in.ConsumeIntegral<int16_t>() * kCoordScale;
  return AcGePoint2d(x, y);
}

// The edge p -> q: a segment, or an arc through the point at `bulge`
// sixty-fourths of half the chord to the side of its middle (when the three
// points make an arc of radius up to kMaxRadius).
GkCurve2d* edge(const AcGePoint2d& p, const AcGePoint2d& q, int bulge) {
  if (bulge != 0) {
    const double dx = q.x - p.x, dy = q.y - p.y;
    const double h = bulge / 64.0 * 0.5;
    const AcGePoint2d m((p.x + q.x) / 2 - dy * h, (p.y + q.y) / 2 + dx * h);
    if (AcGeCircArc2d::IsCirArc(p, m, q, GkGeoLib::g_tol)) {
      auto arc = std::make_unique<AcGeCircArc2d>(p, m, q);
      if (std::isfinite(arc->radius()) && arc->radius() <= kMaxRadius) return arc.release();
    }
  }
  return new AcGeLineSeg2d(p, q);
}

GkCompositeCurve2d* loop(FuzzedDataProvider& in) {
  auto curve = std::make_unique<GkCompositeCurve2d>();
  const int kind = in.ConsumeIntegralInRange(0, 3);
  if (kind == 0) {  // a circle
    const AcGePoint2d c = point(in);
    const double r = in.ConsumeIntegralInRange(1, 65535) / 65535.0 * kMaxCircleRadius;
    auto circle = std::make_unique<AcGeCircArc2d>(c, r);
    if (in.ConsumeBool()) circle->SetIsCCW(true);
    curve->append(circle.release());
    return curve.release();
  }
  const int n = in.ConsumeIntegralInRange(2, 6);
  std::vector<AcGePoint2d> pts;
  for (int i = 0; i < n; ++i) pts.push_back(point(in));
  // The chain as it was made (corners, bulges), for the report: an arc
  // printed by centre and angles does not rebuild the same doubles.
  std::string made = "  made of";
  for (int i = 0; i < n; ++i) {
    const int b = in.ConsumeIntegral<int8_t>();
    const int bulge = b < -32 || b > 32 ? b : 0;
    curve->append(edge(pts[i], pts[(i + 1) % n], bulge));
    char corner[80];
    std::snprintf(corner, sizeof corner, " (%.17g, %.17g) %d", pts[i].x, pts[i].y, bulge);
    made += corner;
  }
  fuzzsupport::context() += made + "\n";
  return curve.release();
}

// One line per member, for the report of a broken invariant.
std::string describe(GkCompositeCurve2d& loop) {
  std::string text;
  std::vector<GkCurve2d*> members;
  loop.GetCurveList(members);
  char line[200];
  for (GkCurve2d* m : members) {
    if (auto* a = dynamic_cast<AcGeCircArc2d*>(m)) {
      std::snprintf(line, sizeof line, "  arc (%.17g, %.17g) r %.17g %.17g..%.17g %s%s\n",
                    a->center().x, a->center().y, a->radius(), a->startAng(), a->endAng(),
                    a->isClockWise() ? "cw" : "ccw", a->IsCircle() ? " circle" : "");
    } else {
      std::snprintf(line, sizeof line, "  seg (%.17g, %.17g) (%.17g, %.17g)\n", m->startPoint().x,
                    m->startPoint().y, m->endPoint().x, m->endPoint().y);
    }
    text += line;
  }
  return text;
}

void addCurveBox(GkCurve2d& curve, Box& box) {
  const GkBoundBox2d b = curve.GetBoundBox();
  box.add(AcGePoint2d(b.minX, b.minY));
  box.add(AcGePoint2d(b.maxX, b.maxY));
}

// Twice the signed area of the loop's sampled boundary, and its length.
double signedArea2(GkCompositeCurve2d& loop, double& length) {
  std::vector<AcGePoint2d> pts;
  loop.GetSampleBuffer(pts, kSampleTol);
  double sum = 0;
  for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
    sum += pts[i].x * pts[i + 1].y - pts[i + 1].x * pts[i].y;
    length += std::hypot(pts[i + 1].x - pts[i].x, pts[i + 1].y - pts[i].y);
  }
  return sum;
}

// The area of a result (outer loops minus holes, sampled) and the length
// of all its boundaries.
struct Measure {
  double area = 0.0;
  double length = 0.0;
};

// Checks the result and returns its measure.
Measure checkResult(std::vector<GkShape*>& result, const Box& operands) {
  using fuzzsupport::check;
  const double margin = kSampleTol + kGridStep;
  Measure total;
  for (GkShape* shape : result) {
    check(shape != nullptr, "no null result shape");
    std::vector<GkCompositeCurve2d*> loops;
    shape->GetCompCurveList(loops);
    check(!loops.empty(), "a result shape has an outer loop");
    double area2 = 0, length = 0;
    for (GkCompositeCurve2d* l : loops) {
      check(l != nullptr && l->GetCurveCnt() > 0, "result loops are not empty");
      std::vector<GkCurve2d*> members;
      l->GetCurveList(members);
      for (std::size_t i = 0; i < members.size(); ++i) {
        std::vector<AcGePoint2d> pts;
        members[i]->GetSampleBuffer(pts, kSampleTol);
        for (const AcGePoint2d& p : pts) {
          check(std::isfinite(p.x) && std::isfinite(p.y), "result points finite");
          if (!operands.contains(p, margin)) {
            char where[200];
            std::snprintf(where, sizeof where,
                          "point (%.17g, %.17g), box x %.17g..%.17g y %.17g..%.17g\n", p.x, p.y,
                          operands.minX, operands.maxX, operands.minY, operands.maxY);
            fuzzsupport::context() += where + std::string("result loop:\n") + describe(*l);
          }
          check(operands.contains(p, margin), "result inside the operands' boxes");
        }
        const AcGePoint2d e = members[i]->endPoint();
        const AcGePoint2d s = members[(i + 1) % members.size()]->startPoint();
        check(std::hypot(e.x - s.x, e.y - s.y) <= kJoinTol, "result loops closed");
      }
      area2 += signedArea2(*l, length);
    }
    // Outer and holes are sampled apart: allow one sampling band along the
    // whole boundary.
    check(area2 / 2 >= -length * margin, "result area not negative");
    total.area += area2 / 2;
    total.length += length;
  }
  return total;
}

using Region = std::vector<std::unique_ptr<GkShape>>;

// Execute(types) on the shapes.
Region run(const std::vector<GkShape*>& shapes, const std::vector<GkClipType>& types) {
  std::vector<GkShape*> copy = shapes;
  GkClipper clipper;
  clipper.SetShapeList(copy);
  std::vector<GkShape*> raw;
  clipper.Execute(types, raw);
  return Region(raw.begin(), raw.end());
}

// P `type` Q, both regions of one or more shapes: P's shapes united, then a
// run of `type` over Q's shapes, which takes their union.
Region combine(const Region& p, const Region& q, GkClipType type) {
  std::vector<GkShape*> shapes;
  std::vector<GkClipType> types;
  if (p.empty() || q.empty()) {
    // Nothing, or the other region united again.
    if (type == kClipIntersection || (type == kClipDifference && p.empty())) return Region();
    for (const auto& s : p.empty() ? q : p) shapes.push_back(s.get());
    if (shapes.empty()) return Region();
    return run(shapes, std::vector<GkClipType>(shapes.size() - 1, kClipUnion));
  }
  for (const auto& s : p) shapes.push_back(s.get());
  for (const auto& s : q) shapes.push_back(s.get());
  types.assign(p.size() - 1, kClipUnion);
  types.resize(shapes.size() - 1, type);
  return run(shapes, types);
}

Measure measure(Region& region, const Box& box) {
  std::vector<GkShape*> raw;
  for (const auto& s : region) raw.push_back(s.get());
  return checkResult(raw, box);
}

// The last pass against the other operations on its two regions (see the
// top of the file); `result` is the measure of the whole run.
void checkIdentities(const std::vector<GkShape*>& operands, const std::vector<GkClipType>& types,
                     const Measure& result, const Box& box) {
  Region p = run(std::vector<GkShape*>(operands.begin(), operands.end() - 1),
                 std::vector<GkClipType>(types.begin(), types.end() - 1));
  Region q = run({operands.back()}, {});
  Region both = combine(p, q, kClipIntersection);
  Region either = combine(p, q, kClipUnion);
  const Measure mp = measure(p, box), mq = measure(q, box);
  const Measure mboth = measure(both, box), meither = measure(either, box);
  double expected = 0;
  switch (types.back()) {
    case kClipIntersection: expected = mboth.area; break;
    case kClipUnion: expected = meither.area; break;
    case kClipDifference: expected = mp.area - mboth.area; break;
    case kClipXor: expected = meither.area - mboth.area; break;
  }
  const double margin = kSampleTol + kGridStep;
  const double band = (mp.length + mq.length + mboth.length + meither.length) * margin;
  char line[240];
  std::snprintf(line, sizeof line,
                "|P| %.17g |Q| %.17g |P and Q| %.17g |P or Q| %.17g result %.17g band %.17g\n",
                mp.area, mq.area, mboth.area, meither.area, result.area, band);
  fuzzsupport::context() += line;
  fuzzsupport::check(std::fabs(mboth.area + meither.area - mp.area - mq.area) <= band,
                     "|P and Q| + |P or Q| = |P| + |Q|");
  fuzzsupport::check(std::fabs(result.area - expected) <= band + result.length * margin,
                     "the last pass gives the area its operation says");
}

// The result against the rings it was rebuilt from: the last pass's rings,
// before any arc is rebuilt, hold its area within one sampling band along
// both boundaries (a rebuilt arc lies within the chord tolerance of its
// chords, every vertex within a grid step of its ring's). That catches a
// rebuild wrong the same way in every result (an arc bulging to the wrong
// side, a run read as the whole circle, a hole nested as an island), which
// the other checks compare only with itself.
void checkRebuild(const clipper_glue::PassResult& last, const Measure& result) {
  double area = 0, length = 0;  // grid units
  for (const clipper_glue::RingForest::Node& node : last.forest.nodes) {
    if (node.contour == nullptr || node.contour->size() < 2) continue;
    const ClipperLib::Path& ring = *node.contour;
    area += ClipperLib::Area(ring);
    for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++)
      length += std::hypot(double(ring[i].X - ring[j].X), double(ring[i].Y - ring[j].Y));
  }
  area *= kGridStep * kGridStep;
  length *= kGridStep;
  const double band = (result.length + length) * (kSampleTol + kGridStep);
  char line[200];
  std::snprintf(line, sizeof line, "rings' area %.17g length %.17g, result %.17g, band %.17g\n",
                area, length, result.area, band);
  fuzzsupport::context() += line;
  fuzzsupport::check(std::fabs(result.area - area) <= band,
                     "the rebuilt result has the area of its rings");
}

// Containment: the clipper orients an outer loop counter-clockwise and its
// holes clockwise (by the sign of the loop's area), and each pass takes its
// subject (the first shape, then the running result) against the clip
// shapes of a run of equal types by the positive fill rule on their summed
// windings. Points farther than kClearance from every input loop are in the
// result exactly when the windings of the finely sampled inputs say so.
// Inputs with a loop of about no area (whose direction the clipper's own
// sampling may decide either way) are not checked.
struct Ring {
  std::vector<AcGePoint2d> pts;  // closed: the last point repeats the first
  int sign = 1;                  // +1 or -1: the direction the role needs
  Box box;                       // of pts: most test points lie far outside it
};
using Rings = std::vector<Ring>;  // outer loop first, then the holes

// Points closer than this to an input loop are not checked: the result's
// boundary lies within a few sampling bands of the true one (chords, grid,
// arcs rebuilt through grid points), drawing units.
constexpr double kClearance = 0.01;
// Sampling tolerance of the reference rings, drawing units.
constexpr double kFineTol = 1e-4;
constexpr int kContainmentPoints = 24;

// The shape's loops, sampled finely and signed by role; false when a loop
// has too little area for its direction to be sure.
bool asRings(GkShape& shape, Rings& out) {
  std::vector<GkCompositeCurve2d*> loops;
  shape.GetCompCurveList(loops);
  for (std::size_t i = 0; i < loops.size(); ++i) {
    Ring ring;
    loops[i]->GetSampleBuffer(ring.pts, kFineTol);
    if (ring.pts.size() < 2) return false;
    if (ring.pts.front().x != ring.pts.back().x || ring.pts.front().y != ring.pts.back().y)
      ring.pts.push_back(ring.pts.front());
    for (const AcGePoint2d& p : ring.pts) ring.box.add(p);
    double area2 = 0, length = 0;
    for (std::size_t k = 0; k + 1 < ring.pts.size(); ++k) {
      const AcGePoint2d &a = ring.pts[k], &b = ring.pts[k + 1];
      area2 += a.x * b.y - b.x * a.y;
      length += std::hypot(b.x - a.x, b.y - a.y);
    }
    if (!(std::fabs(area2 / 2) > length * kClearance)) return false;
    ring.sign = (area2 > 0) == (i == 0) ? 1 : -1;
    out.push_back(std::move(ring));
  }
  return true;
}

// Winding number of the ring about p (crossings of the horizontal ray to
// the right, counted by direction). Only called for points clear of every
// ring by kClearance, so a point beside or to the right of the ring's box
// crosses nothing.
int windingOf(const Ring& ring, const AcGePoint2d& p) {
  const std::vector<AcGePoint2d>& pts = ring.pts;
  if (p.y < ring.box.minY || p.y >= ring.box.maxY || p.x > ring.box.maxX) return 0;
  int w = 0;
  for (std::size_t k = 0; k + 1 < pts.size(); ++k) {
    const AcGePoint2d &a = pts[k], &b = pts[k + 1];
    const double side = (b.x - a.x) * (p.y - a.y) - (p.x - a.x) * (b.y - a.y);
    if (a.y <= p.y && b.y > p.y && side > 0) ++w;
    if (a.y > p.y && b.y <= p.y && side < 0) --w;
  }
  return w;
}

int winding(const Rings& shape, const AcGePoint2d& p) {
  int w = 0;
  for (const Ring& r : shape) w += r.sign * windingOf(r, p);
  return w;
}

// Whether p lies within d of the ring's polyline (a lower bound on the true
// loop's distance within kFineTol): squared distances, and a box test first,
// since most points are far from most rings.
bool within(const Ring& ring, const AcGePoint2d& p, double d) {
  if (!ring.box.contains(p, d)) return false;
  const std::vector<AcGePoint2d>& pts = ring.pts;
  const double d2 = d * d;
  for (std::size_t k = 0; k + 1 < pts.size(); ++k) {
    const AcGePoint2d &a = pts[k], &b = pts[k + 1];
    const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0;
    t = std::min(1.0, std::max(0.0, t));
    const double ex = p.x - a.x - t * dx, ey = p.y - a.y - t * dy;
    if (ex * ex + ey * ey <= d2) return true;
  }
  return false;
}

bool expectedIn(const std::vector<Rings>& shapes, const std::vector<GkClipType>& types,
                const AcGePoint2d& p) {
  bool in = winding(shapes[0], p) > 0;
  for (std::size_t i = 0; i < types.size();) {
    int w = 0;
    std::size_t j = i;
    for (; j < types.size() && types[j] == types[i]; ++j) w += winding(shapes[j + 1], p);
    const bool clip = w > 0;
    switch (types[i]) {
      case kClipIntersection: in = in && clip; break;
      case kClipUnion: in = in || clip; break;
      case kClipDifference: in = in && !clip; break;
      case kClipXor: in = in != clip; break;
    }
    i = j;
  }
  return in;
}

void checkContainment(const std::vector<Rings>& shapes, const std::vector<GkClipType>& types,
                      std::vector<GkShape*>& result, const Box& box, const uint8_t* data,
                      std::size_t size) {
  // The points follow from the bytes (FNV-1a, then xorshift), so a report
  // replays.
  uint64_t state = 1469598103934665603ull;
  for (std::size_t i = 0; i < size; ++i) state = (state ^ data[i]) * 1099511628211ull;
  auto next = [&state]() {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return static_cast<double>(state >> 11) / 9007199254740992.0;  // [0, 1)
  };
  for (int k = 0; k < kContainmentPoints; ++k) {
    const AcGePoint2d p(box.minX - 0.1 + next() * (box.maxX - box.minX + 0.2),
                        box.minY - 0.1 + next() * (box.maxY - box.minY + 0.2));
    bool clear = true;
    for (const Rings& shape : shapes) {
      for (const Ring& r : shape) clear = clear && !within(r, p, kClearance + kFineTol);
    }
    if (!clear) continue;
    bool in = false;
    for (GkShape* s : result) in = in || s->IsPointIn(p);
    const bool expected = expectedIn(shapes, types, p);
    if (in != expected) {
      char line[160];
      std::snprintf(line, sizeof line, "point (%.17g, %.17g) in the result %d, expected %d\n", p.x,
                    p.y, in, expected);
      fuzzsupport::context() += line;
    }
    fuzzsupport::check(in == expected, "points clear of the inputs are where the operations say");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const int shapes = in.ConsumeIntegralInRange(2, 6);
  std::vector<GkClipType> types;
  bool known = true;
  std::string& context = fuzzsupport::context();
  context = "types:";
  for (int i = 0; i + 1 < shapes; ++i) {
    const uint8_t t = in.ConsumeIntegral<uint8_t>();
    // Mostly the four operations, now and then a value outside them.
    const int value = t < 250 ? t % 4 : t - 254;
    known = known && value >= 0 && value <= 3;
    types.push_back(static_cast<GkClipType>(value));
    context += " " + std::to_string(value);
  }
  context += "\n";
  std::vector<std::unique_ptr<GkShape>> owned;
  std::vector<GkShape*> operands;
  Box box;
  for (int s = 0; s < shapes; ++s) {
    owned.push_back(std::make_unique<GkShape>());
    const int loops = in.ConsumeIntegralInRange(1, 3);
    for (int l = 0; l < loops; ++l) {
      context += "shape " + std::to_string(s) + " loop " + std::to_string(l) + ":\n";
      GkCompositeCurve2d* c = loop(in);
      context += describe(*c);
      addCurveBox(*c, box);
      owned.back()->AppendCompCurve(c);
    }
    operands.push_back(owned.back().get());
  }

  const int crossCheck = in.ConsumeIntegralInRange(0, 3);

  GkClipper clipper;
  clipper.SetShapeList(operands);
  std::vector<GkShape*> result;
  // For the rebuild check, the two steps of Execute with the rings kept
  // between them (the other three quarters of the inputs run Execute
  // itself).
  clipper_glue::PassResult rings;
  const bool rebuildCheck = known && crossCheck == 0;
  if (!rebuildCheck) {
    clipper.Execute(types, result);
  } else {
    try {  // as Execute: what ClipperLib throws is a failed call
      if (clipper_glue::ClipToForest(operands, types, rings))
        clipper_glue::ForestToShapes(rings.forest, result);
    } catch (...) {
      for (GkShape* s : result) delete s;
      result.clear();
      rings = clipper_glue::PassResult();
    }
  }
  std::vector<std::unique_ptr<GkShape>> results(result.begin(), result.end());
  if (!known) fuzzsupport::check(result.empty(), "an unknown clip type gives no result");
  const Measure a = checkResult(result, box);
  if (!known) return 0;
  std::vector<Rings> reference(operands.size());
  bool sure = true;
  for (std::size_t i = 0; i < operands.size() && sure; ++i)
    sure = asRings(*operands[i], reference[i]);
  if (sure) checkContainment(reference, types, result, box, data, size);
  if (rebuildCheck) {
    checkRebuild(rings, a);
    return 0;
  }
  if (crossCheck == 3) {
    // A closing run of equal types is one pass whose clip set sums the
    // windings of its shapes, not their regions: only a last pass of one
    // shape has Q as the last shape alone.
    if (types.size() == 1 || types[types.size() - 2] != types.back())
      checkIdentities(operands, types, a, box);
    return 0;
  }

  // The same input the other way; the switches are the library's test hooks
  // and are put back before anything is checked.
  if (crossCheck == 1) clipper_glue::SetPlainSweep(true);
  if (crossCheck == 2) {
    // With no byte left, 16 as before the size was drawn.
    const std::size_t strip = kCrossCheckStripVertices << in.ConsumeIntegralInRange(0, 3);
    context += "strips of " + std::to_string(strip) + "\n";
    clipper_glue::SetStripSize(kCrossCheckStripVertices, strip);
  }
  std::vector<GkShape*> other;
  clipper.Execute(types, other);
  clipper_glue::SetPlainSweep(false);
  clipper_glue::SetStripSize(0, 0);
  std::vector<std::unique_ptr<GkShape>> others(other.begin(), other.end());
  const Measure b = checkResult(other, box);
  const double band = (a.length + b.length) * (kSampleTol + kGridStep);
  if (!(std::fabs(a.area - b.area) <= band)) {
    char line[160];
    std::snprintf(line, sizeof line, "%s: area %.17g against %.17g, band %.17g\n",
                  crossCheck == 1 ? "plain sweep" : "small strips", a.area, b.area, band);
    context += line;
  }
  fuzzsupport::check(std::fabs(a.area - b.area) <= band,
                     "the short ways give the area of the other way");
  return 0;
}
