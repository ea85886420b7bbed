// Boolean operations on regions, each against ClipperLib alone,
// Boost.Geometry and GEOS on the same sampled paths, and point containment on
// a clipped board.
//
// For every clipping workload these figures are taken:
//   Execute      GkClipper::Execute, the whole operation;
//   ClipperLib   the ClipperLib passes alone (AddPaths and Execute, runs of
//                equal types merged exactly as Execute merges them) on paths
//                converted once beforehand;
//   Boost, GEOS  the same operation by Boost.Geometry and by GEOS (peers.h)
//                on those integer paths in drawing units (divided by the grid
//                scale), their geometries built outside the timed loop;
//   Sampling     the conversion of the operands into tagged integer paths;
//   Rebuild      ClipperLib's result tree back into shapes with arcs.
// The paths come from the library's own conversion (clipper_glue.h), so every
// baseline works on exactly what Execute hands ClipperLib.
//
// Result checks are made once per workload, outside the timed loop, and
// reported as counters: a benchmark that measured a wrong result shows it.
#include "arc_chords.h"
#include "peers.h"
#include "region_checks.h"
#include "workloads.h"

#include "clipper_glue.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace {

using bench::ShapeSet;

constexpr std::uint64_t kPadSeed = 0xb0a4d001;
constexpr std::uint64_t kTrackSeed = 0x7fac0002;
constexpr std::uint64_t kZoneSeed = 0x20e00003;
constexpr std::uint64_t kPointSeed = 0x9014e004;

enum class Kind { BoardMinusPads, TrackUnion, ZoneFill };

using Pass = clipper_glue::Operands::Pass;

// Converts the operands the way Execute does: every shape up front, one clip
// set per run of equal types.
void BuildPaths(const std::vector<GkShape*>& shapes, const std::vector<GkClipType>& types,
                ClipperLib::Paths& subject, std::vector<Pass>& passes) {
  clipper_glue::Operands ops;
  clipper_glue::BuildOperands(shapes, types, ops);
  subject.swap(ops.subject);
  passes.swap(ops.passes);
}

// Area and ring count of ClipperLib's result on the workload's paths.
struct PolygonFigures {
  double area = 0.0;
  int rings = 0;
};

struct ClipWorkload {
  ShapeSet shapes;
  std::vector<bench::Pad> pads;           // board workload only, for the hole check
  std::vector<bench::SourceCircle> caps;  // track end-cap circles, for the chord count
  std::vector<GkClipType> types;
  ClipperLib::Paths subject;
  std::vector<Pass> passes;
  double perimeter = 0.0;  // boundary length of the operands, for error bounds
  // The paths in drawing units for the peers: shape 0, and the clips of the
  // workload's single pass.
  std::vector<bench::Polygon> peerSubject;
  std::vector<bench::Polygon> peerClips;
  std::unique_ptr<PolygonFigures> clipperFigures;  // filled on first use
};

void RunClipperLib(const ClipWorkload& w, ClipperLib::PolyTree& tree) {
  ClipperLib::Paths current;
  const ClipperLib::Paths* subject = &w.subject;
  for (std::size_t p = 0; p < w.passes.size(); ++p) {
    ClipperLib::Clipper clipper;
    clipper.AddPaths(*subject, ClipperLib::ptSubject, true);
    clipper.AddPaths(w.passes[p].clip, ClipperLib::ptClip, true);
    const auto type = static_cast<ClipperLib::ClipType>(w.passes[p].type);
    if (p + 1 == w.passes.size()) {
      clipper.Execute(type, tree, ClipperLib::pftPositive, ClipperLib::pftPositive);
    } else {
      ClipperLib::Paths solution;
      clipper.Execute(type, solution, ClipperLib::pftPositive, ClipperLib::pftPositive);
      current.swap(solution);
      subject = &current;
    }
  }
}

// Paths as PathBuilder writes them (each outer ring counter-clockwise,
// followed by its clockwise holes) to polygons in drawing units.
std::vector<bench::Polygon> ToPolygons(const ClipperLib::Paths& paths) {
  std::vector<bench::Polygon> out;
  for (const ClipperLib::Path& path : paths) {
    if (path.size() < 3) continue;
    if (ClipperLib::Orientation(path) || out.empty()) out.emplace_back();
    out.back().emplace_back();
    bench::Ring& ring = out.back().back();
    ring.reserve(path.size());
    for (const ClipperLib::IntPoint& p : path) {
      ring.push_back({clipper_glue::FromInt(p.X), clipper_glue::FromInt(p.Y)});
    }
  }
  return out;
}

