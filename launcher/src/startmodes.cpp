#include "startmodes.h"

#include "daylog.h"
#include "platform.h"

#include <gkmainwidget/gkcammanage.h>

#include <QApplication>
#include <QIcon>
#include <QStringList>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace carrack {

namespace {

void reportLogFailure(const std::string& path, int error) {
  std::fprintf(stderr, "Carrack: could not write the audit record to %s: %s\n", path.c_str(),
               std::strerror(error));
}

}  // namespace

bool platformChosen(int argc, char** argv) {
  if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return true;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (std::strcmp(a, "-platform") == 0 || std::strcmp(a, "--platform") == 0 ||
        std::strncmp(a, "-platform=", 10) == 0 || std::strncmp(a, "--platform=", 11) == 0) {
      return true;
    }
  }
  return false;
}

bool selectOffscreenWhenHeadless(int argc, char** argv) {
  if (platform::displayAvailable() || platformChosen(argc, argv)) return false;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  return true;
}

int runInteractive(QApplication& app, bool offscreenForced) {
  if (offscreenForced) {
    std::fprintf(stderr,
                 "Carrack: no display for the login window (set DISPLAY, or pass a design and a "
                 "tag for an unattended audit)\n");
    return 1;
  }
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/GkBrisel/star.png")));
  if (!GkCamManage::GetInstance()->GetLoginWidget()) return 0;
  return app.exec();
}

int runBatch(int argc, char** argv, const QStringList& args) {
  if (args.size() < 3) {
    std::fprintf(stderr,
                 "usage: Carrack [DESIGN TAG]  (no argument: login window; DESIGN TAG: "
                 "unattended audit of DESIGN, logged under TAG)\n");
    return 2;
  }
  const QString design = args.at(1);
  const std::string field = recordField(argc > 2 ? argv[2] : args.at(2).toLocal8Bit().constData());

  const std::int32_t start = tickCount();
  std::string logPath;
  std::FILE* log = openDayLog(logPath);
  if (log == nullptr) {
    reportLogFailure(logPath, errno);
  } else if (std::fprintf(log, "%s,%d", field.c_str(), static_cast<int>(start)) < 0 ||
             std::fflush(log) != 0) {
    reportLogFailure(logPath, errno);
    std::fclose(log);
    log = nullptr;
  }

  const int result = GkCamManage::GetInstance()->RunNoUI(design, args.at(2));

  const std::int32_t end = tickCount();
  if (log != nullptr) {
    const bool written = std::fprintf(log, ",%d\n", static_cast<int>(end)) >= 0;
    const int writeError = errno;
    if (std::fclose(log) != 0 || !written) reportLogFailure(logPath, written ? errno : writeError);
  }
  return result;
}

}  // namespace carrack
