#include "fuzz_support.h"

#include <QTemporaryDir>

namespace fuzzsupport {

QString scratchRoot() {
  // Removed when the process ends normally; a crashed run leaves it behind
  // under the system temporary folder for inspection.
  static QTemporaryDir dir(QDir::tempPath() + "/gkfuzz-XXXXXX");
  if (!dir.isValid()) fail("cannot create the scratch folder");
  return dir.path();
}

}  // namespace fuzzsupport