double TrackPerimeter(const bench::Track& t) {
  const double length = std::hypot(t.to.x - t.from.x, t.to.y - t.from.y);
  return 2.0 * length + 2.0 * bench::kPi * t.halfWidth;
}

std::unique_ptr<ClipWorkload> MakeWorkload(Kind kind, int n) {
  auto w = std::make_unique<ClipWorkload>();
  switch (kind) {
    case Kind::BoardMinusPads: {
      w->pads = bench::MakePads(n, kPadSeed);
      w->shapes.Add(bench::MakeBoard());
      for (const bench::Pad& pad : w->pads) w->shapes.Add(bench::MakePadShape(pad));
      w->types.assign(static_cast<std::size_t>(n), kClipDifference);
      w->perimeter = bench::BoardAndPadsPerimeter(w->pads);
      break;
    }
    case Kind::TrackUnion: {
      for (const bench::Track& t : bench::MakeTracks(n, kTrackSeed)) {
        w->shapes.Add(bench::MakeTrackShape(t));
        w->perimeter += TrackPerimeter(t);
        w->caps.push_back({t.from, t.halfWidth});
        w->caps.push_back({t.to, t.halfWidth});
      }
      w->types.assign(static_cast<std::size_t>(n - 1), kClipUnion);
      break;
    }
    case Kind::ZoneFill: {
      // The zone minus n pads and n tracks: one run of 2n differences.
      w->pads = bench::MakePads(n, kPadSeed);
      w->shapes.Add(bench::MakeZone(kZoneSeed));
      w->perimeter = bench::BoardAndPadsPerimeter(w->pads);
      for (const bench::Pad& pad : w->pads) w->shapes.Add(bench::MakePadShape(pad));
      for (const bench::Track& t : bench::MakeTracks(n, kTrackSeed)) {
        w->shapes.Add(bench::MakeTrackShape(t));
        w->perimeter += TrackPerimeter(t);
      }
      w->types.assign(w->shapes.owned.size() - 1, kClipDifference);
      break;
    }
  }
  BuildPaths(w->shapes.Pointers(), w->types, w->subject, w->passes);
  // Every workload is one run of equal types, hence one pass.
  w->peerSubject = ToPolygons(w->subject);
  w->peerClips = ToPolygons(w->passes.front().clip);
  return w;
}

// Workloads are built once per process (Google Benchmark calls each
// benchmark function several times).
ClipWorkload& Workload(Kind kind, int n) {
  static std::map<std::pair<Kind, int>, std::unique_ptr<ClipWorkload>> cache;
  auto& slot = cache[{kind, n}];
  if (!slot) slot = MakeWorkload(kind, n);
  return *slot;
}

void DestroyAll(std::vector<GkShape*>& shapes) {
  for (GkShape* s : shapes) delete s;
  shapes.clear();
}

// ClipperLib's result on the workload's paths, computed once.
const PolygonFigures& ClipperFigures(ClipWorkload& w) {
  if (w.clipperFigures) return *w.clipperFigures;
  ClipperLib::PolyTree tree;
  RunClipperLib(w, tree);
  auto f = std::make_unique<PolygonFigures>();
  for (ClipperLib::PolyNode* node = tree.GetFirst(); node != nullptr; node = node->GetNext()) {
    f->area += ClipperLib::Area(node->Contour);
  }
  f->area /= kClipperGridPerUnit * kClipperGridPerUnit;
  f->rings = tree.Total();
  w.clipperFigures = std::move(f);
  return *w.clipperFigures;
}

// Board minus pads: board area minus the sum of pi r^2.
double ExactBoardMinusPadsArea(const ClipWorkload& w) {
  double exact = bench::BoardArea();
  for (const bench::Pad& pad : w.pads) exact -= bench::kPi * pad.radius * pad.radius;
  return exact;
}

// A boundary moves by at most the sampling tolerance plus half a grid
// diagonal; Area() at the same tolerance adds at most 2/3 of a chord sagitta
// per unit length. Two tolerances per unit of boundary covers both.
double SamplingAreaBound(const ClipWorkload& w) { return 2.0 * bench::kSampleTol * w.perimeter; }

