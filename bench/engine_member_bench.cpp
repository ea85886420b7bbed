// Member queries and arc sampling, in nanoseconds per call or per point.
//
// Query inputs are 4096 seeded random pairs in a 10 x 10 box, walked in turn,
// so the branch mix (no contact, one point, two points) is that of random
// geometry; the "hits" counter is the fraction of calls that found a contact.
// Sampling compares the library sine and cosine with the table-driven variant
// at the same point count.
#include "workloads.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <bitset>
#include <cstdint>
#include <vector>

namespace {

constexpr int kPairs = 4096;
constexpr std::uint64_t kSeedA = 0x5eed0001;
constexpr std::uint64_t kSeedB = 0x5eed0002;

// Random inputs are built once per process and shared by all benchmarks.
struct Inputs {
  std::vector<AcGeLineSeg2d> segsA = bench::MakeSegments(kPairs, kSeedA);
  std::vector<AcGeLineSeg2d> segsB = bench::MakeSegments(kPairs, kSeedB);
  std::vector<AcGeCircArc2d> arcsA = bench::MakeArcs(kPairs, kSeedA);
  std::vector<AcGeCircArc2d> arcsB = bench::MakeArcs(kPairs, kSeedB);
  std::vector<AcGePoint2d> points = bench::MakePoints(kPairs, kSeedB);
};

Inputs& TheInputs() {
  static Inputs inputs;
  return inputs;
}

// Runs call(i) for i = 0, 1, ... (mod kPairs), counting true results.
template <typename Call>
void RunPairs(benchmark::State& state, Call call) {
  std::int64_t hits = 0;
  std::size_t i = 0;
  for (auto _ : state) {
    if (call(i)) ++hits;
    i = (i + 1) % kPairs;
  }
  state.counters["hits"] = static_cast<double>(hits) / static_cast<double>(state.iterations());
}

const GkTolerance& Tol() { return GkGeoLib::g_tol; }

void BM_SegSegIntersect(benchmark::State& state) {
  Inputs& in = TheInputs();
  RunPairs(state, [&](std::size_t i) {
    int count = 0;
    std::bitset<7> flags;
    AcGePoint2d p1, p2;
    const bool hit = in.segsA[i].intersectWith(in.segsB[i], count, flags, p1, p2, Tol());
    benchmark::DoNotOptimize(p1);
    return hit;
  });
}

void BM_ArcSegIntersect(benchmark::State& state) {
  Inputs& in = TheInputs();
  RunPairs(state, [&](std::size_t i) {
    int count = 0;
    AcGePoint2d p1, p2;
    const bool hit = in.arcsA[i].intersectWith(in.segsB[i], count, p1, p2, Tol());
    benchmark::DoNotOptimize(p1);
    return hit;
  });
}

void BM_ArcArcIntersect(benchmark::State& state) {
  Inputs& in = TheInputs();
  RunPairs(state, [&](std::size_t i) {
    int count = 0;
    AcGePoint2d p1, p2;
    const bool hit = in.arcsA[i].intersectWith(in.arcsB[i], count, p1, p2, Tol());
    benchmark::DoNotOptimize(p1);
    return hit;
  });
}

void BM_ArcArcIntersectFlags(benchmark::State& state) {
  Inputs& in = TheInputs();
  RunPairs(state, [&](std::size_t i) {
    int count = 0;
    std::bitset<7> flags;
    AcGePoint2d p1, p2;
    const bool hit = in.arcsA[i].intersectWith(in.arcsB[i], count, flags, p1, p2, Tol());
    benchmark::DoNotOptimize(p1);
    return hit;
  });
}

// For the distance forms a "hit" is a distance of zero (the curves touch).
void BM_ArcDistanceToPoint(benchmark::State& state) {
  Inputs& in = TheInputs();
  RunPairs(state, [&](std::size_t i) {
    const double d = in.arcsA[i].distanceTo(in.points[i], Tol());
    benchmark::DoNotOptimize(d);
    return d == 0.0;
  });
}

void BM_ArcDistanceToSeg(benchmark::State& state) {
  Inputs& in = TheInputs();
  RunPairs(state, [&](std::size_t i) {
    const double d = in.arcsA[i].distanceTo(in.segsB[i], Tol());
    benchmark::DoNotOptimize(d);
    return d == 0.0;
  });
}

void BM_ArcDistanceToArc(benchmark::State& state) {
  Inputs& in = TheInputs();
  RunPairs(state, [&](std::size_t i) {
    const double d = in.arcsA[i].distanceTo(in.arcsB[i], Tol());
    benchmark::DoNotOptimize(d);
    return d == 0.0;
  });
}

double MinOf(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

// Three repetitions, reported by their smallest time: the machine is shared
// and other load only ever adds time.
void Repeat(benchmark::internal::Benchmark* b) {
  b->Repetitions(3)->ComputeStatistics("min", MinOf);
}

BENCHMARK(BM_SegSegIntersect)->Apply(Repeat);
BENCHMARK(BM_ArcSegIntersect)->Apply(Repeat);
BENCHMARK(BM_ArcArcIntersect)->Apply(Repeat);
BENCHMARK(BM_ArcArcIntersectFlags)->Apply(Repeat);
BENCHMARK(BM_ArcDistanceToPoint)->Apply(Repeat);
BENCHMARK(BM_ArcDistanceToSeg)->Apply(Repeat);
BENCHMARK(BM_ArcDistanceToArc)->Apply(Repeat);

// ---- sampling ----

// Sums what it receives so that no point can be optimised away.
class SumSink : public GkSampleXY {
public:
  void AddXY(const double& x, const double& y) override {
    sum += x + y;
    ++count;
  }
  double sum = 0.0;
  std::int64_t count = 0;
};

constexpr int kSampleArcs = 256;
// Points per arc; a circle gives 8 * int(count / 8 + 1) - 7 of them.
constexpr int kSampleCount = 64;

std::vector<AcGeCircArc2d> SampledCurves(bool circles) {
  std::vector<AcGeCircArc2d> arcs = bench::MakeArcs(kSampleArcs, kSeedA);
  if (circles) {
    for (AcGeCircArc2d& arc : arcs) arc.set(arc.center(), arc.radius());
  }
  return arcs;
}

// range(0): 1 for full circles. Items are points, so items_per_second is the
// point rate.
template <typename Sample>
void RunSampling(benchmark::State& state, Sample sample) {
  std::vector<AcGeCircArc2d> arcs = SampledCurves(state.range(0) == 1);
  SumSink sink;
  std::size_t i = 0;
  for (auto _ : state) {
    sample(arcs[i], sink);
    i = (i + 1) % arcs.size();
  }
  benchmark::DoNotOptimize(sink.sum);
  state.SetItemsProcessed(sink.count);
  state.counters["points_per_call"] =
      static_cast<double>(sink.count) / static_cast<double>(state.iterations());
}

void BM_SampleXY(benchmark::State& state) {
  // Through a const reference: the count form is const, the tolerance form
  // is not, and a non-const call would be ambiguous.
  RunSampling(state, [](const AcGeCircArc2d& arc, SumSink& sink) {
    arc.GetSamplePointXY(sink, kSampleCount);
  });
}

void BM_FastSampleXY(benchmark::State& state) {
  RunSampling(state, [](const AcGeCircArc2d& arc, SumSink& sink) {
    arc.GetFastSamplePointXY(sink, kSampleCount);
  });
}

// The tolerance-driven form at the clipper's chord tolerance, for scale.
void BM_SampleXYTol(benchmark::State& state) {
  RunSampling(state, [](AcGeCircArc2d& arc, SumSink& sink) {
    arc.GetSamplePointXY(sink, kClipperSampleTol);
  });
}

BENCHMARK(BM_SampleXY)->Apply(Repeat)->Arg(0)->Arg(1);
BENCHMARK(BM_FastSampleXY)->Apply(Repeat)->Arg(0)->Arg(1);
BENCHMARK(BM_SampleXYTol)->Apply(Repeat)->Arg(0)->Arg(1);

}  // namespace
