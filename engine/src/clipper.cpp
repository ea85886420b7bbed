// GkClipper: runs the sequence of boolean operations through ClipperLib,
// merging runs of equal consecutive operations into one pass.
#include <engine/clipper.h>

#include "clipper_glue.h"

namespace {

bool IsKnownType(GkClipType type) {
  return type == kClipIntersection || type == kClipUnion || type == kClipDifference ||
         type == kClipXor;
}

// One ClipperLib pass with the positive fill rule for both path sets; false
// when ClipperLib reports a failure (solution then left empty).
template <typename Solution>
bool RunPass(const ClipperLib::Paths& subject, const ClipperLib::Paths& clip, GkClipType type,
             Solution& solution) {
  ClipperLib::Clipper clipper;
  clipper.AddPaths(subject, ClipperLib::ptSubject, true);
  clipper.AddPaths(clip, ClipperLib::ptClip, true);
  return clipper.Execute(static_cast<ClipperLib::ClipType>(type), solution,
                         ClipperLib::pftPositive, ClipperLib::pftPositive);
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

void GkClipper::Execute(const std::vector<GkClipType>& types,
                        std::vector<GkShape*>& result) const {
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
    clipper_glue::PathBuilder builder;
    ClipperLib::Paths subject;
    builder.AddShape(m_shapes[0], subject);
    std::size_t consumed = 0;
    for (std::size_t k = 0; k + 1 < m; ++k) {
      if (types[k] == types[k + 1]) continue;
      ClipperLib::Paths clip;
      for (std::size_t s = consumed + 1; s <= k + 1; ++s) builder.AddShape(m_shapes[s], clip);
      if (!builder.Valid()) return;
      ClipperLib::Paths solution;
      // A failed pass would leave an empty running result that the later
      // operations then treat as real: give no shapes instead.
      if (!RunPass(subject, clip, types[k], solution)) return;
      subject.swap(solution);
      consumed = k + 1;
    }
    ClipperLib::Paths clip;
    for (std::size_t s = consumed + 1; s < n; ++s) builder.AddShape(m_shapes[s], clip);
    if (!builder.Valid()) return;
    // One shape and no types: a union pass normalises the region.
    const GkClipType last = m == 0 ? kClipUnion : types[m - 1];
    ClipperLib::PolyTree tree;
    if (!RunPass(subject, clip, last, tree)) return;
    clipper_glue::TreeToShapes(tree, result);
  } catch (...) {
    DestroyShapes(result);
  }
}