// Checks on one Execute result, against the ClipperLib-alone result of the
// same paths and, for the board, against the exact geometry.
void ReportChecks(benchmark::State& state, Kind kind, ClipWorkload& w) {
  GkClipper clipper;
  std::vector<GkShape*> operands = w.shapes.Pointers();
  clipper.SetShapeList(operands);
  std::vector<GkShape*> result;
  clipper.Execute(w.types, result);
  const bench::AreaFigures f = bench::MeasureShapes(result);
  const PolygonFigures& polygons = ClipperFigures(w);

  const double bound = SamplingAreaBound(w);
  state.counters["shapes"] = static_cast<double>(result.size());
  state.counters["loops"] = f.loops;
  state.counters["arcs"] = f.arcs;
  state.counters["segments"] = f.segments;
  state.counters["rings_match"] = f.loops == polygons.rings ? 1 : 0;
  state.counters["orientation_ok"] = f.orientationOk ? 1 : 0;
  state.counters["area"] = f.exact;
  state.counters["area_vs_clipperlib"] = f.exact - polygons.area;
  state.counters["area_bound"] = bound;
  bool ok =
      f.loops == polygons.rings && f.orientationOk && std::fabs(f.exact - polygons.area) <= bound;
  if (kind == Kind::TrackUnion) {
    // End points within two grid steps of a cap circle. Where the samples of
    // two caps of one circle interleave, ClipperLib adds the crossings of
    // their chords, up to a chord's sagitta (about a quarter of the sampling
    // tolerance) inside the circle: the second count also takes those.
    const bench::ChordCount cc =
        bench::CountArcChords(result, w.caps, bench::kSampleTol, 2.0 * bench::kGrid);
    const bench::ChordCount withCrossings = bench::CountArcChords(
        result, w.caps, bench::kSampleTol, 0.25 * bench::kSampleTol + bench::kGrid);
    state.counters["chords"] = cc.chords;
    state.counters["chords_per_arc"] = cc.PerArc();
    state.counters["chords_per_arc_crossings"] = withCrossings.PerArc();
  }
  if (kind == Kind::BoardMinusPads) {
    const double exact = ExactBoardMinusPadsArea(w);
    // Centre and radius of a rebuilt circle: within two grid steps.
    const bench::PadCheck pc = bench::CheckPadHoles(result, w.pads, 2.0 * bench::kGrid);
    state.counters["exact_area"] = exact;
    state.counters["area_err"] = f.sampled - exact;     // through Area at the sampling tolerance
    state.counters["area_err_arcs"] = f.exact - exact;  // from the rebuilt arcs
    state.counters["holes"] = pc.holes;
    state.counters["full_circle_holes"] = pc.fullCircleHoles;
    state.counters["pads_matched"] = pc.matched;
    state.counters["max_centre_err"] = pc.maxCentreError;
    state.counters["max_radius_err"] = pc.maxRadiusError;
    ok = ok && pc.ok && std::fabs(f.sampled - exact) <= bound;
  }
  state.counters["check_ok"] = ok ? 1 : 0;
  DestroyAll(result);
}

template <Kind kind>
void BM_Execute(benchmark::State& state) {
  ClipWorkload& w = Workload(kind, static_cast<int>(state.range(0)));
  GkClipper clipper;
  std::vector<GkShape*> operands = w.shapes.Pointers();
  clipper.SetShapeList(operands);
  std::vector<GkShape*> result;
  for (auto _ : state) {
    clipper.Execute(w.types, result);
    state.PauseTiming();
    DestroyAll(result);
    state.ResumeTiming();
  }
  ReportChecks(state, kind, w);
}

template <Kind kind>
void BM_ClipperLib(benchmark::State& state) {
  ClipWorkload& w = Workload(kind, static_cast<int>(state.range(0)));
  ClipperLib::PolyTree tree;
  for (auto _ : state) {
    RunClipperLib(w, tree);
  }
  state.counters["rings"] = tree.Total();
}

bench::PeerPlan PlanOf(Kind kind) {
  switch (kind) {
    case Kind::BoardMinusPads: return bench::PeerPlan::DifferenceOfDisjoint;
    case Kind::TrackUnion: return bench::PeerPlan::UnionOfAll;
    case Kind::ZoneFill: return bench::PeerPlan::DifferenceOfUnion;
  }
  return bench::PeerPlan::UnionOfAll;
}

