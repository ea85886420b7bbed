// GkClipper: boolean operations (intersection, union, difference,
// exclusive-or) between regions given as GkShape objects whose boundaries
// are chains of line segments and circular arcs. Arcs survive the operation
// as true arcs.
//
// How: every loop becomes an integer polygon on a grid of kClipperGrid
// drawing units, arcs sampled with a chord tolerance of kClipperSampleTol
// and every arc point tagged with its source circle (arcs with equal grid
// centre and radius share a tag, so track end caps meeting at a bend come
// back as one arc).
// The polygon arithmetic runs with the positive fill rule (outer loops are
// made counter-clockwise, holes clockwise); rings that touch nothing skip
// it, and groups of touching rings run as separate, smaller passes with the
// same result. Wherever a run of equally tagged points survives, the result
// gets an arc through three of its points; everything else comes back as
// line segments.
//
// Coordinates must stay within about +-1e15 drawing units and be finite;
// otherwise Execute returns no shapes and LastExecuteFailed() says so.
// Accuracy: boundaries move by at most the sampling tolerance plus half a
// grid diagonal (about 0.0027 units).
#pragma once

#include <engine/engine_export.h>
#include <engine/shape.h>

#include <vector>

// The clipper's integer grid. Grid units per drawing unit: the double
// nearest 1 / 0.000254, so that one grid unit, kClipperGrid, is the double
// 0.000254 drawing units (a ten-thousandth of an inch when drawing units are
// inches). Coordinates are put on the grid as round(v * kClipperGridPerUnit);
// result vertices lie on it.
constexpr double kClipperGridPerUnit = 3937.007874015748;
constexpr double kClipperGrid = 1.0 / kClipperGridPerUnit;
// Chord tolerance with which Execute samples arcs, drawing units (ten grid
// units): no chord strays further than this from its arc.
constexpr double kClipperSampleTol = 0.00254;

// The operation between the running result and the next shape. The values
// are those of the polygon library's own clip types. The underlying type is
// fixed so that any int converts to it with a defined value: Execute rejects
// values other than these four.
enum GkClipType : int { kClipIntersection = 0, kClipUnion = 1, kClipDifference = 2, kClipXor = 3 };

class ENGINE_EXPORT GkClipper {
public:
  // No shapes.
  GkClipper();
  // Copy the list of shape pointers; the shapes are never owned.
  GkClipper(const GkClipper& src);
  GkClipper& operator=(const GkClipper& src);
  // Releases the list only; the shapes stay the caller's.
  ~GkClipper();

  // Replaces the operand list by the given pointers (the argument is not
  // changed). A null entry counts as an empty shape.
  void SetShapeList(std::vector<GkShape*>& shapes);
  // Clears shapes and fills it with the operand pointers in order.
  void GetShapeList(std::vector<GkShape*>& shapes) const;

  // Computes shape0 types[0] shape1 types[1] shape2 ..., left to right.
  // Consecutive equal types run as one operation with the union of their
  // shapes (so [kClipIntersection, kClipIntersection] on A, B, C gives
  // A n (B u C)). With one shape and no types the result is that shape's
  // region normalised by a union.
  // - No shapes: returns at once, result untouched.
  // - Otherwise result is cleared first (the shapes it held are not
  //   destroyed), then receives new shapes that the caller owns: each outer
  //   ring with its holes, and every island inside a hole as a shape of its
  //   own, after the shape that has the hole.
  // - types.size() != shapes - 1, an unknown type, a non-finite or
  //   out-of-range coordinate, or a failure of the polygon arithmetic or of
  //   rebuilding its result (an exception inside, memory exhausted): result
  //   stays empty and LastExecuteFailed() turns true.
  // The input shapes are never changed.
  void Execute(const std::vector<GkClipType>& types, std::vector<GkShape*>& result) const;

  // Whether the last Execute on this object failed (any case above where
  // result stays empty for a reason other than the region being empty), so
  // that an empty result can be told from a failure. False before the
  // first Execute and after one with no shapes; copies take it over.
  bool LastExecuteFailed() const { return m_lastExecuteFailed; }

private:
  std::vector<GkShape*> m_shapes;
  // Set by every Execute; Execute is const towards the operands only.
  mutable bool m_lastExecuteFailed = false;
};
