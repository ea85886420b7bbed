#include "auditwindow.h"

#include "boardview.h"
#include "findingscsv.h"
#include "findingsmodel.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>

GkAuditWindow::GkAuditWindow(const QString& userName, QWidget* parent)
    : QMainWindow(parent),
      m_model(new GkFindingsModel(this)),
      m_table(new QTableView(this)),
      m_summary(new QLabel(tr("Open a design file to audit it (File > Open design)."), this)),
      m_view(new GkBoardView(this)),
      m_layers(new QComboBox(this)) {
  setWindowTitle(tr("%1 %2 - board design audit - %3")
                     .arg(QCoreApplication::applicationName(),
                          QCoreApplication::applicationVersion(), userName));

  QMenu* file = menuBar()->addMenu(tr("&File"));
  QAction* open = file->addAction(tr("&Open design..."), this, &GkAuditWindow::chooseDesign);
  open->setShortcut(QKeySequence::Open);
  file->addSeparator();
  QAction* quit = file->addAction(tr("&Quit"), this, &QWidget::close);
  quit->setShortcut(QKeySequence::Quit);

  m_table->setModel(m_model);
  m_table->setAlternatingRowColors(false);
  m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_table->horizontalHeader()->setStretchLastSection(true);
  m_summary->setWordWrap(true);

  m_layers->setToolTip(tr("Copper layer shown in the drawing"));
  m_layers->setEnabled(false);
  connect(m_layers, QOverload<int>::of(&QComboBox::activated), m_view, &GkBoardView::setLayer);
  connect(m_view, &GkBoardView::layerChanged, m_layers, &QComboBox::setCurrentIndex);
  connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &GkAuditWindow::showSelectedFinding);

  auto* drawing = new QWidget(this);
  auto* drawingLayout = new QVBoxLayout(drawing);
  drawingLayout->setContentsMargins(0, 0, 0, 0);
  drawingLayout->addWidget(m_layers);
  drawingLayout->addWidget(m_view, 1);
  auto* splitter = new QSplitter(Qt::Horizontal, this);
  splitter->addWidget(drawing);
  splitter->addWidget(m_table);
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 1);

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->addWidget(m_summary);
  layout->addWidget(splitter, 1);
  setCentralWidget(central);
  statusBar()->addWidget(new QLabel(tr("Signed in as %1").arg(userName), this));
  resize(1400, 700);
}

void GkAuditWindow::showSelectedFinding() {
  const QModelIndexList rows = m_table->selectionModel()->selectedRows();
  m_view->selectFinding(rows.isEmpty() ? -1 : rows.front().row());
}

bool GkAuditWindow::openDesign(const QString& path) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const AuditReport report = auditDesignFile(path);
  QApplication::restoreOverrideCursor();

  const QString name = QFileInfo(path).fileName();
  m_layers->clear();
  m_layers->setEnabled(false);
  if (!report.readable) {
    m_model->clear();
    m_view->clear();
    m_summary->setText(tr("%1 cannot be read: %2").arg(name, report.error));
    return false;
  }
  m_model->setFindings(report.design, report.result.findings);
  m_table->resizeColumnsToContents();
  m_view->setDesign(report.design, report.result.findings);
  m_layers->addItems(report.design.layers);
  m_layers->setEnabled(report.design.layers.size() > 1);
  m_summary->setText(tr("%1: %2").arg(name, auditCounts(report)));
  return true;
}

QString GkAuditWindow::summaryText() const { return m_summary->text(); }

void GkAuditWindow::chooseDesign() {
  const QString path = QFileDialog::getOpenFileName(
      this, tr("Open design"), QString(), tr("Designs (*.json *.kicad_pcb);;All files (*)"));
  if (!path.isEmpty()) openDesign(path);
}