// Checks on a peer's result: its area against ClipperLib's result on the
// same polygons (both are exact polygon booleans up to ClipperLib's rounding
// of new vertices to the grid, so they agree within a grid step per unit of
// boundary), and for the board against the exact value within the sampling
// bound.
void ReportPeerChecks(benchmark::State& state, Kind kind, ClipWorkload& w,
                      const bench::PeerFigures& f) {
  const double polygonArea = ClipperFigures(w).area;
  const double gridBound = bench::kGrid * w.perimeter;
  state.counters["area"] = f.area;
  state.counters["vertices"] = static_cast<double>(f.vertices);
  state.counters["polygons"] = f.polygons;
  state.counters["rings"] = f.rings;
  state.counters["area_vs_clipperlib"] = f.area - polygonArea;
  state.counters["area_bound_grid"] = gridBound;
  bool ok = std::fabs(f.area - polygonArea) <= gridBound;
  if (kind == Kind::BoardMinusPads) {
    const double exact = ExactBoardMinusPadsArea(w);
    state.counters["exact_area"] = exact;
    state.counters["area_err"] = f.area - exact;
    ok = ok && std::fabs(f.area - exact) <= SamplingAreaBound(w);
  }
  state.counters["check_ok"] = ok ? 1 : 0;
}

// One peer on the workload's paths: geometries built before the loop, the
// previous result dropped outside the timing, the boolean operation timed.
template <Kind kind, bench::PeerFactory make>
void BM_Peer(benchmark::State& state) {
  ClipWorkload& w = Workload(kind, static_cast<int>(state.range(0)));
  const std::unique_ptr<bench::Peer> peer = make(w.peerSubject, w.peerClips, PlanOf(kind));
  for (auto _ : state) {
    state.PauseTiming();
    peer->Clear();
    state.ResumeTiming();
    if (!peer->Run()) {
      state.SkipWithError(peer->Error().c_str());
      return;
    }
  }
  ReportPeerChecks(state, kind, w, peer->Figures());
}

template <Kind kind>
void BM_Sampling(benchmark::State& state) {
  ClipWorkload& w = Workload(kind, static_cast<int>(state.range(0)));
  const std::vector<GkShape*> operands = w.shapes.Pointers();
  ClipperLib::Paths subject;
  std::vector<Pass> passes;
  for (auto _ : state) {
    BuildPaths(operands, w.types, subject, passes);
  }
  std::size_t points = subject.size();
  for (const ClipperLib::Path& p : subject) points += p.size();
  for (const Pass& pass : passes)
    for (const ClipperLib::Path& p : pass.clip) points += p.size();
  state.counters["points"] = static_cast<double>(points);
}

template <Kind kind>
void BM_Rebuild(benchmark::State& state) {
  ClipWorkload& w = Workload(kind, static_cast<int>(state.range(0)));
  ClipperLib::PolyTree tree;
  RunClipperLib(w, tree);
  std::vector<GkShape*> result;
  for (auto _ : state) {
    clipper_glue::TreeToShapes(tree, result);
    state.PauseTiming();
    DestroyAll(result);
    state.ResumeTiming();
  }
}

