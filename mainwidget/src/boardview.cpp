#include "boardview.h"

#include <QHash>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

// Arcs are drawn as chords of at most this angle (degrees).
constexpr double kArcStepDeg = 5.0;
// One wheel notch (120 units of angle) zooms by this factor.
constexpr double kZoomPerNotch = 1.25;

void addLoop(QPainterPath& path, const DesignLoop& loop) {
  bool first = true;
  auto to = [&](const DesignPoint& p) {
    if (first)
      path.moveTo(p.x, p.y);
    else
      path.lineTo(p.x, p.y);
    first = false;
  };
  for (const DesignCurve& c : loop) {
    if (c.kind == DesignCurve::Kind::Line) {
      to(c.from);
      to(c.to);
      continue;
    }
    double start = c.kind == DesignCurve::Kind::Circle ? 0.0 : c.startDeg;
    double sweep = 360.0;
    if (c.kind == DesignCurve::Kind::Arc) {
      sweep = std::fmod(c.ccw ? c.endDeg - c.startDeg : c.startDeg - c.endDeg, 360.0);
      if (sweep <= 0) sweep += 360.0;
      if (!c.ccw) sweep = -sweep;
    }
    const int steps = std::max(2, static_cast<int>(std::ceil(std::fabs(sweep) / kArcStepDeg)));
    for (int k = 0; k <= steps; ++k) {
      const double a = (start + sweep * k / steps) * kRadiansPerDegree;
      to(DesignPoint{c.center.x + c.radius * std::cos(a), c.center.y + c.radius * std::sin(a)});
    }
  }
  path.closeSubpath();
}

QPainterPath regionPath(const DesignRegion& r) {
  QPainterPath path;
  path.setFillRule(Qt::OddEvenFill);
  addLoop(path, r.outer);
  for (const DesignLoop& hole : r.holes) addLoop(path, hole);
  return path;
}

// A stable colour per net name: hue from its hash, light enough to read
// the red markers on top.
QColor netColour(const QString& net) {
  const uint h = qHash(net);
  return QColor::fromHsv(static_cast<int>(h % 360), 140 + static_cast<int>((h >> 9) % 80), 200,
                         210);
}

}  // namespace

GkBoardView::GkBoardView(QWidget* parent) : QWidget(parent) {
  setMinimumSize(320, 240);
  setMouseTracking(false);
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, QColor(24, 28, 32));
  setPalette(p);
}

void GkBoardView::clear() {
  m_design = Design();
  m_findings.clear();
  m_board = QPainterPath();
  m_drills = QPainterPath();
  m_copper.clear();
  m_netColour.clear();
  m_layer = 0;
  m_selected = -1;
  update();
}

void GkBoardView::setDesign(const Design& design, const std::vector<AuditFinding>& findings) {
  clear();
  m_design = design;
  m_findings = findings;
  m_board = regionPath(design.board);
  for (const DesignLoop& drill : design.drills) addLoop(m_drills, drill);
  for (const DesignFeature& f : design.features) {
    m_copper.push_back(regionPath(f.region));
    m_netColour.push_back(netColour(f.net));
  }
  fit(m_board.boundingRect(), 0.95);
  m_autoFit = true;
  update();
}

void GkBoardView::setLayer(int layer) {
  if (layer < 0 || layer >= m_design.layers.size() || layer == m_layer) return;
  m_layer = layer;
  emit layerChanged(layer);
  update();
}

QRectF GkBoardView::findingBox(const AuditFinding& f) const {
  QRectF box = m_copper[static_cast<std::size_t>(f.feature)].boundingRect();
  if (f.other >= 0) box = box.united(m_copper[static_cast<std::size_t>(f.other)].boundingRect());
  if (f.hasPoints) {
    // Around the two nearest points, wide enough to show what is near.
    const QRectF at = QRectF(QPointF(f.x1, f.y1), QPointF(f.x2, f.y2)).normalized();
    const double margin = std::max(1.0, 0.25 * std::max(box.width(), box.height()));
    box = at.adjusted(-margin, -margin, margin, margin).intersected(box.adjusted(-1, -1, 1, 1));
  }
  return box;
}

void GkBoardView::selectFinding(int index) {
  if (index < 0 || index >= static_cast<int>(m_findings.size())) {
    m_selected = -1;
    update();
    return;
  }
  m_selected = index;
  m_autoFit = false;
  const AuditFinding& f = m_findings[static_cast<std::size_t>(index)];
  setLayer(f.layer);
  fit(findingBox(f), 0.5);
  update();
}

void GkBoardView::fit(const QRectF& box, double fill) {
  if (box.isEmpty() && box.width() == 0 && box.height() == 0) {
    m_centre = box.center();
    return;
  }
  const double w = std::max(box.width(), 1e-3), h = std::max(box.height(), 1e-3);
  m_scale = fill * std::min(width() / w, height() / h);
  m_centre = box.center();
}

