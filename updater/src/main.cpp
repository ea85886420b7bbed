// GKBriselUpdate: started without arguments it hands over to a copy of
// itself (so its own file can be replaced) and exits; with any argument it
// performs the update.
#include "processcontrol.h"
#include "startup.h"

#include <QApplication>
#include <QDir>
#include <QStringList>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  const QString exePath = QDir::toNativeSeparators(QCoreApplication::applicationFilePath());
  if (QCoreApplication::arguments().size() <= 1) {
    handOverToSelfCopy(exePath);
    return 0;
  }
  return runUpdate();
}
