// One updater workload per run, for bench/updater_bench.py:
//   updater_bench_driver download <url> <file>     QHttpDownLoad::downLoadFile
//   updater_bench_driver unzip <archive> <folder>  unzipTo
// Prints one JSON object: the result, the time of the call alone, and the
// process's resident memory before the call and at its peak (getrusage), so
// that a caller can see whether memory grows with the file size.
#include "archive.h"
#include "qhttpdownload.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>

#include <sys/resource.h>

#include <cstdio>
#include <cstring>

namespace {

long PeakRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;  // kilobytes on Linux
}

int Usage() {
  std::fprintf(stderr,
               "usage: updater_bench_driver download <url> <file>\n"
               "       updater_bench_driver unzip <archive> <folder>\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return Usage();
  QCoreApplication app(argc, argv);
  const QString mode = QString::fromLocal8Bit(argv[1]);
  const QString source = QString::fromLocal8Bit(argv[2]);
  const QString target = QString::fromLocal8Bit(argv[3]);

  const long rssBefore = PeakRssKb();
  QElapsedTimer timer;
  if (mode == "download") {
    QHttpDownLoad downloader;
    timer.start();
    const int result = downloader.downLoadFile(source, target);
    const double seconds = static_cast<double>(timer.nsecsElapsed()) * 1e-9;
    std::printf(
        "{\"result\": %d, \"seconds\": %.6f, \"bytes\": %lld, \"rss_start_kb\": %ld, "
        "\"rss_peak_kb\": %ld}\n",
        result, seconds, static_cast<long long>(QFileInfo(target).size()), rssBefore, PeakRssKb());
    return result == 0 ? 0 : 1;
  }
  if (mode == "unzip") {
    timer.start();
    const bool ok = unzipTo(source, target);
    const double seconds = static_cast<double>(timer.nsecsElapsed()) * 1e-9;
    std::printf(
        "{\"result\": %d, \"seconds\": %.6f, \"rss_start_kb\": %ld, \"rss_peak_kb\": %ld}\n",
        ok ? 0 : 1, seconds, rssBefore, PeakRssKb());
    return ok ? 0 : 1;
  }
  return Usage();
}
