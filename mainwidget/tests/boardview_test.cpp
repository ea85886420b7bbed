// The drawing of the board in the main window, offscreen: it shows the
// board and the copper, marks the findings, follows the selected row to its
// finding and layer, zooms about the cursor and pans by dragging. PNGs of
// the window on the sample design and on a kicad-demos board with a finding
// selected are saved into the build folder.
#include "boardview.h"
#include "auditwindow.h"
#include "findingsmodel.h"
#include "samples.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QMouseEvent>
#include <QTableView>
#include <QWheelEvent>

namespace {

struct Colours {
  int board = 0;   // the board's dark green
  int marks = 0;   // the red of the finding markers
  int copper = 0;  // anything bright and saturated that is not red
};

Colours coloursOf(QWidget& w) {
  const QImage image = w.grab().toImage();
  Colours c;
  for (int y = 0; y < image.height(); y += 2) {
    for (int x = 0; x < image.width(); x += 2) {
      const QColor p = image.pixelColor(x, y);
      if (p.red() == 20 && p.green() == 70 && p.blue() == 40)
        ++c.board;
      else if (p.red() > 200 && p.green() < 80 && p.blue() < 80)
        ++c.marks;
      else if (p.saturation() > 100 && p.value() > 150)
        ++c.copper;
    }
  }
  return c;
}

void savePng(QWidget& w, const char* name) {
  const QString path = QStringLiteral(GK_SCREENSHOT_DIR "/") + QLatin1String(name);
  EXPECT_TRUE(w.grab().save(path)) << path.toStdString();
}

void selectRow(GkAuditWindow& window, int row) {
  window.findingsTable()->selectRow(row);
  QApplication::processEvents();
}

}  // namespace

TEST(BoardView, SampleIsDrawnAndTheSelectedFindingCentred) {
  GkAuditWindow window("alice");
  window.show();
  ASSERT_TRUE(window.openDesign(samplePath("violations.json")));
  QApplication::processEvents();
  GkBoardView& view = *window.boardView();
  const Colours fitted = coloursOf(view);
  EXPECT_GT(fitted.board, 1000);
  EXPECT_GT(fitted.copper, 100);
  EXPECT_GT(fitted.marks, 20);
  EXPECT_FALSE(window.layerChooser()->isEnabled());  // one layer only

  const double fitScale = view.scale();
  selectRow(window, 3);  // the first clearance violation
  EXPECT_EQ(view.selectedFinding(), 3);
  EXPECT_GT(view.scale(), fitScale);
  savePng(window, "board_view_sample.png");

  // Wheel zoom keeps the design point under the cursor where it was.
  const QPointF cursor(view.width() * 0.3, view.height() * 0.7);
  const double scale = view.scale();
  const QPointF centre = view.centre();
  QWheelEvent wheel(cursor, view.mapToGlobal(cursor.toPoint()), QPoint(), QPoint(0, 240),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&view, &wheel);
  EXPECT_NEAR(view.scale(), scale * 1.25 * 1.25, 1e-9 * scale);
  const QPointF offset = cursor - QPointF(view.width() / 2.0, view.height() / 2.0);
  // y up in a JSON design: screen y grows opposite to design y.
  const QPointF before(centre.x() + offset.x() / scale, centre.y() - offset.y() / scale);
  const QPointF after(view.centre().x() + offset.x() / view.scale(),
                      view.centre().y() - offset.y() / view.scale());
  EXPECT_NEAR(before.x(), after.x(), 1e-9);
  EXPECT_NEAR(before.y(), after.y(), 1e-9);

  // Dragging 50 pixels right moves the view 50 pixels' worth to the left.
  const QPointF start = view.centre();
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(100, 100), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QMouseEvent move(QEvent::MouseMove, QPointF(150, 100), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QApplication::sendEvent(&view, &press);
  QApplication::sendEvent(&view, &move);
  EXPECT_NEAR(view.centre().x(), start.x() - 50 / view.scale(), 1e-9);
  EXPECT_NEAR(view.centre().y(), start.y(), 1e-9);
}

TEST(BoardView, KicadBoardShowsTheLayerOfTheSelectedFinding) {
  GkAuditWindow window("alice");
  window.show();
  ASSERT_TRUE(window.openDesign(
      QStringLiteral(GK_KICAD_DEMOS_DIR "/pic_programmer/pic_programmer.kicad_pcb")))
      << window.summaryText().toStdString();
  QApplication::processEvents();
  QComboBox& layers = *window.layerChooser();
  EXPECT_TRUE(layers.isEnabled());
  ASSERT_EQ(layers.count(), 2);
  EXPECT_EQ(layers.currentText(), "F.Cu");
  GkBoardView& view = *window.boardView();
  const Colours front = coloursOf(view);
  EXPECT_GT(front.copper, 1000);
  EXPECT_EQ(front.marks, 0);  // every finding of this board is on B.Cu

  ASSERT_GE(window.findingsModel()->rowCount(), 1);
  selectRow(window, 0);
  EXPECT_EQ(view.layer(), 1);
  EXPECT_EQ(layers.currentText(), "B.Cu");
  EXPECT_GT(coloursOf(view).marks, 20);
  savePng(window, "board_view_kicad.png");

  // The chooser switches the drawing back to the front copper.
  layers.setCurrentIndex(0);
  emit layers.activated(0);
  EXPECT_EQ(view.layer(), 0);
}
