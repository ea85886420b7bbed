#include "auditwindow.h"

#include "findingscsv.h"
#include "findingsmodel.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>

GkAuditWindow::GkAuditWindow(const QString& userName, QWidget* parent)
    : QMainWindow(parent),
      m_model(new GkFindingsModel(this)),
      m_table(new QTableView(this)),
      m_summary(new QLabel(tr("Open a design file to audit it (File > Open design)."), this)) {
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

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->addWidget(m_summary);
  layout->addWidget(m_table);
  setCentralWidget(central);
  statusBar()->addWidget(new QLabel(tr("Signed in as %1").arg(userName), this));
  resize(1100, 420);
}

bool GkAuditWindow::openDesign(const QString& path) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const AuditReport report = auditDesignFile(path);
  QApplication::restoreOverrideCursor();

  const QString name = QFileInfo(path).fileName();
  if (!report.readable) {
    m_model->clear();
    m_summary->setText(tr("%1 cannot be read: %2").arg(name, report.error));
    return false;
  }
  m_model->setFindings(report.design, report.result.findings);
  m_table->resizeColumnsToContents();
  m_summary->setText(tr("%1: %2").arg(name, auditCounts(report)));
  return true;
}

QString GkAuditWindow::summaryText() const { return m_summary->text(); }

void GkAuditWindow::chooseDesign() {
  const QString path = QFileDialog::getOpenFileName(this, tr("Open design"), QString(),
                                                    tr("Designs (*.json *.kicad_pcb);;All files (*)"));
  if (!path.isEmpty()) openDesign(path);
}
