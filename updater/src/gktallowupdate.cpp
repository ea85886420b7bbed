#include "gktallowupdate.h"

#include "gkthreaddownload.h"
#include "processcontrol.h"
#include "ui_gktallowupdate.h"

#include <QCloseEvent>

#include <algorithm>
#include <cmath>

namespace {
// Poll step of the close handling, in ms.
constexpr int kClosePollMs = 10;
}  // namespace

GKTallowUpdate::GKTallowUpdate() : QWidget(nullptr), ui(new Ui::GKTallowUpdateClass) {
  ui->setupUi(this);
  ui->labelProgress->setText(QObject::tr("progress"));
  ui->progressDown->setRange(0, 100);
  resize(630, 110);
  setWindowFlags(windowFlags() & ~(Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));

  thread = new GKThreadDownLoad();
  connect(thread, &GKThreadDownLoad::onDownLoadProgress, this, &GKTallowUpdate::downLoadProgress,
          Qt::QueuedConnection);
  connect(thread, &GKThreadDownLoad::setTip, this, &GKTallowUpdate::setTip, Qt::QueuedConnection);
  thread->start(QThread::InheritPriority);
}

GKTallowUpdate::~GKTallowUpdate() {
  // Normally the worker has finished by now (it ends the program); a QThread
  // must never be destroyed while it runs.
  thread->setStop(true);
  thread->wait();
  delete thread;
}

void GKTallowUpdate::downLoadProgress(QString name, double progress) {
  if (!std::isfinite(progress)) return;
  // Clamped first: converting a double beyond int is undefined. Values
  // outside the bar's range leave the bar as it is either way.
  ui->progressDown->setValue(static_cast<int>(std::clamp(progress, -1.0, 101.0)));
  // One arg() call, so a "%1" inside the name is not filled in again.
  ui->progressDown->setFormat(QStringLiteral("%1:%2").arg(name, QString::number(progress, 'f', 2)));
}

void GKTallowUpdate::setTip(QString msg) { ui->labelTip->setText(msg); }

void GKTallowUpdate::closeEvent(QCloseEvent* event) {
  thread->setStop(true);
  while (thread->isRunning()) waitMs(kClosePollMs);
  event->accept();
}
