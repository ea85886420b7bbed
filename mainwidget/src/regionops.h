// Measurements on design regions built as engine shapes: construction from
// the design model, the gap between two regions' boundaries, the loop
// containment tests that decide overlap when boundaries are apart, exact
// enclosed areas, and areas of boolean results through the region clipper.
#pragma once

#include "design.h"

#include <engine/clipper.h>
#include <engine/shape.h>

#include <memory>
#include <vector>

// A new shape: the outer loop first, then the holes, members in file order.
std::unique_ptr<GkShape> makeShape(const DesignRegion& region);

// The closest pair between any loop of a and any loop of b (outer loops and
// holes), a's point first. For regions that do not overlap this is the
// distance between the regions.
struct BoundaryGap {
  double distance;
  AcGePoint2d onA;
  AcGePoint2d onB;
};
BoundaryGap boundaryGap(GkShape& a, GkShape& b);

// The boxes of every member of every loop of the shape.
std::vector<GkBoundBox2d> memberBoxes(GkShape& shape);

// True when some loop of loopsOf has its test point (a point on the loop)
// inside region, or, for anyLoopOutside, not inside it. Meaningful when the
// two boundaries are apart: each loop then lies wholly on one side.
bool anyLoopInside(GkShape& loopsOf, GkShape& region);
bool anyLoopOutside(GkShape& loopsOf, GkShape& region);

// Enclosed area of a closed loop of segments and arcs, computed exactly from
// its members (Green's theorem; arcs contribute their circular segments).
double loopArea(GkCompositeCurve2d& loop);

// Area of a region: outer loop minus holes.
double shapeArea(GkShape& shape);

// Length of a loop: its segments and arcs added up.
double loopLength(GkCompositeCurve2d& loop);

// One region of a clipper result: its area and the length of its boundary
// (outer loop and holes).
struct RegionPart {
  double area;
  double boundary;
};

// The regions of "a op b" computed by the region clipper. The clipper works
// on a grid of kClipperGrid units with arcs sampled to kClipperSampleTol
// units, so areas carry errors of that order times the boundary length. ok
// is false when the clipper failed (out-of-range or non-finite coordinates,
// a failure inside); the list is then empty and says nothing about the
// region.
std::vector<RegionPart> clippedParts(GkShape& a, GkShape& b, GkClipType op, bool& ok);

// Total area of clippedParts; NaN when the clipper failed.
double clippedArea(GkShape& a, GkShape& b, GkClipType op);

// The part of shape inside box, for intersecting a large region with one
// that lies inside box at a fraction of the cost: every loop cut to the box
// (Sutherland-Hodgman; stretches along the box's edges have no area).
// Null when a loop has arcs, or when nothing of the outer loop is left.
std::unique_ptr<GkShape> croppedToBox(GkShape& shape, const GkBoundBox2d& box);

// True when every member of every loop is a line segment.
bool onlySegments(GkShape& shape);
