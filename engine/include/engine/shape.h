// Containers above the composite curve:
// - GkShape, a planar region: one outer boundary loop (entry 0) and any
//   number of hole loops, each a GkCompositeCurve2d. It is what GkClipper
//   takes in and hands back, and it answers point containment.
// - GkPolyline2d, a vertex holder that reports the curve type kCrvPolyline.
//   It implements none of the curve operations, so it is abstract and only
//   usable as a base.
//
// A shape owns its loops and destroys them; copying a shape makes a deep copy.
// The shape neither checks nor changes the orientation of its loops; shapes
// made by GkClipper have a counter-clockwise outer loop and clockwise holes.
// Islands inside a hole are shapes of their own, not part of the shape that
// has the hole. Queries refresh the box cache, so one shape is not queried
// from two threads at once.
#pragma once

#include <engine/boundbox2d.h>
#include <engine/compositecurve2d.h>
#include <engine/curve2d.h>
#include <engine/engine_export.h>
#include <engine/point2d.h>

#include <cstddef>
#include <cstdint>
#include <vector>

class ENGINE_EXPORT GkShape {
public:
  // No loops, empty box, out of date.
  GkShape();
  // Deep copies: every loop (and so every member curve) is copied.
  GkShape(const GkShape& src);
  GkShape& operator=(const GkShape& src);
  // Destroys every loop, the outer one included.
  virtual ~GkShape();

  // Appends the loop (the first appended is the outer boundary) and takes
  // ownership; marks the box out of date. A null pointer is stored as an
  // empty loop, so the roles of the later loops stay as the caller meant.
  void AppendCompCurve(GkCompositeCurve2d* loop);
  // Replaces the loop list by the given pointers (the argument is not
  // changed) and takes ownership of them, null entries becoming empty loops.
  // The loops held before are NOT destroyed: they pass back to the caller.
  // Marks the box out of date.
  void SetCurveList(std::vector<GkCompositeCurve2d*>& loops);
  // Clears loops and fills it with the loop pointers in order; the shape keeps
  // ownership.
  void GetCompCurveList(std::vector<GkCompositeCurve2d*>& loops) const;

  // Box of the outer loop (holes do not contribute), cached until the loop
  // list or the outer loop's member list changes; the empty box without
  // loops.
  GkBoundBox2d GetBoundBox();
  // True when pt is inside the outer loop and inside no hole, each decided by
  // the loop's IsPointIn; false outside the box by more than g_tol.EqualPoint.
  bool IsPointIn(const AcGePoint2d& pt);

private:
  void DestroyLoops();

  GkBoundBox2d cachedBox;
  bool boxOutOfDate = true;
  // The outer loop's stamp when cachedBox was taken.
  std::uint64_t outerStamp = 0;
  // Boxes of the holes (m_loops[1..]) side by side, refreshed with cachedBox
  // and whenever a hole's member list changed since (holeStamps against the
  // loops' stamps, looked at only when any loop anywhere changed since
  // stampsSeen): containment rejects far holes without touching the loops.
  std::vector<GkBoundBox2d> holeBoxes;
  std::vector<std::uint64_t> holeStamps;
  std::uint64_t stampsSeen = 0;
  void RefreshHoleBoxes();
  // The holes by cell of a uniform grid over their boxes, widened beyond the
  // containment tolerance: a point is tested against the holes of its cell
  // and those too wide for the grid only. Built on the first containment
  // query after the boxes or the tolerance change; never copied.
  struct HoleGrid {
    bool upToDate = false;
    bool used = false;  // false: too few holes or no finite extent, scan all
    double tol = 0.0;   // EqualPoint the grid was built for
    double x0 = 0.0, y0 = 0.0;
    double perX = 0.0, perY = 0.0;  // cells per drawing unit
    std::size_t cols = 0, rows = 0;
    std::vector<std::size_t> cellStart;  // cols * rows + 1 offsets into cellHoles
    std::vector<std::size_t> cellHoles;  // hole numbers (into holeBoxes), ascending per cell
    std::vector<std::size_t> wide;       // holes over too many cells, or not finite
  };
  void BuildHoleGrid(double t);
  HoleGrid holeGrid;
  std::vector<GkCompositeCurve2d*> m_loops;
};

class ENGINE_EXPORT GkPolyline2d : public GkCurve2d {
public:
  // No vertices; empty box, out of date.
  GkPolyline2d();
  // Copies pts as the vertices, in order.
  explicit GkPolyline2d(const std::vector<AcGePoint2d>& pts);
  // No vertices: neither argument is read (no conversion from a curve is
  // defined).
  GkPolyline2d(const GkCurve2d& crv, double tol);
  // Copies the vertices; the box cache starts empty and out of date.
  GkPolyline2d(const GkPolyline2d& src);
  // Copies the box cache, its flag and the vertices.
  GkPolyline2d& operator=(const GkPolyline2d& src);
  ~GkPolyline2d() override;

  // kCrvPolyline. A plain member: it does not override the interface's
  // GetCrvType() const, which stays for a derived class to implement.
  GkCurveType GetCrvType();
  using GkCurve2d::GetCrvType;

  // The vertices in order.
  const std::vector<AcGePoint2d>& GetVertices() const { return m_vertices; }

private:
  std::vector<AcGePoint2d> m_vertices;
};
