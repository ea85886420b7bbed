// Footprints of a board: their pads on every copper layer they span, and
// their graphics on Edge.Cuts and on copper.
#include "echotext.h"
#include "kicadreader.h"

#include <QSet>

#include <algorithm>

#include <cmath>

namespace kicadread {

namespace {

bool isFootprintGraphic(const QByteArray& head) {
  return head == "fp_line" || head == "fp_arc" || head == "fp_circle" || head == "fp_rect" ||
         head == "fp_poly" || head == "fp_curve";
}

Placement placementOf(const SExpr& at) {
  Placement p;
  p.origin = DesignPoint{coordinate(at, 1), coordinate(at, 2)};
  if (at.items.size() > 3 && !at.items[3].isList) p.angleDeg = rotation(at, 3);
  return p;
}

QString reference(const SExpr& fp) {
  for (const SExpr* t : fp.all("fp_text")) {
    if (t->items.size() > 2 && t->items[1].text == "reference")
      return QString::fromUtf8(t->items[2].text);
  }
  for (const SExpr* p : fp.all("property")) {
    if (p->items.size() > 2 && p->items[1].text == "Reference")
      return QString::fromUtf8(p->items[2].text);
  }
  return QStringLiteral("footprint@L%1").arg(fp.line);
}

// A drill hole centred on the origin: (drill D) or (drill oval W H).
DesignLoop drillLoop(const SExpr& drill) {
  const bool oval = drill.hasAtom("oval");
  const std::size_t first = oval ? 2 : 1;
  const double w = positive(drill, number(drill, first), "drill size");
  double h = w;
  if (oval && drill.items.size() > 3 && !drill.items[3].isList)
    h = positive(drill, number(drill, 3), "drill size");
  if (w == h) return circleLoop({0, 0}, w / 2);
  CornerCuts round;
  round.radius = std::min(w, h) / 2;
  return rectLoop(w, h, round);
}

}  // namespace

std::vector<const SExpr*> BoardReader::footprints() const {
  std::vector<const SExpr*> all = m_root.all("footprint");
  for (const SExpr* m : m_root.all("module")) all.push_back(m);
  return all;
}

void BoardReader::readFootprints() {
  for (const SExpr* fp : footprints()) readFootprint(*fp);
}

void BoardReader::readFootprint(const SExpr& fp) {
  const Placement at = placementOf(need(fp, "at"));
  const QString ref = reference(fp);
  double fpClearance = -1;
  if (const SExpr* c = fp.find("clearance")) fpClearance = localClearance(*c);
  // Copper graphics of a footprint whose pads all sit on one net belong to
  // that net. When none of its pads has a net, the graphics join them (a
  // microwave stub between two pads): graphics and pads are then one net.
  QSet<QString> nets;
  for (const SExpr* pad : fp.all("pad")) nets.insert(netName(*pad));
  bool copperGraphics = false;
  for (const SExpr& item : fp.items) {
    copperGraphics = copperGraphics || (isFootprintGraphic(item.head()) &&
                                        m_copper.contains(text(item, "layer").toUtf8()));
  }
  QString fpNet = nets.size() == 1 ? *nets.begin() : QString();
  m_footprintNet = fpNet.isEmpty() && nets.size() == 1 && copperGraphics ? noNet(ref) : QString();
  if (!m_footprintNet.isEmpty()) fpNet = m_footprintNet;
  for (const SExpr& item : fp.items) {
    const QByteArray head = item.head();
    if (head == "pad") {
      readPad(item, at, ref, fpClearance);
    } else if (head == "fp_text" || head == "fp_text_box") {
      if (m_copper.contains(text(item, "layer").toUtf8())) ++m_copperTexts;
    } else if (isFootprintGraphic(head)) {
      const QByteArray layer = text(item, "layer").toUtf8();
      if (layer == "Edge.Cuts") {
        addEdgeGraphic(item, at);
      } else if (m_copper.contains(layer)) {
        const QString id = QStringLiteral("%1 graphic@L%2").arg(ref).arg(item.line);
        const QString net = fpNet.isEmpty() ? noNet(id) : fpNet;
        const std::vector<DesignRegion> parts = graphicRegions(item, at, head == "fp_poly");
        for (std::size_t k = 0; k < parts.size(); ++k) {
          const QString partId = parts.size() == 1 ? id : id + QStringLiteral("/%1").arg(k + 1);
          addFeature(partId, net, parts[k], m_copper.value(layer),
                     fpClearance >= 0 ? fpClearance : clearanceOf(fpNet));
        }
      }
    }
  }
}

void BoardReader::readPad(const SExpr& pad, const Placement& fp, const QString& ref,
                          double fpClearance) {
  if (pad.items.size() < 4 || pad.items[1].isList) {
    refuse(pad, QStringLiteral("a pad needs a number, a type and a shape"));
  }
  const QString number = QString::fromUtf8(pad.items[1].text);
  const QString id = number.isEmpty() ? QStringLiteral("%1.pad@L%2").arg(ref).arg(pad.line)
                                      : ref + QLatin1Char('.') + number;
  std::vector<int> layers;
  const SExpr& names = need(pad, "layers");
  for (std::size_t k = 1; k < names.items.size(); ++k) {
    const SExpr& name = names.items[k];
    if (name.isList) continue;
    for (int l : copperLayers(pad, name.text, false)) {
      if (std::find(layers.begin(), layers.end(), l) == layers.end()) layers.push_back(l);
    }
  }
  if (layers.empty()) return;  // paste or mask only: no copper
  const SExpr& atNode = need(pad, "at");
  Placement at;
  at.origin = fp.apply(DesignPoint{coordinate(atNode, 1), coordinate(atNode, 2)});
  if (atNode.items.size() > 3 && !atNode.items[3].isList)
    at.angleDeg = kicadread::rotation(atNode, 3);
  const std::vector<DesignRegion> parts = padRegions(pad, at, id);
  if (parts.empty()) return;
  if (pad.find("remove_unused_layers") != nullptr) ++m_unusedLayerItems;
  // Unconnected pads of one footprint that share a number are one net.
  QString net = netName(pad);
  if (net.isEmpty()) net = m_footprintNet.isEmpty() ? noNet(id) : m_footprintNet;
  double clearance = clearanceOf(net);
  if (fpClearance >= 0) clearance = fpClearance;
  if (const SExpr* c = pad.find("clearance")) clearance = localClearance(*c);
  for (int layer : layers) {
    for (std::size_t k = 0; k < parts.size(); ++k) {
      const QString partId = parts.size() == 1 ? id : id + QStringLiteral("/%1").arg(k + 1);
      addFeature(partId, net, parts[k], layer, clearance);
    }
  }
}

std::vector<DesignRegion> BoardReader::padRegions(const SExpr& pad, const Placement& at,
                                                  const QString& id) {
  const QByteArray shape = pad.items[3].text;
  const QByteArray type = pad.items[2].text;
  if (pad.find("padstack") != nullptr) {
    refuse(pad, QStringLiteral("pad %1: pads with a shape per layer (padstack) are not read")
                    .arg(quotedExcerpt(id)));
  }
  const SExpr& size = need(pad, "size");
  const double w = positive(size, number(size, 1), "pad width");
  const double h = positive(size, number(size, 2), "pad height");
  const SExpr* drill = pad.find("drill");
  const bool drilled = drill != nullptr && (type == "thru_hole" || type == "np_thru_hole");
  if (drilled) m_design.drills.push_back(at.apply(drillLoop(*drill)));
  if (type == "np_thru_hole" && drill != nullptr) {
    // A plain hole: copper only where the pad reaches beyond the drill.
    const bool oval = drill->hasAtom("oval");
    const double dw = number(*drill, oval ? 2 : 1);
    const double dh =
        oval && drill->items.size() > 3 && !drill->items[3].isList ? number(*drill, 3) : dw;
    if (w <= dw && h <= dh) return {};
  }
  Placement shapeAt = at;
  if (drill != nullptr) {
    if (const SExpr* offset = drill->find("offset")) {
      shapeAt.origin = at.apply(DesignPoint{coordinate(*offset, 1), coordinate(*offset, 2)});
    }
  }
  DesignLoop local;
  if (shape == "circle" || (shape == "oval" && w == h)) {
    local = circleLoop({0, 0}, w / 2);
  } else if (shape == "rect" || shape == "oval" || shape == "roundrect" ||
             shape == "chamfered_rect") {
    CornerCuts cuts;
    const double shorter = std::min(w, h);
    if (shape == "oval") cuts.radius = shorter / 2;
    if (shape == "roundrect" || shape == "chamfered_rect") {
      if (const SExpr* r = pad.find("roundrect_rratio"))
        cuts.radius = std::clamp(number(*r, 1), 0.0, 0.5) * shorter;
      if (const SExpr* c = pad.find("chamfer_ratio"))
        cuts.chamfer = std::clamp(number(*c, 1), 0.0, 0.5) * shorter;
      if (const SExpr* corners = pad.find("chamfer")) {
        static const char* names[4] = {"top_left", "top_right", "bottom_right", "bottom_left"};
        for (int k = 0; k < 4; ++k) cuts.chamfered[k] = corners->hasAtom(names[k]);
      }
    }
    local = rectLoop(w, h, cuts);
  } else if (shape == "trapezoid") {
    double dx = 0, dy = 0;
    if (const SExpr* d = pad.find("rect_delta")) {
      dx = number(*d, 1);
      dy = number(*d, 2);
    }
    if (std::fabs(dx) >= h || std::fabs(dy) >= w)
      refuse(pad, QStringLiteral("pad %1: the trapezoid's delta folds it").arg(quotedExcerpt(id)));
    local = trapezoidLoop(w, h, dx, dy);
  } else if (shape == "custom") {
    return customPadRegions(pad, at);
  } else {
    refuse(pad, QStringLiteral("pad %1: unknown pad shape \"%2\"")
                    .arg(quotedExcerpt(id), quotedExcerpt(shape)));
  }
  DesignRegion region{shapeAt.apply(local), {}};
  if (type == "np_thru_hole" && drill != nullptr)
    region.holes.push_back(at.apply(drillLoop(*drill)));
  return {region};
}

std::vector<DesignRegion> BoardReader::customPadRegions(const SExpr& pad, const Placement& at) {
  // The pad is the union of its anchor and its primitives; each becomes one
  // part of the same net, which measures the same gaps as the union would.
  const SExpr& size = need(pad, "size");
  const double w = positive(size, number(size, 1), "pad width");
  const double h = positive(size, number(size, 2), "pad height");
  bool circleAnchor = false;
  if (const SExpr* options = pad.find("options")) {
    if (const SExpr* anchor = options->find("anchor")) circleAnchor = anchor->hasAtom("circle");
  }
  std::vector<DesignRegion> parts;
  parts.push_back(
      DesignRegion{at.apply(circleAnchor ? circleLoop({0, 0}, w / 2) : rectLoop(w, h, {})), {}});
  if (const SExpr* primitives = pad.find("primitives")) {
    for (const SExpr& prim : primitives->items) {
      if (!prim.isList || &prim == &primitives->items.front()) continue;
      for (DesignRegion& r : graphicRegions(prim, at, prim.head() == "gr_poly"))
        parts.push_back(std::move(r));
    }
  }
  return parts;
}

}  // namespace kicadread
