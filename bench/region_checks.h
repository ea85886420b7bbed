// Result checks for the region benchmarks: areas of loops and shapes (exact
// from the members, and through the library's own Area at the clipper's
// sampling tolerance), the pad-hole check of the board workload, and an exact
// point classification for the containment workload.
#pragma once

#include "workloads.h"

#include <algorithm>
#include <vector>

namespace bench {

// Chord tolerance the clipper samples with, and the integer grid step.
constexpr double kSampleTol = kClipperSampleTol;
constexpr double kGrid = kClipperGrid;

// Signed area enclosed by a closed loop of segments and arcs, from the
// members themselves (arcs contribute their exact circular part), positive
// counter-clockwise. Independent of any sampling.
double ExactLoopArea(GkCompositeCurve2d& loop);
// Area of a loop through the library's own Area() at kSampleTol.
double SampledLoopArea(GkCompositeCurve2d& loop);

struct AreaFigures {
  double exact = 0.0;    // from ExactLoopArea: outer minus holes
  double sampled = 0.0;  // from SampledLoopArea: outer minus holes
  int loops = 0;
  int arcs = 0;
  int segments = 0;
  bool orientationOk = true;  // every outer loop CCW, every hole CW
};
AreaFigures MeasureShapes(const std::vector<GkShape*>& shapes);

// Total boundary length of the board and the pads (for the error bound).
double BoardAndPadsPerimeter(const std::vector<Pad>& pads);

struct PadCheck {
  bool ok = false;
  int shapes = 0;
  int holes = 0;
  int fullCircleHoles = 0;  // holes made of exactly one full-circle arc
  int matched = 0;          // pads found exactly once within the tolerances
  double maxCentreError = 0.0;
  double maxRadiusError = 0.0;
};
// Every pad must come back as one full-circle hole with its centre and
// radius within `tol`; the single result shape has exactly one hole per pad.
PadCheck CheckPadHoles(const std::vector<GkShape*>& result, const std::vector<Pad>& pads,
                       double tol);

// Exact answer for "inside the board and outside every pad", or -1 when the
// point lies within `band` of a boundary (where the sampled region may
// legitimately differ).
class BoardMinusPadsOracle {
public:
  BoardMinusPadsOracle(const std::vector<Pad>& pads, double band);
  int Classify(const AcGePoint2d& p) const;

  // Calls visit(k) for every pad k whose centre lies in p's cell or one of
  // the eight around it; that includes every pad within band of p.
  template <typename Visit>
  void ForPadsNear(const AcGePoint2d& p, Visit visit) const {
    const int cell = CellOf(p);
    const int ci = cell % m_nx;
    const int cj = cell / m_nx;
    for (int j = std::max(0, cj - 1); j <= std::min(m_ny - 1, cj + 1); ++j) {
      for (int i = std::max(0, ci - 1); i <= std::min(m_nx - 1, ci + 1); ++i) {
        for (int k : m_cells[static_cast<std::size_t>(j * m_nx + i)]) visit(k);
      }
    }
  }

private:
  int CellOf(const AcGePoint2d& p) const;

  std::vector<Pad> m_pads;
  double m_band;
  double m_cellSize = 1.0;  // at least the largest pad radius plus band
  int m_nx = 1;
  int m_ny = 1;
  std::vector<std::vector<int>> m_cells;  // pad indices per cell, row-major
};

}  // namespace bench