QPointF GkBoardView::toScreen(const QPointF& p) const {
  const double flip = m_design.yDown ? 1.0 : -1.0;
  return QPointF(width() / 2.0 + (p.x() - m_centre.x()) * m_scale,
                 height() / 2.0 + flip * (p.y() - m_centre.y()) * m_scale);
}

QPointF GkBoardView::toDesign(const QPointF& s) const {
  const double flip = m_design.yDown ? 1.0 : -1.0;
  return QPointF(m_centre.x() + (s.x() - width() / 2.0) / m_scale,
                 m_centre.y() + flip * (s.y() - height() / 2.0) / m_scale);
}

void GkBoardView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  if (m_copper.empty() && m_board.isEmpty()) {
    p.setPen(QColor(200, 200, 200));
    p.drawText(rect(), Qt::AlignCenter, tr("No design"));
    return;
  }
  QTransform t;
  t.translate(width() / 2.0, height() / 2.0);
  t.scale(m_scale, m_design.yDown ? m_scale : -m_scale);
  t.translate(-m_centre.x(), -m_centre.y());
  p.setTransform(t);

  QPen outline(QColor(230, 220, 120));
  outline.setCosmetic(true);
  outline.setWidthF(1.5);
  p.setPen(outline);
  p.setBrush(QColor(20, 70, 40));
  p.drawPath(m_board);

  p.setPen(Qt::NoPen);
  const QRectF visible = t.inverted().mapRect(QRectF(rect()));
  for (std::size_t i = 0; i < m_copper.size(); ++i) {
    if (m_design.features[i].layer != m_layer) continue;
    if (!m_copper[i].boundingRect().intersects(visible)) continue;
    p.setBrush(m_netColour[i]);
    p.drawPath(m_copper[i]);
  }

  // Drilled holes through everything, in the colour of the background.
  p.setBrush(palette().color(QPalette::Window));
  p.drawPath(m_drills);

  // Findings: the features outlined and the nearest points joined, in red;
  // the selected one thicker, in white and red.
  for (int k = 0; k < static_cast<int>(m_findings.size()); ++k) {
    const AuditFinding& f = m_findings[static_cast<std::size_t>(k)];
    if (f.layer != m_layer) continue;
    const bool selected = k == m_selected;
    QPen pen(selected ? QColor(255, 255, 255) : QColor(255, 40, 40));
    pen.setCosmetic(true);
    pen.setWidthF(selected ? 3.0 : 1.5);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(m_copper[static_cast<std::size_t>(f.feature)]);
    if (f.other >= 0) p.drawPath(m_copper[static_cast<std::size_t>(f.other)]);
    const QPointF at = f.hasPoints
                           ? QPointF((f.x1 + f.x2) / 2, (f.y1 + f.y2) / 2)
                           : m_copper[static_cast<std::size_t>(f.feature)].boundingRect().center();
    if (f.hasPoints) p.drawLine(QPointF(f.x1, f.y1), QPointF(f.x2, f.y2));
    // A ring of a fixed size on screen around the place of the finding.
    const QPointF s = t.map(at);
    p.save();
    p.resetTransform();
    QPen ring(QColor(255, 40, 40));
    ring.setWidthF(selected ? 3.0 : 2.0);
    p.setPen(ring);
    const double radius = selected ? 16 : 9;
    p.drawEllipse(s, radius, radius);
    p.restore();
  }
  p.resetTransform();
  p.setPen(QColor(220, 220, 220));
  p.drawText(QRectF(rect()).adjusted(8, 4, -8, -4), Qt::AlignLeft | Qt::AlignTop,
             m_design.layers.value(m_layer));
}

void GkBoardView::wheelEvent(QWheelEvent* event) {
  const double notches = event->angleDelta().y() / 120.0;
  if (notches == 0) return;
  // Zoom about the point under the cursor: it stays where it is.
  const QPointF cursor = event->position();
  const QPointF before = toDesign(cursor);
  m_scale *= std::pow(kZoomPerNotch, notches);
  m_scale = std::clamp(m_scale, 1e-3, 1e7);
  const QPointF after = toDesign(cursor);
  m_centre += before - after;
  m_autoFit = false;
  update();
  event->accept();
}

void GkBoardView::mousePressEvent(QMouseEvent* event) {
  m_dragFrom = event->pos();
  event->accept();
}

void GkBoardView::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & (Qt::LeftButton | Qt::MiddleButton))) return;
  const QPointF moved = toDesign(m_dragFrom) - toDesign(event->pos());
  m_centre += moved;
  m_autoFit = false;
  m_dragFrom = event->pos();
  update();
  event->accept();
}

void GkBoardView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // Until the user zooms, pans or selects, the board stays fitted: setDesign
  // may have fitted it to a widget not yet laid out.
  if (m_autoFit) fit(m_board.boundingRect(), 0.95);
}
