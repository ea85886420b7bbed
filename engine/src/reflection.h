// Private: the reflection across the line through two points, shared by the
// mirror operations of points, vectors and matrices.
#pragma once

#include <engine/matrix2d.h>
#include <engine/point2d.h>

namespace gk {

// Writes into m the reflection across the line through s and e. When the
// two points differ by less than GkGeoLib::g_tol.EqualPoint in both
// coordinates (strict) the line is undefined: writes the point reflection
// through s into (0,0), (1,1), (0,2) and (1,2) only, and returns false.
// Otherwise writes the six entries of rows 0-1 and returns true. Row 2 is
// never touched.
bool WriteReflection(const AcGePoint2d& s, const AcGePoint2d& e, AcGeMatrix2d& m);

}  // namespace gk
