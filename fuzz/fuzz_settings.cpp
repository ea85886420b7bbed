// The settings file: the bytes become "updata.ini" in a fresh folder and are
// loaded as the updater loads its settings. Nothing may crash, and the
// loaded record keeps its invariants whatever the file says.
#include "fuzz_support.h"

#include "updatesettings.h"

#include <QCoreApplication>
#include <QFile>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static QCoreApplication app(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using fuzzsupport::check;
  // A new folder per input: QSettings caches files by name and would hand
  // back the previous input's values for a file rewritten within its clock
  // resolution.
  static quint64 counter = 0;
  const QString folder = fuzzsupport::scratchRoot() + "/" + QString::number(++counter);
  check(QDir().mkpath(folder), "scratch folder");
  const QString path = folder + "/updata.ini";
  {
    QFile file(path);
    check(file.open(QIODevice::WriteOnly), "write updata.ini");
    check(file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size),
          "write updata.ini");
  }

  UpdateSettings settings;
  settings.load(path);
  // 0 or less is kept as read: it means no attempt.
  check(settings.connectcount <= UpdateSettings::kMaxConnectCount,
        "connectcount cut to kMaxConnectCount");
  check(UpdateSettings::isContainedPath(settings.LocatTempDir), "LocatTempDir contained");
  check(UpdateSettings::isContainedPath(settings.ListFileName), "ListFileName contained");
  check(UpdateSettings::isContainedPath(settings.Application), "Application contained");
  check(settings.newListFileName == UpdateSettings::deriveNewListFileName(settings.ListFileName),
        "newListFileName derived from ListFileName");

  // The lookup that ignores case, on a key that may or may not be present.
  const SettingsFile ini(path);
  ini.value("updateinfo", "HTTPLISTURL", QString());
  ini.value("Config", "listfilename", QString());

  check(QDir(folder).removeRecursively(), "remove the scratch folder");
  return 0;
}
