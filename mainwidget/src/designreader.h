// Reads a design file (JSON, see the README for the format) into a Design,
// checking everything the audit relies on: closed loops, positive radii,
// coordinates inside the range the geometry library handles, unique feature
// ids. Never throws; a design that fails a check is refused with a reason
// that names the place in the file.
#pragma once

#include "design.h"

#include <QByteArray>
#include <QString>

namespace designformat {
// Loop members must join within this distance (drawing units).
constexpr double kJoinTol = 1e-6;
// Largest absolute coordinate of any point or centre (drawing units).
constexpr double kMaxCoordinate = 100000.0;
// Largest arc or circle radius: the region clipper samples arcs with a
// chord tolerance of kClipperSampleTol and needs each sampling step below
// 10000 grid units (2.54 drawing units), which holds for radii up to about
// 1270.
constexpr double kMaxRadius = 1000.0;
// Largest design file read, in bytes.
constexpr qint64 kMaxFileSize = 256ll * 1024 * 1024;
}  // namespace designformat

// Parses JSON text. On failure returns false, leaves design unspecified and
// puts a one-line reason into error.
bool parseDesign(const QByteArray& json, Design& design, QString& error);

// Reads and parses the file: a JSON design, or a KiCad board (text that
// starts with "(", read with the project file beside it when there is
// one). The reason also covers files that cannot be opened, are empty or
// too large.
bool readDesignFile(const QString& path, Design& design, QString& error);
