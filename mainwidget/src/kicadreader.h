// The board reader's internals, shared by the files that read the board's
// top-level items (kicadboard.cpp) and its footprints (kicadpads.cpp).
#pragma once

#include "design.h"
#include "kicadgeometry.h"
#include "kicadproject.h"
#include "sexpr.h"

#include <QHash>
#include <QString>

#include <vector>

namespace kicadread {

// Thrown inside the reader only, caught by parseKicadBoard.
struct Refusal {
  int line;
  QString what;
};

[[noreturn]] void refuse(const SExpr& at, const QString& what);

// Number at items[index] of the list; refused when absent or not finite.
double number(const SExpr& list, std::size_t index);
// Whole number at items[index] within the range of int (net and layer
// numbers); refused otherwise.
int integer(const SExpr& list, std::size_t index);
// A coordinate within the geometry range.
double coordinate(const SExpr& list, std::size_t index);
// A rotation in degrees, brought into [0, 360): a turn of any finite size
// is a placement, and angles stay small enough that adding a turn to one
// changes it.
double rotation(const SExpr& list, std::size_t index);
// (name X Y ...) inside parent, as a point; refused when missing.
DesignPoint point(const SExpr& parent, const char* name);
// The required list (name ...) inside parent.
const SExpr& need(const SExpr& parent, const char* name);
// Text of the first atom after the head of (name "text") inside parent;
// empty when absent.
QString text(const SExpr& parent, const char* name);
// A stroke width: (width W) or (stroke (width W)); 0 when absent. Refused
// beyond twice the radius limit (half a stroke is a radius).
double strokeWidth(const SExpr& item);
// The arc of a graphic or track, placed by at: (start) (mid) (end), or in
// formats before KiCad 6 (start CENTRE) (end START) (angle SWEEP), the
// sweep in degrees clockwise on the page. False when the arc is straight;
// s and e then hold its ends.
bool arcOf(const SExpr& item, const Placement& at, DesignCurve& arc, DesignPoint& s,
           DesignPoint& e);
// A local clearance (clearance C): a number, not negative.
double localClearance(const SExpr& clearance);
// A positive size within the radius limit, e.g. a half width.
double positive(const SExpr& at, double value, const char* what);

// One outline item of Edge.Cuts: an open piece to be chained, or a loop
// that is closed on its own (circle, rectangle, polygon).
struct EdgePiece {
  DesignCurve curve;
  int line;
};

// The open pieces chained into closed loops, end to the nearest unused end
// within kChainTol (gaps above the join tolerance closed by a short line),
// each loop starting with the first piece not yet used. Refused when a
// chain cannot be closed or a loop encloses no area. Costs about the
// number of pieces however many ends meet exactly at one point; distinct
// ends within kChainTol of each other are compared with one another.
std::vector<DesignLoop> chainOutline(const std::vector<EdgePiece>& pieces);

class BoardReader {
public:
  BoardReader(const SExpr& root, Design& design) : m_root(root), m_design(design) {}
  void read(const QByteArray* project);

private:
  // kicadboard.cpp
  void readLayers();
  void readNets();
  void readClearances(const QByteArray* project);
  void readTracks();
  void readVias();
  void readZones();
  void readBoardGraphics();
  void buildOutline();

  // kicadpads.cpp
  void readFootprints();
  void readFootprint(const SExpr& fp);
  void readPad(const SExpr& pad, const Placement& fp, const QString& ref, double fpClearance);
  std::vector<DesignRegion> padRegions(const SExpr& pad, const Placement& at, const QString& id);
  std::vector<DesignRegion> customPadRegions(const SExpr& pad, const Placement& at);
  std::vector<const SExpr*> footprints() const;  // (footprint ...) or older (module ...)

  // Shared by both: geometry of one graphic item (line, arc, circle, rect,
  // poly; gr_ and fp_ alike) placed by at: as outline pieces, or as copper.
  void addEdgeGraphic(const SExpr& item, const Placement& at);
  std::vector<DesignRegion> graphicRegions(const SExpr& item, const Placement& at, bool filled);
  // Copper layers named by a layer list entry: "F.Cu", "*.Cu", "F&B.Cu".
  std::vector<int> copperLayers(const SExpr& at, const QByteArray& name, bool needCopper);
  int copperLayer(const SExpr& item);  // (layer "X.Cu"), refused when not copper
  QString netName(const SExpr& item);  // (net N) or (net N "name"); "" for no net
  QString noNet(const QString& owner) const;
  void addFeature(const QString& id, const QString& net, DesignRegion region, int layer,
                  double clearance);
  double clearanceOf(const QString& net) const;

  const SExpr& m_root;
  Design& m_design;
  QHash<QByteArray, int> m_copper;  // copper layer name -> index in m_design.layers
  QHash<int, QString> m_nets;       // net number -> name
  NetClasses m_classes;
  std::vector<EdgePiece> m_edgePieces;
  std::vector<std::pair<DesignLoop, int>> m_edgeLoops;  // closed on their own, with line
  double m_version = 0;
  QString m_footprintNet;  // the net of a net-less footprint's pads, when one is given
  int m_copperTexts = 0;
  int m_unusedLayerItems = 0;
};

}  // namespace kicadread
