// Everything the Engine geometry library exports.
#pragma once

#include <engine/boundbox2d.h>
#include <engine/circarc2d.h>
#include <engine/clipper.h>
#include <engine/compositecurve2d.h>
#include <engine/curve2d.h>
#include <engine/engine_export.h>
#include <engine/lineseg2d.h>
#include <engine/matrix2d.h>
#include <engine/point2d.h>
#include <engine/shape.h>
#include <engine/tolerance.h>