double MinOf(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

// Three repetitions, reported by their least disturbed (smallest) time: the
// machine is shared and other load only ever adds time. The 10,000 cases take
// a second or more per call and run a single iteration per repetition.
void Repeat(benchmark::internal::Benchmark* b) {
  b->Unit(benchmark::kMillisecond)->Repetitions(3)->ComputeStatistics("min", MinOf);
}

void Sizes(benchmark::internal::Benchmark* b) {
  Repeat(b);
  b->Arg(100)->Arg(1000)->Arg(10000);
}

// Boost.Geometry's union of 10,000 tracks takes about 9 s a call: one
// repetition keeps the suite within a few minutes.
void SmallSizes(benchmark::internal::Benchmark* b) {
  Repeat(b);
  b->Arg(100)->Arg(1000);
}
void OnceAt10k(benchmark::internal::Benchmark* b) {
  b->Unit(benchmark::kMillisecond)->Repetitions(1)->Arg(10000);
}

BENCHMARK_TEMPLATE(BM_Execute, Kind::BoardMinusPads)->Apply(Sizes)->Name("BoardMinusPads/Execute");
BENCHMARK_TEMPLATE(BM_ClipperLib, Kind::BoardMinusPads)
    ->Apply(Sizes)
    ->Name("BoardMinusPads/ClipperLib");
BENCHMARK_TEMPLATE(BM_Peer, Kind::BoardMinusPads, bench::MakeBoostPeer)
    ->Apply(Sizes)
    ->Name("BoardMinusPads/Boost");
BENCHMARK_TEMPLATE(BM_Peer, Kind::BoardMinusPads, bench::MakeGeosPeer)
    ->Apply(Sizes)
    ->Name("BoardMinusPads/GEOS");
BENCHMARK_TEMPLATE(BM_Sampling, Kind::BoardMinusPads)
    ->Apply(Sizes)
    ->Name("BoardMinusPads/Sampling");
BENCHMARK_TEMPLATE(BM_Rebuild, Kind::BoardMinusPads)->Apply(Sizes)->Name("BoardMinusPads/Rebuild");
BENCHMARK_TEMPLATE(BM_Execute, Kind::TrackUnion)->Apply(Sizes)->Name("TrackUnion/Execute");
BENCHMARK_TEMPLATE(BM_ClipperLib, Kind::TrackUnion)->Apply(Sizes)->Name("TrackUnion/ClipperLib");
BENCHMARK_TEMPLATE(BM_Peer, Kind::TrackUnion, bench::MakeBoostPeer)
    ->Apply(SmallSizes)
    ->Name("TrackUnion/Boost");
BENCHMARK_TEMPLATE(BM_Peer, Kind::TrackUnion, bench::MakeBoostPeer)
    ->Apply(OnceAt10k)
    ->Name("TrackUnion/Boost");
BENCHMARK_TEMPLATE(BM_Peer, Kind::TrackUnion, bench::MakeGeosPeer)
    ->Apply(Sizes)
    ->Name("TrackUnion/GEOS");
BENCHMARK_TEMPLATE(BM_Sampling, Kind::TrackUnion)->Apply(Sizes)->Name("TrackUnion/Sampling");
BENCHMARK_TEMPLATE(BM_Rebuild, Kind::TrackUnion)->Apply(Sizes)->Name("TrackUnion/Rebuild");
BENCHMARK_TEMPLATE(BM_Execute, Kind::ZoneFill)->Apply(Repeat)->Arg(1000)->Name("ZoneFill/Execute");
BENCHMARK_TEMPLATE(BM_ClipperLib, Kind::ZoneFill)
    ->Apply(Repeat)
    ->Arg(1000)
    ->Name("ZoneFill/ClipperLib");
BENCHMARK_TEMPLATE(BM_Peer, Kind::ZoneFill, bench::MakeBoostPeer)
    ->Apply(Repeat)
    ->Arg(1000)
    ->Name("ZoneFill/Boost");
BENCHMARK_TEMPLATE(BM_Peer, Kind::ZoneFill, bench::MakeGeosPeer)
    ->Apply(Repeat)
    ->Arg(1000)
    ->Name("ZoneFill/GEOS");
BENCHMARK_TEMPLATE(BM_Sampling, Kind::ZoneFill)
    ->Apply(Repeat)
    ->Arg(1000)
    ->Name("ZoneFill/Sampling");
BENCHMARK_TEMPLATE(BM_Rebuild, Kind::ZoneFill)->Apply(Repeat)->Arg(1000)->Name("ZoneFill/Rebuild");

// ---- point in region ----

constexpr int kPointCount = 1000000;
constexpr int kPointPads = 1000;
// Points closer than this to a boundary may fall either way on the sampled,
// grid-snapped region: twice the clipper's sampling tolerance.
constexpr double kBoundaryBand = 2.0 * bench::kSampleTol;

struct PointWorkload {
  ShapeSet region;  // the board minus 1,000 pads, as Execute returned it
  std::vector<AcGePoint2d> points;
  std::vector<signed char> expected;  // oracle: 1 in, 0 out, -1 near a boundary
};

PointWorkload& ThePointWorkload() {
  static std::unique_ptr<PointWorkload> pw;
  if (pw) return *pw;
  pw = std::make_unique<PointWorkload>();
  ClipWorkload& w = Workload(Kind::BoardMinusPads, kPointPads);
  GkClipper clipper;
  std::vector<GkShape*> operands = w.shapes.Pointers();
  clipper.SetShapeList(operands);
  std::vector<GkShape*> result;
  clipper.Execute(w.types, result);
  for (GkShape* s : result) pw->region.Add(s);
  bench::Rng rng(kPointSeed);
  const bench::BoardMinusPadsOracle oracle(w.pads, kBoundaryBand);
  pw->points.reserve(kPointCount);
  pw->expected.reserve(kPointCount);
  for (int k = 0; k < kPointCount; ++k) {
    const AcGePoint2d p(rng.Uniform(-1.0, bench::kBoardWidth + 1.0),
                        rng.Uniform(-1.0, bench::kBoardHeight + 1.0));
    pw->points.push_back(p);
    pw->expected.push_back(static_cast<signed char>(oracle.Classify(p)));
  }
  return *pw;
}

void ReportAgreement(benchmark::State& state, const PointWorkload& pw,
                     const std::vector<signed char>& answers) {
  std::int64_t wrong = 0;
  std::int64_t banded = 0;
  std::int64_t inside = 0;
  for (std::size_t k = 0; k < answers.size(); ++k) {
    if (answers[k] == 1) ++inside;
    if (pw.expected[k] < 0) {
      ++banded;
    } else if (pw.expected[k] != answers[k]) {
      ++wrong;
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kPointCount);
  state.counters["inside"] = static_cast<double>(inside);
  state.counters["near_boundary"] = static_cast<double>(banded);
  state.counters["wrong"] = static_cast<double>(wrong);
  state.counters["check_ok"] = wrong == 0 ? 1 : 0;
}

void BM_PointInShape(benchmark::State& state) {
  PointWorkload& pw = ThePointWorkload();
  const std::vector<GkShape*> region = pw.region.Pointers();
  std::vector<signed char> answers(pw.points.size());
  for (auto _ : state) {
    for (std::size_t k = 0; k < pw.points.size(); ++k) {
      signed char in = 0;
      for (GkShape* s : region) {
        if (s->IsPointIn(pw.points[k])) {
          in = 1;
          break;
        }
      }
      answers[k] = in;
    }
  }
  ReportAgreement(state, pw, answers);
}

// The same question answered by ClipperLib's PointInPolygon on the region's
// integer paths, as its users would write it: box of the outer ring, the
// outer ring, then a scan of the holes, each behind its own box test.
struct IntRing {
  ClipperLib::Path path;
  ClipperLib::cInt minX, minY, maxX, maxY;
};

std::vector<std::vector<IntRing>> RegionRings(const std::vector<GkShape*>& region) {
  std::vector<std::vector<IntRing>> out;
  clipper_glue::PathBuilder builder;
  for (GkShape* s : region) {
    ClipperLib::Paths paths;
    builder.AddShape(s, paths);
    out.emplace_back();
    for (ClipperLib::Path& p : paths) {
      IntRing ring{std::move(p), 0, 0, 0, 0};
      ring.minX = ring.maxX = ring.path.front().X;
      ring.minY = ring.maxY = ring.path.front().Y;
      for (const ClipperLib::IntPoint& q : ring.path) {
        ring.minX = std::min(ring.minX, q.X);
        ring.maxX = std::max(ring.maxX, q.X);
        ring.minY = std::min(ring.minY, q.Y);
        ring.maxY = std::max(ring.maxY, q.Y);
      }
      out.back().push_back(std::move(ring));
    }
  }
  return out;
}

bool InRingBox(const IntRing& r, const ClipperLib::IntPoint& p) {
  return p.X >= r.minX && p.X <= r.maxX && p.Y >= r.minY && p.Y <= r.maxY;
}

void BM_PointInPathsClipperLib(benchmark::State& state) {
  PointWorkload& pw = ThePointWorkload();
  const std::vector<std::vector<IntRing>> rings = RegionRings(pw.region.Pointers());
  std::vector<signed char> answers(pw.points.size());
  for (auto _ : state) {
    for (std::size_t k = 0; k < pw.points.size(); ++k) {
      const ClipperLib::IntPoint p(clipper_glue::ToInt(pw.points[k].x),
                                   clipper_glue::ToInt(pw.points[k].y));
      signed char in = 0;
      for (const std::vector<IntRing>& shape : rings) {
        if (!InRingBox(shape[0], p) || ClipperLib::PointInPolygon(p, shape[0].path) == 0) continue;
        bool inHole = false;
        for (std::size_t h = 1; h < shape.size() && !inHole; ++h) {
          inHole = InRingBox(shape[h], p) && ClipperLib::PointInPolygon(p, shape[h].path) != 0;
        }
        if (!inHole) {
          in = 1;
          break;
        }
      }
      answers[k] = in;
    }
  }
  ReportAgreement(state, pw, answers);
}

BENCHMARK(BM_PointInShape)
    ->Name("PointInRegion/IsPointIn")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_PointInPathsClipperLib)
    ->Name("PointInRegion/ClipperLib")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
