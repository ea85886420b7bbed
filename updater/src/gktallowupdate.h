// GKTallowUpdate: the updater's only window, one status line over one
// progress bar. Constructing it starts the update worker; the window only
// shows what the worker reports, and closing it lets the worker finish its
// current step (and restart the application) first.
#pragma once

#include <QString>
#include <QWidget>

#include <memory>

class GKThreadDownLoad;
class QCloseEvent;
namespace Ui {
class GKTallowUpdateClass;
}

class GKTallowUpdate : public QWidget {
  Q_OBJECT
public:
  // Builds the form (630 x 110, close button only) and starts the worker.
  GKTallowUpdate();
  // Waits for a worker that is still running, then deletes it.
  ~GKTallowUpdate() override;

  // The worker this window started; owned by the window.
  GKThreadDownLoad* worker() const { return m_thread.get(); }

public slots:
  // Bar value: `progress` truncated to an integer; bar text "name:progress"
  // with two decimals (setup.zip:37.50).
  void downLoadProgress(QString name, double progress);
  // Shows `msg` as the status line.
  void setTip(QString msg);

protected:
  // Asks the worker to stop and runs a local event loop, which the worker's
  // finished signal quits, so queued texts and progress still arrive; a
  // stalled transfer ends at the downloader's limits, so the wait is bounded.
  void closeEvent(QCloseEvent* event) override;

private:
  std::unique_ptr<Ui::GKTallowUpdateClass> m_ui;
  std::unique_ptr<GKThreadDownLoad> m_thread;
};
