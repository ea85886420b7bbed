#include "gktallowupdate.h"

#include "gkthreaddownload.h"
#include "ui_gktallowupdate.h"

#include <QCloseEvent>
#include <QEventLoop>

#include <algorithm>
#include <cmath>

GKTallowUpdate::GKTallowUpdate()
    : QWidget(nullptr), m_ui(std::make_unique<Ui::GKTallowUpdateClass>()) {
  m_ui->setupUi(this);
  m_ui->labelProgress->setText(QObject::tr("progress"));
  m_ui->progressDown->setRange(0, 100);
  resize(630, 110);
  setWindowFlags(windowFlags() & ~(Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));

  m_thread = std::make_unique<GKThreadDownLoad>();
  connect(m_thread.get(), &GKThreadDownLoad::onDownLoadProgress, this,
          &GKTallowUpdate::downLoadProgress, Qt::QueuedConnection);
  connect(m_thread.get(), &GKThreadDownLoad::setTip, this, &GKTallowUpdate::setTip,
          Qt::QueuedConnection);
  m_thread->start(QThread::InheritPriority);
}

GKTallowUpdate::~GKTallowUpdate() {
  // Normally the worker has finished by now (it ends the program); a QThread
  // must never be destroyed while it runs.
  m_thread->setStop(true);
  m_thread->wait();
}

void GKTallowUpdate::downLoadProgress(QString name, double progress) {
  if (!std::isfinite(progress)) return;
  // Clamped first: converting a double beyond int is undefined. Values
  // outside the bar's range leave the bar as it is either way.
  m_ui->progressDown->setValue(static_cast<int>(std::clamp(progress, -1.0, 101.0)));
  // The bar fills in %p, %v and %m wherever they stand in its format and
  // knows no escape for them: in the name, a word joiner (invisible) after
  // each "%" keeps them as they are. One arg() call, so a "%1" inside the
  // name is not filled in again.
  name.replace(QLatin1Char('%'), QStringLiteral("%\u2060"));
  m_ui->progressDown->setFormat(
      QStringLiteral("%1:%2").arg(name, QString::number(progress, 'f', 2)));
}

void GKTallowUpdate::setTip(QString msg) { m_ui->labelTip->setText(msg); }

void GKTallowUpdate::closeEvent(QCloseEvent* event) {
  m_thread->setStop(true);
  // Connected before the look at isRunning: a worker that ends in between
  // still quits the loop, its queued signal arriving once the loop runs.
  QEventLoop loop;
  connect(m_thread.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
  while (m_thread->isRunning()) {
    loop.exec();
    // The worker's request to quit the application ends every loop of this
    // thread and keeps new ones from running: the events are then taken as
    // they come, until the worker's finished arrives.
    if (m_thread->isRunning()) loop.processEvents(QEventLoop::WaitForMoreEvents);
  }
  event->accept();
}
