// Seeded, reproducible inputs for the geometry benchmarks: a rounded board,
// round pads that never overlap, capsule tracks laid as random-walk nets, a
// zone with holes, and random segments and arcs for the member queries.
//
// Units are drawing units. The board is 100 x 80 with its lower-left corner
// at the origin; pads and tracks stay inside [5, 95] x [5, 75], clear of the
// rounded corners, so the board outline is never cut.
#pragma once

#include <engine/engine.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace bench {

// The double nearest pi.
constexpr double kPi = 3.141592653589793;

// Board outline and the inner area that pads and tracks keep to.
constexpr double kBoardWidth = 100.0;
constexpr double kBoardHeight = 80.0;
constexpr double kBoardCornerRadius = 5.0;
constexpr double kInnerMin = 5.0;
constexpr double kInnerMaxX = 95.0;
constexpr double kInnerMaxY = 75.0;

// splitmix64: the same numbers on every platform and standard library.
class Rng {
public:
  explicit Rng(std::uint64_t seed) : m_state(seed) {}
  std::uint64_t Next();
  // Uniform in [lo, hi).
  double Uniform(double lo, double hi);
  // Uniform integer in [0, n).
  int Below(int n);

private:
  std::uint64_t m_state;
};

struct Pad {
  AcGePoint2d centre;
  double radius;
};

struct Track {
  AcGePoint2d from;
  AcGePoint2d to;
  double halfWidth;
};

// Owning list of shapes, handed to GkClipper as raw pointers.
struct ShapeSet {
  std::vector<std::unique_ptr<GkShape>> owned;
  std::vector<GkShape*> Pointers() const;
  void Add(GkShape* shape) { owned.emplace_back(shape); }
};

// Counter-clockwise rectangle [x0, x1] x [y0, y1] with corner arcs of radius rc.
GkCompositeCurve2d* RoundedRectLoop(double x0, double y0, double x1, double y1, double rc);
// Exact enclosed area of that loop.
double RoundedRectArea(double x0, double y0, double x1, double y1, double rc);
// The 100 x 80 board.
GkShape* MakeBoard();
double BoardArea();

// n pads on a jittered grid over the inner area, one per cell, with a gap to
// the cell border so that no two pads touch. Deterministic for (n, seed).
std::vector<Pad> MakePads(int n, std::uint64_t seed);
// One pad: a loop of one full-circle arc.
GkShape* MakePadShape(const Pad& pad);

// n tracks as random-walk nets of about 20 tracks each: every track starts
// where the previous one of its net ended, in one of eight directions, so the
// end caps of consecutive tracks overlap. Deterministic for (n, seed).
std::vector<Track> MakeTracks(int n, std::uint64_t seed);
// Capsule: two straight sides and two half-circle end caps, counter-clockwise.
GkShape* MakeTrackShape(const Track& track);

// The copper zone: a rounded rectangle larger than the board with square
// and round keep-out holes inside the inner area.
GkShape* MakeZone(std::uint64_t seed);

// Random members for the query benchmarks, inside a 10 x 10 box.
std::vector<AcGeLineSeg2d> MakeSegments(int n, std::uint64_t seed);
// Arcs with radius 0.5 to 3, any start angle, sweep 0.2 to 2pi - 0.2, either
// direction.
std::vector<AcGeCircArc2d> MakeArcs(int n, std::uint64_t seed);
std::vector<AcGePoint2d> MakePoints(int n, std::uint64_t seed);

}  // namespace bench
