#include "findingsmodel.h"

#include "findingscsv.h"

#include <QBrush>
#include <QColor>

GkFindingsModel::GkFindingsModel(QObject* parent)
    : QAbstractTableModel(parent), m_columns(findingColumnNames()) {}

void GkFindingsModel::setFindings(const Design& design, const std::vector<AuditFinding>& findings) {
  beginResetModel();
  m_rows.clear();
  m_kinds.clear();
  for (const AuditFinding& f : findings) {
    m_rows.push_back(findingFields(design, f));
    m_kinds.push_back(f.kind);
  }
  endResetModel();
}

void GkFindingsModel::clear() {
  beginResetModel();
  m_rows.clear();
  m_kinds.clear();
  endResetModel();
}

int GkFindingsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int GkFindingsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : m_columns.size();
}

QVariant GkFindingsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) {
    return {};
  }
  const auto row = static_cast<std::size_t>(index.row());
  if (role == Qt::DisplayRole) return m_rows[row].at(index.column());
  if (role == Qt::TextAlignmentRole && index.column() >= 5) {
    return QVariant(Qt::AlignRight | Qt::AlignVCenter);
  }
  if (role == Qt::BackgroundRole) {
    switch (m_kinds[row]) {
      case FindingKind::Short: return QBrush(QColor(255, 214, 214));
      case FindingKind::Clearance: return QBrush(QColor(255, 240, 200));
      case FindingKind::Outside: return QBrush(QColor(220, 230, 255));
    }
  }
  return {};
}

QVariant GkFindingsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal) return m_columns.value(section);
  return section + 1;
}
