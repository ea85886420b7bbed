// GkCurve2d: the box cache shared by every curve. Defining the destructor
// here makes this file the home of the class's virtual table.
#include <engine/curve2d.h>

GkCurve2d::GkCurve2d() = default;

GkCurve2d::GkCurve2d(const GkCurve2d& src) = default;

GkCurve2d& GkCurve2d::operator=(const GkCurve2d& src) = default;

GkCurve2d::~GkCurve2d() = default;
