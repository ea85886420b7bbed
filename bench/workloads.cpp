#include "workloads.h"

#include <algorithm>
#include <cmath>

namespace bench {

namespace {

// Tracks per net and the track length range.
constexpr int kTracksPerNet = 20;
constexpr double kTrackMinLength = 1.0;
constexpr double kTrackMaxLength = 4.0;

bool InInner(const AcGePoint2d& p) {
  return p.x >= kInnerMin && p.x <= kInnerMaxX && p.y >= kInnerMin && p.y <= kInnerMaxY;
}

}  // namespace

std::uint64_t Rng::Next() {
  std::uint64_t z = (m_state += 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

double Rng::Uniform(double lo, double hi) {
  const double unit = static_cast<double>(Next() >> 11) * 0x1.0p-53;
  return lo + (hi - lo) * unit;
}

int Rng::Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }

std::vector<GkShape*> ShapeSet::Pointers() const {
  std::vector<GkShape*> out;
  out.reserve(owned.size());
  for (const auto& shape : owned) out.push_back(shape.get());
  return out;
}

GkCompositeCurve2d* RoundedRectLoop(double x0, double y0, double x1, double y1, double rc) {
  // Corner arcs first, counter-clockwise from the lower right; the straight
  // sides join each arc's end point to the next arc's start point.
  const AcGeCircArc2d corners[4] = {
      AcGeCircArc2d(AcGePoint2d(x1 - rc, y0 + rc), rc, 1.5 * kPi, 2.0 * kPi, true),
      AcGeCircArc2d(AcGePoint2d(x1 - rc, y1 - rc), rc, 0.0, 0.5 * kPi, true),
      AcGeCircArc2d(AcGePoint2d(x0 + rc, y1 - rc), rc, 0.5 * kPi, kPi, true),
      AcGeCircArc2d(AcGePoint2d(x0 + rc, y0 + rc), rc, kPi, 1.5 * kPi, true)};
  auto* loop = new GkCompositeCurve2d();
  for (int i = 0; i < 4; ++i) {
    loop->append(new AcGeCircArc2d(corners[i]));
    const AcGeCircArc2d& next = corners[(i + 1) % 4];
    loop->append(new AcGeLineSeg2d(corners[i].endPoint(), next.startPoint()));
  }
  return loop;
}

double RoundedRectArea(double x0, double y0, double x1, double y1, double rc) {
  return (x1 - x0) * (y1 - y0) - (4.0 - kPi) * rc * rc;
}

GkShape* MakeBoard() {
  auto* board = new GkShape();
  board->AppendCompCurve(RoundedRectLoop(0.0, 0.0, kBoardWidth, kBoardHeight, kBoardCornerRadius));
  return board;
}

double BoardArea() {
  return RoundedRectArea(0.0, 0.0, kBoardWidth, kBoardHeight, kBoardCornerRadius);
}

std::vector<Pad> MakePads(int n, std::uint64_t seed) {
  Rng rng(seed);
  const double width = kInnerMaxX - kInnerMin;
  const double height = kInnerMaxY - kInnerMin;
  const int cols = std::max(1, static_cast<int>(std::ceil(std::sqrt(n * width / height))));
  const int rows = (n + cols - 1) / cols;
  const double cw = width / cols;
  const double ch = height / rows;
  const double cell = std::min(cw, ch);
  std::vector<Pad> pads;
  pads.reserve(static_cast<std::size_t>(n));
  for (int k = 0; k < n; ++k) {
    const int i = k % cols;
    const int j = k / cols;
    Pad pad;
    pad.radius = rng.Uniform(0.2, 0.4) * cell;
    // Keep 5% of the cell between the pad and the cell border.
    const double slackX = 0.5 * cw - pad.radius - 0.05 * cell;
    const double slackY = 0.5 * ch - pad.radius - 0.05 * cell;
    pad.centre = AcGePoint2d(kInnerMin + (i + 0.5) * cw + rng.Uniform(-slackX, slackX),
                             kInnerMin + (j + 0.5) * ch + rng.Uniform(-slackY, slackY));
    pads.push_back(pad);
  }
  return pads;
}

GkShape* MakePadShape(const Pad& pad) {
  auto* loop = new GkCompositeCurve2d();
  loop->append(new AcGeCircArc2d(pad.centre, pad.radius));
  auto* shape = new GkShape();
  shape->AppendCompCurve(loop);
  return shape;
}

std::vector<Track> MakeTracks(int n, std::uint64_t seed) {
  Rng rng(seed);
  static const double kHalfWidths[3] = {0.1, 0.15, 0.25};
  std::vector<Track> tracks;
  tracks.reserve(static_cast<std::size_t>(n));
  AcGePoint2d at;
  double halfWidth = 0.1;
  for (int k = 0; k < n; ++k) {
    if (k % kTracksPerNet == 0) {
      at = AcGePoint2d(rng.Uniform(kInnerMin, kInnerMaxX), rng.Uniform(kInnerMin, kInnerMaxY));
      halfWidth = kHalfWidths[rng.Below(3)];
    }
    // One of eight directions; turn back towards the middle when the walk
    // would leave the inner area.
    AcGePoint2d to;
    for (int attempt = 0;; ++attempt) {
      const double angle = rng.Below(8) * 0.25 * kPi;
      const double length = rng.Uniform(kTrackMinLength, kTrackMaxLength);
      to = AcGePoint2d(at.x + length * std::cos(angle), at.y + length * std::sin(angle));
      if (InInner(to)) break;
      if (attempt == 16) {
        to = AcGePoint2d(0.5 * (at.x + 50.0), 0.5 * (at.y + 40.0));
        break;
      }
    }
    tracks.push_back(Track{at, to, halfWidth});
    at = to;
  }
  return tracks;
}

GkShape* MakeTrackShape(const Track& track) {
  const AcGeVector2d d = track.to - track.from;
  const double heading = std::atan2(d.y, d.x);
  const double h = track.halfWidth;
  // Cap at the far end from the right side round to the left side, then the
  // cap at the near end back to the right side; both counter-clockwise.
  const AcGeCircArc2d farCap(track.to, h, heading - 0.5 * kPi, heading + 0.5 * kPi, true);
  const AcGeCircArc2d nearCap(track.from, h, heading + 0.5 * kPi, heading + 1.5 * kPi, true);
  auto* loop = new GkCompositeCurve2d();
  loop->append(new AcGeLineSeg2d(nearCap.endPoint(), farCap.startPoint()));
  loop->append(new AcGeCircArc2d(farCap));
  loop->append(new AcGeLineSeg2d(farCap.endPoint(), nearCap.startPoint()));
  loop->append(new AcGeCircArc2d(nearCap));
  auto* shape = new GkShape();
  shape->AppendCompCurve(loop);
  return shape;
}

GkShape* MakeZone(std::uint64_t seed) {
  Rng rng(seed);
  auto* zone = new GkShape();
  zone->AppendCompCurve(RoundedRectLoop(-5.0, -5.0, 105.0, 85.0, 3.0));
  // Keep-outs on a coarse 4 x 3 grid, one per cell, alternately square
  // (clockwise, as a hole runs) and round.
  for (int j = 0; j < 3; ++j) {
    for (int i = 0; i < 4; ++i) {
      const double cx = 15.0 + 23.0 * i + rng.Uniform(-3.0, 3.0);
      const double cy = 15.0 + 25.0 * j + rng.Uniform(-3.0, 3.0);
      const double s = rng.Uniform(1.5, 4.0);
      auto* hole = new GkCompositeCurve2d();
      if ((i + j) % 2 == 0) {
        const AcGePoint2d c[4] = {AcGePoint2d(cx - s, cy - s), AcGePoint2d(cx - s, cy + s),
                                  AcGePoint2d(cx + s, cy + s), AcGePoint2d(cx + s, cy - s)};
        for (int k = 0; k < 4; ++k) hole->append(new AcGeLineSeg2d(c[k], c[(k + 1) % 4]));
      } else {
        hole->append(new AcGeCircArc2d(AcGePoint2d(cx, cy), s));
      }
      zone->AppendCompCurve(hole);
    }
  }
  return zone;
}

std::vector<AcGeLineSeg2d> MakeSegments(int n, std::uint64_t seed) {
  Rng rng(seed);
  std::vector<AcGeLineSeg2d> out;
  out.reserve(static_cast<std::size_t>(n));
  for (int k = 0; k < n; ++k) {
    const AcGePoint2d a(rng.Uniform(0.0, 10.0), rng.Uniform(0.0, 10.0));
    const AcGePoint2d b(rng.Uniform(0.0, 10.0), rng.Uniform(0.0, 10.0));
    out.emplace_back(a, b);
  }
  return out;
}

std::vector<AcGeCircArc2d> MakeArcs(int n, std::uint64_t seed) {
  Rng rng(seed);
  std::vector<AcGeCircArc2d> out;
  out.reserve(static_cast<std::size_t>(n));
  for (int k = 0; k < n; ++k) {
    const AcGePoint2d c(rng.Uniform(2.0, 8.0), rng.Uniform(2.0, 8.0));
    const double r = rng.Uniform(0.5, 3.0);
    const double start = rng.Uniform(0.0, 2.0 * kPi);
    const double sweep = rng.Uniform(0.2, 2.0 * kPi - 0.2);
    const bool ccw = rng.Below(2) == 0;
    const double end = ccw ? start + sweep : start - sweep;
    out.emplace_back(c, r, start, end, ccw);
  }
  return out;
}

std::vector<AcGePoint2d> MakePoints(int n, std::uint64_t seed) {
  Rng rng(seed);
  std::vector<AcGePoint2d> out;
  out.reserve(static_cast<std::size_t>(n));
  for (int k = 0; k < n; ++k) out.emplace_back(rng.Uniform(0.0, 10.0), rng.Uniform(0.0, 10.0));
  return out;
}

}  // namespace bench
