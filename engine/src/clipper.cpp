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

// Every failure path returns false with result empty. Nothing may escape to
// the caller: ClipperLib reports range errors and internal failures by
// exceptions, and allocation may throw too.
bool Clip(const std::vector<GkShape*>& shapes, const std::vector<GkClipType>& types,
          std::vector<GkShape*>& result) {
  try {
    clipper_glue::PassResult last;
    if (!clipper_glue::ClipToForest(shapes, types, last)) return false;
    clipper_glue::ForestToShapes(last.forest, result);
    return true;
  } catch (...) {
    DestroyShapes(result);
    return false;
  }
}

}  // namespace

namespace clipper_glue {

bool ClipToForest(const std::vector<GkShape*>& shapes, const std::vector<GkClipType>& types,
                  PassResult& last) {
  last = PassResult();
  if (types.size() + 1 != shapes.size()) return false;
  for (GkClipType type : types) {
    if (!IsKnownType(type)) return false;
  }
  Operands ops;
  BuildOperands(shapes, types, ops);
  if (!ops.valid) return false;
  ClipperLib::Paths subject;
  subject.swap(ops.subject);
  for (std::size_t p = 0; p + 1 < ops.passes.size(); ++p) {
    ClipperLib::Paths solution;
    // A failed pass would leave an empty running result that the later
    // operations then treat as real: give no shapes instead.
    if (!RunPass(subject, ops.passes[p].clip, ops.passes[p].type, solution)) return false;
    subject.swap(solution);
    ClipperLib::Paths().swap(ops.passes[p].clip);
  }
  return RunPass(subject, ops.passes.back().clip, ops.passes.back().type, last);
}

}  // namespace clipper_glue

GkClipper::GkClipper() = default;
GkClipper::GkClipper(const GkClipper& src) = default;
GkClipper& GkClipper::operator=(const GkClipper& src) = default;
GkClipper::~GkClipper() = default;

void GkClipper::SetShapeList(std::vector<GkShape*>& shapes) { m_shapes = shapes; }

void GkClipper::GetShapeList(std::vector<GkShape*>& shapes) const { shapes = m_shapes; }

void GkClipper::Execute(const std::vector<GkClipType>& types, std::vector<GkShape*>& result) const {
  if (m_shapes.empty()) {
    m_lastExecuteFailed = false;
    return;
  }
  result.clear();
  m_lastExecuteFailed = !Clip(m_shapes, types, result);
}
