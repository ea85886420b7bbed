#include "kicadboard.h"

#include "designreader.h"
#include "echotext.h"
#include "kicadreader.h"
#include "regionops.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <vector>

using namespace kicadformat;

namespace kicadread {

void refuse(const SExpr& at, const QString& what) { throw Refusal{at.line, what}; }

double number(const SExpr& list, std::size_t index) {
  if (index >= list.items.size() || list.items[index].isList) {
    refuse(list, QStringLiteral("(%1) needs a number in place %2")
                     .arg(quotedExcerpt(list.head()))
                     .arg(index));
  }
  bool ok = false;
  const double v = list.items[index].text.toDouble(&ok);
  if (!ok || !std::isfinite(v)) {
    refuse(list, QStringLiteral("(%1): \"%2\" is not a number")
                     .arg(quotedExcerpt(list.head()), quotedExcerpt(list.items[index].text)));
  }
  return v;
}

double coordinate(const SExpr& list, std::size_t index) {
  const double v = number(list, index);
  if (std::fabs(v) > designformat::kMaxCoordinate) {
    refuse(list, QStringLiteral("(%1): %2 lies outside +-%3")
                     .arg(quotedExcerpt(list.head()))
                     .arg(v)
                     .arg(designformat::kMaxCoordinate));
  }
  return v;
}

double rotation(const SExpr& list, std::size_t index) {
  const double turned = std::fmod(number(list, index), 360.0);
  return turned < 0 ? turned + 360.0 : turned;
}

const SExpr& need(const SExpr& parent, const char* name) {
  const SExpr* found = parent.find(name);
  if (found == nullptr) {
    refuse(
        parent,
        QStringLiteral("(%1) has no (%2)").arg(quotedExcerpt(parent.head()), QLatin1String(name)));
  }
  return *found;
}

DesignPoint point(const SExpr& parent, const char* name) {
  const SExpr& p = need(parent, name);
  return DesignPoint{coordinate(p, 1), coordinate(p, 2)};
}

QString text(const SExpr& parent, const char* name) {
  const SExpr* found = parent.find(name);
  if (found == nullptr || found->items.size() < 2 || found->items[1].isList) return {};
  return QString::fromUtf8(found->items[1].text);
}

double strokeWidth(const SExpr& item) {
  const SExpr* w = item.find("width");
  if (w == nullptr) {
    if (const SExpr* stroke = item.find("stroke")) w = stroke->find("width");
  }
  if (w == nullptr) return 0.0;
  const double width = number(*w, 1);
  // Half a stroke is a radius (its corners and ends are circles): bounded
  // like every other radius, or a huge one would be sampled for ever.
  // Zero and negative widths mean no stroke and stay as read.
  if (!(width <= 2 * designformat::kMaxRadius)) {
    refuse(item, QStringLiteral("(%1): the stroke width must be at most %2")
                     .arg(quotedExcerpt(item.head()))
                     .arg(2 * designformat::kMaxRadius));
  }
  return width;
}

bool arcOf(const SExpr& item, const Placement& at, DesignCurve& arc, DesignPoint& s,
           DesignPoint& e) {
  if (item.find("mid") != nullptr || item.find("angle") == nullptr) {
    s = at.apply(point(item, "start"));
    e = at.apply(point(item, "end"));
    if (!arcThrough(s, at.apply(point(item, "mid")), e, arc)) return false;
    // Nearly collinear points make a huge circle, possibly run the long way
    // round: beyond the radius limit like any other arc.
    positive(item, arc.radius, "arc radius");
    return true;
  }
  const DesignPoint c = point(item, "start");
  const DesignPoint p = point(item, "end");
  const SExpr& angle = need(item, "angle");
  const double sweep = number(angle, 1);
  // More than a turn is no arc; a huge sweep would also lose the start
  // angle it is added to.
  if (!(std::fabs(sweep) <= 360.0)) {
    refuse(
        angle,
        QStringLiteral("(%1): an arc sweeps at most 360 degrees").arg(quotedExcerpt(item.head())));
  }
  const double r = std::hypot(p.x - c.x, p.y - c.y);
  // A page clockwise sweep runs counter-clockwise in raw x/y (y down).
  DesignCurve local;
  local.kind = DesignCurve::Kind::Arc;
  local.center = c;
  local.radius = r;
  local.startDeg = std::atan2(p.y - c.y, p.x - c.x) * kDegreesPerRadian;
  local.endDeg = local.startDeg + sweep;
  local.ccw = sweep > 0;
  if (!(r > 0) || std::fabs(sweep) < 1e-9) {
    s = e = at.apply(p);
    return false;
  }
  positive(item, r, "arc radius");
  arc = at.apply(local);
  s = arc.startPoint();
  e = arc.endPoint();
  return true;
}

int integer(const SExpr& list, std::size_t index) {
  const double v = number(list, index);
  constexpr double kMaxInt = 2147483647.0;
  if (v != std::floor(v) || std::fabs(v) > kMaxInt) {
    refuse(list, QStringLiteral("(%1): \"%2\" is not a whole number within +-%3")
                     .arg(quotedExcerpt(list.head()), quotedExcerpt(list.items[index].text))
                     .arg(qint64(kMaxInt)));
  }
  return static_cast<int>(v);
}

double localClearance(const SExpr& clearance) {
  const double c = number(clearance, 1);
  if (c < 0) refuse(clearance, QStringLiteral("a clearance must not be negative"));
  return c;
}

double positive(const SExpr& at, double value, const char* what) {
  if (!(value > 0) || value > designformat::kMaxRadius) {
    refuse(at, QStringLiteral("(%1): the %2 must be positive and at most %3")
                   .arg(quotedExcerpt(at.head()), QLatin1String(what))
                   .arg(designformat::kMaxRadius));
  }
  return value;
}

namespace {

bool isGraphic(const QByteArray& head, const char* prefix) {
  static const char* kinds[] = {"line", "arc", "circle", "rect", "poly", "curve"};
  for (const char* k : kinds) {
    if (head == QByteArray(prefix) + k) return true;
  }
  return false;
}

double dist(const DesignPoint& a, const DesignPoint& b) { return std::hypot(a.x - b.x, a.y - b.y); }

DesignCurve reversed(const DesignCurve& c) {
  DesignCurve r = c;
  std::swap(r.from, r.to);
  std::swap(r.startDeg, r.endDeg);
  r.ccw = !c.ccw;
  return r;
}

// A polygon's points: (xy X Y) vertices and (arc (start) (mid) (end))
// pieces, joined in order and closed back to the first.
DesignLoop polyLoop(const SExpr& item, const Placement& at) {
  const SExpr& pts = need(item, "pts");
  DesignLoop loop;
  bool started = false;
  DesignPoint first, current;
  auto lineTo = [&](const DesignPoint& p) {
    if (!started) {
      first = current = p;
      started = true;
    } else if (p.x != current.x || p.y != current.y) {
      loop.push_back(lineCurve(current, p));
      current = p;
    }
  };
  for (const SExpr& v : pts.items) {
    if (!v.isList) continue;
    if (v.head() == "xy") {
      lineTo(at.apply(DesignPoint{coordinate(v, 1), coordinate(v, 2)}));
    } else if (v.head() == "arc") {
      const DesignPoint s = at.apply(point(v, "start"));
      const DesignPoint m = at.apply(point(v, "mid"));
      const DesignPoint e = at.apply(point(v, "end"));
      lineTo(s);
      DesignCurve arc;
      if (arcThrough(s, m, e, arc)) {
        // The radius limit of every other arc: nearly collinear points make
        // a huge circle run the long way round.
        positive(v, arc.radius, "arc radius");
        loop.push_back(arc);
        current = e;
      } else {
        lineTo(e);
      }
    }
  }
  if (started && (current.x != first.x || current.y != first.y))
    loop.push_back(lineCurve(current, first));
  const bool hasArc = std::any_of(loop.begin(), loop.end(), [](const DesignCurve& c) {
    return c.kind == DesignCurve::Kind::Arc;
  });
  if (loop.size() < (hasArc ? 2u : 3u))
    refuse(pts, QStringLiteral("a polygon needs three distinct points"));
  return loop;
}

// The edges of a loop as capsules or thick arcs of the given half width.
void strokeRegions(const SExpr& at, const DesignLoop& loop, double hw,
                   std::vector<DesignRegion>& out) {
  for (const DesignCurve& c : loop) {
    DesignRegion r;
    if (c.kind == DesignCurve::Kind::Line) {
      r.outer = capsuleLoop(c.from, c.to, hw);
    } else if (!thickArcLoop(c, hw, r.outer)) {
      refuse(at, QStringLiteral("an arc is narrower than its stroke"));
    }
    out.push_back(r);
  }
}

}  // namespace

std::vector<DesignRegion> BoardReader::graphicRegions(const SExpr& item, const Placement& at,
                                                      bool filledByDefault) {
  const QByteArray head = item.head();
  const QByteArray kind = head.mid(3);  // after "gr_" / "fp_"
  const double w = strokeWidth(item);
  const QString fill = text(item, "fill");
  const bool filled = fill.isEmpty()
                          ? filledByDefault
                          : (fill == QLatin1String("solid") || fill == QLatin1String("yes"));
  std::vector<DesignRegion> parts;
  if (kind == "line" || kind == "arc") {
    const double hw = positive(item, w / 2, "stroke width");
    DesignPoint s, e;
    DesignCurve arc;
    DesignRegion r;
    const bool curved = kind == "arc" && arcOf(item, at, arc, s, e);
    if (kind == "line") {
      s = at.apply(point(item, "start"));
      e = at.apply(point(item, "end"));
    }
    if (curved) {
      if (!thickArcLoop(arc, hw, r.outer))
        refuse(item, QStringLiteral("an arc is narrower than its stroke"));
    } else {
      r.outer = capsuleLoop(s, e, hw);
    }
    parts.push_back(r);
  } else if (kind == "circle") {
    const DesignPoint c = at.apply(point(item, "center"));
    const double radius = positive(item, dist(c, at.apply(point(item, "end"))), "radius");
    DesignRegion r;
    r.outer = circleLoop(c, positive(item, radius + w / 2, "radius"));
    if (!filled && radius - w / 2 > 0) r.holes.push_back(circleLoop(c, radius - w / 2));
    if (!filled && !(w > 0)) refuse(item, QStringLiteral("an unfilled circle without a stroke"));
    parts.push_back(r);
  } else if (kind == "rect" || kind == "poly") {
    DesignLoop loop;
    if (kind == "rect") {
      const DesignPoint s = point(item, "start"), e = point(item, "end");
      loop = polygonLoop({at.apply(s), at.apply({e.x, s.y}), at.apply(e), at.apply({s.x, e.y})});
      if (loop.empty()) refuse(item, QStringLiteral("a rectangle without area"));
    } else {
      loop = polyLoop(item, at);
    }
    if (filled) parts.push_back(DesignRegion{loop, {}});
    if (w > 0) strokeRegions(item, loop, w / 2, parts);
    if (parts.empty()) refuse(item, QStringLiteral("an unfilled shape without a stroke"));
  } else {
    refuse(item, QStringLiteral("(%1) shapes are not read").arg(quotedExcerpt(head)));
  }
  return parts;
}

void BoardReader::addEdgeGraphic(const SExpr& item, const Placement& at) {
  const QByteArray kind = item.head().mid(3);
  if (kind == "line" || kind == "arc") {
    DesignPoint s, e;
    DesignCurve arc;
    const bool curved = kind == "arc" && arcOf(item, at, arc, s, e);
    if (kind == "line") {
      s = at.apply(point(item, "start"));
      e = at.apply(point(item, "end"));
    }
    if (curved) {
      m_edgePieces.push_back(EdgePiece{arc, item.line});
    } else if (dist(s, e) > 0) {
      m_edgePieces.push_back(EdgePiece{lineCurve(s, e), item.line});
    }
  } else if (kind == "circle") {
    const DesignPoint c = at.apply(point(item, "center"));
    const double r = positive(item, dist(c, at.apply(point(item, "end"))), "radius");
    m_edgeLoops.emplace_back(circleLoop(c, r), item.line);
  } else if (kind == "rect") {
    const DesignPoint s = point(item, "start"), e = point(item, "end");
    DesignLoop loop =
        polygonLoop({at.apply(s), at.apply({e.x, s.y}), at.apply(e), at.apply({s.x, e.y})});
    if (loop.empty()) refuse(item, QStringLiteral("a rectangle without area"));
    m_edgeLoops.emplace_back(loop, item.line);
  } else if (kind == "poly") {
    m_edgeLoops.emplace_back(polyLoop(item, at), item.line);
  } else {
    refuse(item,
           QStringLiteral("(%1) shapes on Edge.Cuts are not read").arg(quotedExcerpt(item.head())));
  }
}

void BoardReader::read(const QByteArray* project) {
  if (m_root.head() != "kicad_pcb") {
    refuse(m_root,
           QStringLiteral("not a KiCad board: the document is (%1 ...), not (kicad_pcb ...)")
               .arg(quotedExcerpt(m_root.head())));
  }
  const SExpr& version = need(m_root, "version");
  m_version = number(version, 1);
  if (m_version < kMinVersion) {
    refuse(version,
           QStringLiteral("written in the format of %1, older than KiCad 5.0 (%2); save it "
                          "with KiCad 5 or later")
               .arg(quotedExcerpt(version.items[1].text))
               .arg(kMinVersion));
  }
  m_design = Design();
  m_design.yDown = true;
  readLayers();
  readNets();
  readClearances(project);
  readFootprints();
  readTracks();
  readVias();
  readZones();
  readBoardGraphics();
  buildOutline();
  if (m_copperTexts > 0) {
    m_design.notes
        << QStringLiteral("%1 texts on copper layers are not audited").arg(m_copperTexts);
  }
  if (m_unusedLayerItems > 0) {
    m_design.notes << QStringLiteral(
                          "%1 vias and pads marked to leave out unused layers are audited "
                          "on every layer they span")
                          .arg(m_unusedLayerItems);
  }
}

void BoardReader::readLayers() {
  // Vias and *.Cu pads make a feature on every copper layer they span: the
  // count is bounded as KiCad bounds it. A copper name given twice would
  // leave its items on either layer.
  std::vector<std::pair<int, QByteArray>> copper;
  QSet<QByteArray> names;
  for (const SExpr& entry : need(m_root, "layers").items) {
    if (!entry.isList || entry.items.size() < 2) continue;
    const QByteArray name = entry.items[1].text;
    if (!name.endsWith(".Cu")) continue;
    if (names.contains(name)) {
      refuse(entry,
             QStringLiteral("the copper layer \"%1\" is listed twice").arg(quotedExcerpt(name)));
    }
    if (copper.size() == static_cast<std::size_t>(kMaxCopperLayers)) {
      refuse(entry,
             QStringLiteral("the board has more than %1 copper layers").arg(kMaxCopperLayers));
    }
    names.insert(name);
    copper.emplace_back(integer(entry, 0), name);
  }
  if (copper.empty())
    refuse(need(m_root, "layers"), QStringLiteral("the board has no copper layer"));
  std::sort(copper.begin(), copper.end());
  m_design.layers.clear();
  for (const auto& [ordinal, name] : copper) {
    m_copper.insert(name, m_design.layers.size());
    m_design.layers << QString::fromUtf8(name);
  }
}

void BoardReader::readNets() {
  for (const SExpr* net : m_root.all("net")) {
    if (net->items.size() < 3) refuse(*net, QStringLiteral("a net needs a number and a name"));
    m_nets.insert(integer(*net, 1), QString::fromUtf8(net->items[2].text));
  }
}

void BoardReader::readClearances(const QByteArray* project) {
  QString error;
  const bool ok = project != nullptr ? parseProjectNetClasses(*project, m_classes, error)
                                     : boardNetClasses(m_root, m_classes, error);
  if (!ok) throw Refusal{0, error};
  m_design.clearance = m_classes.defaultClearance;
}

QString BoardReader::netName(const SExpr& item) {
  const SExpr* net = item.find("net");
  if (net == nullptr) return {};
  if (net->items.size() >= 2 && net->items[1].quoted) return QString::fromUtf8(net->items[1].text);
  const int n = integer(*net, 1);
  if (n == 0) return {};
  auto it = m_nets.constFind(n);
  if (it == m_nets.constEnd())
    refuse(*net, QStringLiteral("net %1 is not in the board's list of nets").arg(n));
  return *it;
}

QString BoardReader::noNet(const QString& owner) const {
  return QStringLiteral("(no net) ") + owner;
}

double BoardReader::clearanceOf(const QString& net) const { return m_classes.clearanceOf(net); }

std::vector<int> BoardReader::copperLayers(const SExpr& at, const QByteArray& name,
                                           bool needCopper) {
  std::vector<int> layers;
  if (name == "*.Cu") {
    for (int i = 0; i < m_design.layers.size(); ++i) layers.push_back(i);
  } else if (name == "F&B.Cu") {
    layers = {m_copper.value("F.Cu", -1), m_copper.value("B.Cu", -1)};
    layers.erase(std::remove(layers.begin(), layers.end(), -1), layers.end());
  } else if (m_copper.contains(name)) {
    layers.push_back(m_copper.value(name));
  } else if (needCopper) {
    refuse(at,
           QStringLiteral("\"%1\" is not a copper layer of this board").arg(quotedExcerpt(name)));
  }
  return layers;
}

int BoardReader::copperLayer(const SExpr& item) {
  const SExpr& layer = need(item, "layer");
  if (layer.items.size() < 2) refuse(layer, QStringLiteral("(layer) without a name"));
  return copperLayers(layer, layer.items[1].text, true).front();
}

void BoardReader::addFeature(const QString& id, const QString& net, DesignRegion region, int layer,
                             double clearance) {
  DesignFeature f;
  f.id = id;
  f.net = net;
  f.region = std::move(region);
  f.layer = layer;
  f.clearance = clearance;
  m_design.features.push_back(std::move(f));
}

void BoardReader::readTracks() {
  for (const SExpr& item : m_root.items) {
    const bool arcTrack = item.head() == "arc";
    if (!arcTrack && item.head() != "segment") continue;
    const QString id = QStringLiteral("%1@L%2").arg(arcTrack ? "arc" : "track").arg(item.line);
    const double hw = positive(item, number(need(item, "width"), 1) / 2, "half width");
    DesignPoint s = point(item, "start"), e = point(item, "end");
    DesignRegion r;
    DesignCurve arc;
    if (arcTrack && arcOf(item, Placement(), arc, s, e)) {
      if (!thickArcLoop(arc, hw, r.outer))
        refuse(item, QStringLiteral("an arc track is narrower than its width"));
    } else {
      r.outer = capsuleLoop(s, e, hw);
    }
    QString net = netName(item);
    if (net.isEmpty()) net = noNet(id);
    addFeature(id, net, r, copperLayer(item), clearanceOf(net));
  }
}

void BoardReader::readVias() {
  for (const SExpr* via : m_root.all("via")) {
    const QString id = QStringLiteral("via@L%1").arg(via->line);
    const SExpr& at = need(*via, "at");
    const DesignPoint c{coordinate(at, 1), coordinate(at, 2)};
    const double r = positive(*via, number(need(*via, "size"), 1) / 2, "radius");
    const SExpr& layers = need(*via, "layers");
    if (layers.items.size() != 3) refuse(layers, QStringLiteral("a via names its two end layers"));
    int from = copperLayers(layers, layers.items[1].text, true).front();
    int to = copperLayers(layers, layers.items[2].text, true).front();
    if (from > to) std::swap(from, to);
    if (via->find("remove_unused_layers") != nullptr) ++m_unusedLayerItems;
    if (const SExpr* drill = via->find("drill")) {
      m_design.drills.push_back(
          circleLoop(c, positive(*drill, number(*drill, 1) / 2, "drill radius")));
    }
    QString net = netName(*via);
    if (net.isEmpty()) net = noNet(id);
    for (int layer = from; layer <= to; ++layer) {
      addFeature(id, net, DesignRegion{circleLoop(c, r), {}}, layer, clearanceOf(net));
    }
  }
}

void BoardReader::readZones() {
  std::vector<const SExpr*> zones = m_root.all("zone");
  for (const SExpr* fp : footprints()) {
    for (const SExpr* z : fp->all("zone")) zones.push_back(z);
  }
  for (const SExpr* zone : zones) {
    QString net = netName(*zone);
    if (net.isEmpty()) net = noNet(QStringLiteral("zone@L%1").arg(zone->line));
    // The zone's own clearance keeps the fill away from other nets; the
    // net class may ask for more.
    double clearance = clearanceOf(net);
    if (const SExpr* connect = zone->find("connect_pads")) {
      if (const SExpr* c = connect->find("clearance"))
        clearance = std::max(clearance, localClearance(*c));
    }
    // Fills that are drawn with a pen of the zone's minimum thickness (the
    // way of formats before KiCad 6) are larger than their polygons.
    const QString thick = text(*zone, "filled_areas_thickness");
    const bool stroked = thick == QLatin1String("yes") || (thick.isEmpty() && m_version < 20211014);
    if (stroked && zone->find("filled_polygon") != nullptr) {
      refuse(*zone, QStringLiteral("zone fills drawn with an outline thickness are not read; fill "
                                   "the zones again with KiCad 6 or later"));
    }
    for (const SExpr* fill : zone->all("filled_polygon")) {
      const QString id = QStringLiteral("zone %1@L%2").arg(net).arg(fill->line);
      // Formats before KiCad 6 give the layer on the zone only.
      const int layer = copperLayer(fill->find("layer") != nullptr ? *fill : *zone);
      addFeature(id, net, DesignRegion{polyLoop(*fill, Placement()), {}}, layer, clearance);
    }
  }
}

void BoardReader::readBoardGraphics() {
  for (const SExpr& item : m_root.items) {
    const QByteArray head = item.head();
    if (head == "gr_text" || head == "gr_text_box") {
      if (m_copper.contains(text(item, "layer").toUtf8())) ++m_copperTexts;
      continue;
    }
    if (!isGraphic(head, "gr_")) continue;
    const QByteArray layer = text(item, "layer").toUtf8();
    if (layer == "Edge.Cuts") {
      addEdgeGraphic(item, Placement());
    } else if (m_copper.contains(layer)) {
      const QString id = QStringLiteral("graphic@L%1").arg(item.line);
      const std::vector<DesignRegion> parts = graphicRegions(item, Placement(), head == "gr_poly");
      for (std::size_t k = 0; k < parts.size(); ++k) {
        const QString partId = parts.size() == 1 ? id : id + QStringLiteral("/%1").arg(k + 1);
        addFeature(partId, noNet(id), parts[k], m_copper.value(layer), clearanceOf(QString()));
      }
    }
  }
}

std::vector<DesignLoop> chainOutline(const std::vector<EdgePiece>& pieces) {
  // Ends of the open pieces in cells of kChainTol, so that each join looks
  // at a few neighbours only. Many ends may share a cell (pieces meeting at
  // one point): the ends of used pieces leave their cell when a search
  // first meets them, and an end at the point itself ends the search.
  auto key = [](const DesignPoint& p) {
    // Coordinates stay within +-1e5, so cells fit 32 bits each way.
    const auto ix =
        static_cast<unsigned long long>(static_cast<long long>(std::floor(p.x / kChainTol)));
    const auto iy =
        static_cast<unsigned long long>(static_cast<long long>(std::floor(p.y / kChainTol)));
    return (ix << 32) ^ (iy & 0xffffffffull);
  };
  const int n = static_cast<int>(pieces.size());
  auto curve = [&](int piece) -> const DesignCurve& {
    return pieces[static_cast<std::size_t>(piece)].curve;
  };
  // End e is piece e / 2's start (e even) or end (e odd).
  auto endPoint = [&](int e) {
    return e % 2 == 0 ? curve(e / 2).startPoint() : curve(e / 2).endPoint();
  };
  std::unordered_map<unsigned long long, std::vector<int>> cells;
  cells.reserve(static_cast<std::size_t>(2 * n));
  for (int e = 0; e < 2 * n; ++e) cells[key(endPoint(e))].push_back(e);
  std::vector<bool> used(static_cast<std::size_t>(n), false);
  // p's own cell first: the end that continues a chain usually lies at p.
  static constexpr int kAround[9][2] = {{0, 0}, {-1, -1}, {-1, 0}, {-1, 1}, {0, -1},
                                        {0, 1}, {1, -1},  {1, 0},  {1, 1}};
  auto nearestEnd = [&](const DesignPoint& p) {
    int best = -1;
    double bestGap = kChainTol;
    for (const auto& [dx, dy] : kAround) {
      const auto cell = cells.find(key({p.x + dx * kChainTol, p.y + dy * kChainTol}));
      if (cell == cells.end()) continue;
      std::vector<int>& ends = cell->second;
      for (std::size_t k = 0; k < ends.size();) {
        const int e = ends[k];
        if (used[static_cast<std::size_t>(e / 2)]) {
          ends[k] = ends.back();
          ends.pop_back();
          continue;
        }
        const double gap = dist(p, endPoint(e));
        if (gap <= bestGap) {
          bestGap = gap;
          best = e;
          if (gap == 0) return best;
        }
        ++k;
      }
    }
    return best;
  };
  std::vector<DesignLoop> loops;
  for (int i = 0; i < n; ++i) {
    if (used[static_cast<std::size_t>(i)]) continue;
    used[static_cast<std::size_t>(i)] = true;
    DesignLoop loop{curve(i)};
    const DesignPoint start = loop.front().startPoint();
    while (loop.size() == 1 || dist(loop.back().endPoint(), start) > kChainTol) {
      const DesignPoint at = loop.back().endPoint();
      const int next = nearestEnd(at);
      if (next < 0) {
        if (dist(at, start) <= kChainTol) break;
        throw Refusal{pieces[static_cast<std::size_t>(i)].line,
                      QStringLiteral("the board outline on Edge.Cuts is not closed: nothing "
                                     "continues it at (%1, %2)")
                          .arg(at.x)
                          .arg(at.y)};
      }
      used[static_cast<std::size_t>(next / 2)] = true;
      const DesignCurve& c = curve(next / 2);
      if (dist(at, endPoint(next)) > designformat::kJoinTol)
        loop.push_back(lineCurve(at, endPoint(next)));
      loop.push_back(next % 2 == 0 ? c : reversed(c));
    }
    if (dist(loop.back().endPoint(), start) > designformat::kJoinTol) {
      loop.push_back(lineCurve(loop.back().endPoint(), start));
    }
    const bool hasArc = std::any_of(loop.begin(), loop.end(), [](const DesignCurve& c) {
      return c.kind == DesignCurve::Kind::Arc;
    });
    if (loop.size() < (hasArc ? 2u : 3u)) {
      throw Refusal{pieces[static_cast<std::size_t>(i)].line,
                    QStringLiteral("an outline on Edge.Cuts encloses no area")};
    }
    loops.push_back(loop);
  }
  return loops;
}

void BoardReader::buildOutline() {
  std::vector<std::pair<DesignLoop, int>> loops = m_edgeLoops;
  for (const DesignLoop& l : chainOutline(m_edgePieces)) loops.emplace_back(l, 0);
  if (loops.empty()) throw Refusal{0, QStringLiteral("the board has no outline on Edge.Cuts")};
  std::vector<std::unique_ptr<GkShape>> shapes;
  std::size_t largest = 0;
  std::vector<double> areas;
  for (const auto& [loop, line] : loops) {
    shapes.push_back(makeShape(DesignRegion{loop, {}}));
    areas.push_back(shapeArea(*shapes.back()));
    if (areas.back() > areas[largest]) largest = areas.size() - 1;
  }
  m_design.board.outer = loops[largest].first;
  for (std::size_t i = 0; i < loops.size(); ++i) {
    if (i == largest) continue;
    const DesignPoint p = loops[i].first.front().startPoint();
    if (!shapes[largest]->IsPointIn(AcGePoint2d(p.x, p.y))) {
      throw Refusal{loops[i].second,
                    QStringLiteral("a second outline on Edge.Cuts near (%1, %2) lies outside the "
                                   "board outline; panels of several boards are not read")
                        .arg(p.x)
                        .arg(p.y)};
    }
    m_design.board.holes.push_back(loops[i].first);
  }
}

}  // namespace kicadread

bool looksLikeKicadBoard(const QByteArray& text) {
  for (char c : text) {
    if (c == '(') return true;
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') return false;
  }
  return false;
}

QString kicadProjectPath(const QString& boardPath) {
  const QFileInfo info(boardPath);
  return info.dir().filePath(info.completeBaseName() + QStringLiteral(".kicad_pro"));
}

bool parseKicadBoard(const QByteArray& board, const QByteArray* project, Design& design,
                     QString& error) {
  SExpr root;
  if (!parseSExpr(board, root, error)) return false;
  try {
    kicadread::BoardReader(root, design).read(project);
  } catch (const kicadread::Refusal& r) {
    error = r.line > 0 ? QStringLiteral("line %1: %2").arg(r.line).arg(r.what) : r.what;
    return false;
  }
  return true;
}
