// Reads a KiCad board (.kicad_pcb, the s-expression format of KiCad 5 and
// later) into a Design: the board outline from Edge.Cuts, and on every
// copper layer the tracks, arc tracks, vias, pads, filled zone polygons
// and copper graphics, with their nets and clearances. Coordinates stay
// the file's (millimetres, y down). Never throws; whatever cannot be placed
// is refused with the line in the file. See the README for what is read.
#pragma once

#include "design.h"

#include <QByteArray>
#include <QString>

namespace kicadformat {
// Oldest board format read: KiCad 5.0's. Before KiCad 6.0 (20211014) arcs
// are given by centre, start point and angle, footprints are "module".
constexpr int kMinVersion = 20171114;
// Edge.Cuts items whose ends lie this close are chained into one outline
// (mm); gaps above the loop join tolerance are closed by a short line.
constexpr double kChainTol = 0.001;
// Most copper layers of a board, as in KiCad.
constexpr int kMaxCopperLayers = 32;
}  // namespace kicadformat

// True when the text starts like an s-expression document ("(" after
// white space), as board files do and JSON designs never do.
bool looksLikeKicadBoard(const QByteArray& text);

// Parses board text; project is the text of the .kicad_pro beside it, or
// null when there is none. On failure returns false with a reason.
bool parseKicadBoard(const QByteArray& board, const QByteArray* project, Design& design,
                     QString& error);

// The project file that belongs to a board file: same folder and base name,
// suffix .kicad_pro.
QString kicadProjectPath(const QString& boardPath);
