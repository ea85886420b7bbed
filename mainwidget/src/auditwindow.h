// The application's main window: the user opens a design file and sees the
// findings of its audit in a table beside a drawing of the board, with a
// one-line summary above them and a chooser of the copper layer drawn.
// Selecting a row centres the drawing on that finding.
#pragma once

#include <QMainWindow>

class GkBoardView;
class GkFindingsModel;
class QComboBox;
class QLabel;
class QTableView;

class GkAuditWindow : public QMainWindow {
  Q_OBJECT

public:
  explicit GkAuditWindow(const QString& userName, QWidget* parent = nullptr);

  // Reads and audits the design, synchronously, and shows the findings.
  // Returns false when the design cannot be read: the table is emptied and
  // the summary gives the reason.
  bool openDesign(const QString& path);

  const GkFindingsModel* findingsModel() const { return m_model; }
  QString summaryText() const;
  QTableView* findingsTable() const { return m_table; }
  GkBoardView* boardView() const { return m_view; }
  QComboBox* layerChooser() const { return m_layers; }

private:
  void chooseDesign();
  void showSelectedFinding();

  GkFindingsModel* m_model;
  QTableView* m_table;
  QLabel* m_summary;
  GkBoardView* m_view;
  QComboBox* m_layers;
};
