// Carrack: starts the board-audit application. Without arguments it shows
// the application's login window and runs the event loop; with a design
// and a tag it audits that design unattended, appends one record to the
// day's audit log and exits with the audit's result.
#include "platform.h"
#include "startmodes.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char** argv) {
  carrack::platform::ignoreBrokenPipes();
  const bool offscreenForced = carrack::selectOffscreenWhenHeadless(argc, argv);
  QApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("Carrack"));
  QCoreApplication::setApplicationVersion(QStringLiteral("1.0.0.4"));

  const QStringList args = QCoreApplication::arguments();
  if (args.size() == 1) return carrack::runInteractive(app, offscreenForced);
  return carrack::runBatch(argc, argv, args);
}
