// An index of the members (segments and arcs) of one shape's loops: their
// boxes packed into a static R-tree (sort-tile-recursive, 8 entries per
// node), built once per shape. The nearest pair between two shapes then
// costs about the members near each other instead of the product of the
// member counts, and a point-in-region test visits only the members level
// with the point.
#pragma once

#include <engine/boundbox2d.h>
#include <engine/curve2d.h>
#include <engine/shape.h>

#include <vector>

class MemberIndex {
public:
  // Indexes every member of every loop of shape, which must outlive the
  // index and keep its geometry.
  explicit MemberIndex(GkShape& shape);

  struct Member {
    GkCurve2d* curve;
    GkBoundBox2d box;
    int loop;  // 0 for the outer loop, 1.. for the holes
  };

  // The closest pair between a member of this shape and one of other (this
  // shape's point first), found by walking the smaller index and searching
  // the larger one within the best distance so far. A distance below
  // g_tol.EqualPoint is returned as 0 and ends the search, as the loop
  // walk of the geometry library does.
  double nearest(MemberIndex& other, AcGePoint2d& onThis, AcGePoint2d& onOther);
  // Whether some member of this shape and one of other lie within reach of
  // each other: nearest() <= reach for a reach of at least g_tol.EqualPoint,
  // found by looking only at members whose boxes come within reach (the
  // smaller index walked, as nearest does), so that a small shape asks a
  // large one about the few members near it.
  bool within(MemberIndex& other, double reach);

  // The shape's IsPointIn (inside the outer loop, in no hole), decided by a
  // ray crossing count over the members level with pt. Where the ray passes
  // within 1e-9 of a member's end, of an arc's top or bottom, or crosses a
  // member within 1e-9 of pt, the shape's own test decides instead.
  bool contains(const AcGePoint2d& pt);
  // The crossing count alone: 1 inside, 0 outside, -1 where contains would
  // have to ask the shape's own test.
  int classify(const AcGePoint2d& pt) const;

  const GkBoundBox2d& box() const { return m_box; }
  int size() const { return static_cast<int>(m_members.size()); }

private:
  struct Node {
    GkBoundBox2d box;
    int first;  // first member (leaf) or first child node
    int count;
    bool leaf;
  };

  // Smallest distance from m to this shape's members, improving best (and
  // the points) when below it; true when the distance fell below the
  // contact floor and the search may stop.
  bool nearestTo(Member& m, double& best, AcGePoint2d& onM, AcGePoint2d& onThis) const;

  GkShape& m_shape;
  std::vector<Member> m_members;  // in leaf order
  std::vector<Node> m_nodes;      // the root last
  GkBoundBox2d m_box;
  int m_loops = 0;
};
