// Boost.Geometry baseline (header-only, Debian libboost-dev).
#include "peers.h"

// Boost 1.74's Boost.Geometry still includes a header it deprecated itself
// (boost/detail/no_exceptions_support.hpp), which prints a note per build.
#define BOOST_ALLOW_DEPRECATED_HEADERS
#include <boost/geometry.hpp>
#include <boost/geometry/geometries/multi_polygon.hpp>
#include <boost/geometry/geometries/point_xy.hpp>
#include <boost/geometry/geometries/polygon.hpp>

#include <exception>
#include <utility>

namespace bench {

namespace {

namespace bg = boost::geometry;
using BPoint = bg::model::d2::point_xy<double>;
// Counter-clockwise outer rings, closed (first point repeated), as the
// sampled paths run.
using BPolygon = bg::model::polygon<BPoint, false, true>;
using BMulti = bg::model::multi_polygon<BPolygon>;

template <typename BRing>
void FillRing(const Ring& in, BRing& out) {
  out.reserve(in.size() + 1);
  for (const XY& p : in) out.emplace_back(p.x, p.y);
  if (!in.empty()) out.emplace_back(in.front().x, in.front().y);
}

BPolygon ToBoost(const Polygon& in) {
  BPolygon out;
  if (in.empty()) return out;
  FillRing(in.front(), out.outer());
  out.inners().resize(in.size() - 1);
  for (std::size_t h = 1; h < in.size(); ++h) FillRing(in[h], out.inners()[h - 1]);
  return out;
}

std::vector<BPolygon> ToBoost(const std::vector<Polygon>& in) {
  std::vector<BPolygon> out;
  out.reserve(in.size());
  for (const Polygon& p : in) out.push_back(ToBoost(p));
  return out;
}

// Union of in[lo, hi) as a balanced binary tree of pairwise unions: every
// operand takes part in about log2(n) unions, each of two similar sizes.
BMulti UnionRange(const std::vector<BPolygon>& in, std::size_t lo, std::size_t hi) {
  BMulti out;
  if (hi - lo == 1) {
    out.push_back(in[lo]);
  } else if (hi - lo == 2) {
    bg::union_(in[lo], in[lo + 1], out);
  } else {
    const std::size_t mid = lo + (hi - lo) / 2;
    const BMulti a = UnionRange(in, lo, mid);
    const BMulti b = UnionRange(in, mid, hi);
    bg::union_(a, b, out);
  }
  return out;
}

class BoostPeer : public Peer {
public:
  BoostPeer(const std::vector<Polygon>& subject, const std::vector<Polygon>& clips, PeerPlan plan)
      : m_plan(plan) {
    switch (plan) {
      case PeerPlan::DifferenceOfDisjoint:
        for (BPolygon& p : ToBoost(subject)) m_subject.push_back(std::move(p));
        for (BPolygon& p : ToBoost(clips)) m_disjointClips.push_back(std::move(p));
        break;
      case PeerPlan::UnionOfAll:
        m_operands = ToBoost(subject);
        for (BPolygon& p : ToBoost(clips)) m_operands.push_back(std::move(p));
        break;
      case PeerPlan::DifferenceOfUnion:
        for (BPolygon& p : ToBoost(subject)) m_subject.push_back(std::move(p));
        m_operands = ToBoost(clips);
        break;
    }
  }

  bool Run() override {
    m_result.clear();
    try {
      switch (m_plan) {
        case PeerPlan::DifferenceOfDisjoint:
          bg::difference(m_subject, m_disjointClips, m_result);
          break;
        case PeerPlan::UnionOfAll:
          if (!m_operands.empty()) m_result = UnionRange(m_operands, 0, m_operands.size());
          break;
        case PeerPlan::DifferenceOfUnion:
          if (m_operands.empty()) {
            m_result = m_subject;
          } else {
            const BMulti clips = UnionRange(m_operands, 0, m_operands.size());
            bg::difference(m_subject, clips, m_result);
          }
          break;
      }
    } catch (const std::exception& e) {
      m_error = e.what();
      m_result.clear();
      return false;
    }
    return true;
  }

  void Clear() override { m_result.clear(); }

  PeerFigures Figures() const override {
    PeerFigures f;
    f.area = bg::area(m_result);
    f.polygons = static_cast<int>(m_result.size());
    for (const BPolygon& p : m_result) f.rings += 1 + static_cast<int>(p.inners().size());
    f.vertices = static_cast<long>(bg::num_points(m_result)) - f.rings;
    return f;
  }

private:
  PeerPlan m_plan;
  BMulti m_subject;                  // DifferenceOf*
  BMulti m_disjointClips;            // DifferenceOfDisjoint
  std::vector<BPolygon> m_operands;  // what UnionRange unions
  BMulti m_result;
};

}  // namespace

std::unique_ptr<Peer> MakeBoostPeer(const std::vector<Polygon>& subject,
                                    const std::vector<Polygon>& clips, PeerPlan plan) {
  return std::make_unique<BoostPeer>(subject, clips, plan);
}

}  // namespace bench
