// Table model of audit findings for the main window: one row per finding,
// the columns of the CSV output.
#pragma once

#include "designaudit.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <vector>

class GkFindingsModel : public QAbstractTableModel {
  Q_OBJECT

public:
  explicit GkFindingsModel(QObject* parent = nullptr);

  // Replaces the rows with the findings of one audit.
  void setFindings(const Design& design, const std::vector<AuditFinding>& findings);
  void clear();

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

private:
  QStringList m_columns;
  std::vector<QStringList> m_rows;
  std::vector<FindingKind> m_kinds;
};
