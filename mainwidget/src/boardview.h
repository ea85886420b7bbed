// A drawing of a design for the main window: the board (outline and
// holes), drilled holes, the copper of one layer coloured by net, and the findings of
// that layer marked in red. The wheel zooms about the cursor, dragging
// pans, and selecting a finding centres and zooms the view on it.
#pragma once

#include "designaudit.h"

#include <QPainterPath>
#include <QPointF>
#include <QWidget>

#include <vector>

class GkBoardView : public QWidget {
  Q_OBJECT

public:
  explicit GkBoardView(QWidget* parent = nullptr);

  // Shows the design and its findings (copied), fitted to the board, on
  // layer 0 with no finding selected.
  void setDesign(const Design& design, const std::vector<AuditFinding>& findings);
  void clear();

  // The copper layer drawn (index into Design::layers); out of range is ignored.
  void setLayer(int layer);
  int layer() const { return m_layer; }

  // Marks the finding, shows its layer and centres on it, zoomed so that
  // its features fill about half the view; -1 selects none.
  void selectFinding(int index);
  int selectedFinding() const { return m_selected; }

  // Drawing units per pixel inverted: pixels per unit.
  double scale() const { return m_scale; }
  // The design point shown at the centre of the view.
  QPointF centre() const { return m_centre; }

signals:
  void layerChanged(int layer);

protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  QPointF toScreen(const QPointF& p) const;
  QPointF toDesign(const QPointF& s) const;
  QRectF findingBox(const AuditFinding& f) const;
  void fit(const QRectF& box, double fill);

  Design m_design;
  std::vector<AuditFinding> m_findings;
  QPainterPath m_board;
  QPainterPath m_drills;
  std::vector<QPainterPath> m_copper;  // one per feature, in design units
  std::vector<QColor> m_netColour;     // one per feature
  int m_layer = 0;
  int m_selected = -1;
  double m_scale = 1.0;
  QPointF m_centre;
  QPoint m_dragFrom;
  bool m_autoFit = false;
};
