// GkClipper: runs the sequence of boolean operations through ClipperLib,
// merging runs of equal consecutive operations into one pass. Every shape is
// converted before the first pass, so that arcs on one circle share a tag
// across the whole call.
#include <engine/clipper.h>

#include "clipper_glue.h"

namespace {

bool IsKnownType(GkClipType type) {
  return type == kClipIntersection || type == kClipUnion || type == kClipDifference ||
         type == kClipXor;
}

void DestroyShapes(std::vector<GkShape*>& shapes) {
  for (GkShape* shape : shapes) delete shape;
  shapes.clear();
}

}  // namespace

GkClipper::GkClipper() = default;
GkClipper::GkClipper(const GkClipper& src) = default;
GkClipper& GkClipper::operator=(const GkClipper& src) = default;
GkClipper::~GkClipper() = default;

void GkClipper::SetShapeList(std::vector<GkShape*>& shapes) { m_shapes = shapes; }

void GkClipper::GetShapeList(std::vector<GkShape*>& shapes) const { shapes = m_shapes; }

void GkClipper::Execute(const std::vector<GkClipType>& types, std::vector<GkShape*>& result) const {
  if (m_shapes.empty()) return;
  result.clear();
  const std::size_t n = m_shapes.size();
  const std::size_t m = types.size();
  if (m + 1 != n) return;
  for (GkClipType type : types) {
    if (!IsKnownType(type)) return;
  }

  // Nothing may escape to the caller: ClipperLib reports range errors and
  // internal failures by exceptions, allocation may throw too.
  try {
    clipper_glue::Operands ops;
    clipper_glue::BuildOperands(m_shapes, types, ops);
    if (!ops.valid) return;
    ClipperLib::Paths subject;
    subject.swap(ops.subject);
    for (std::size_t p = 0; p + 1 < ops.passes.size(); ++p) {
      ClipperLib::Paths solution;
      // A failed pass would leave an empty running result that the later
      // operations then treat as real: give no shapes instead.
      if (!clipper_glue::RunPass(subject, ops.passes[p].clip, ops.passes[p].type, solution)) return;
      subject.swap(solution);
      ClipperLib::Paths().swap(ops.passes[p].clip);
    }
    clipper_glue::PassResult last;
    if (!clipper_glue::RunPass(subject, ops.passes.back().clip, ops.passes.back().type, last))
      return;
    clipper_glue::ForestToShapes(last.forest, result);
  } catch (...) {
    DestroyShapes(result);
  }
}
