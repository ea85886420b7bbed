// The application's main window: the user opens a design file and sees the
// findings of its audit in a table, with a one-line summary above it.
#pragma once

#include <QMainWindow>

class GkFindingsModel;
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

private:
  void chooseDesign();

  GkFindingsModel* m_model;
  QTableView* m_table;
  QLabel* m_summary;
};
