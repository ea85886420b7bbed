// Audit timings (never part of the test run): two nested N-gons with the
// indexed pair test against the plain loop walks, every copper layer of
// every kicad-demos board, and the video board's two plane fills stacked
// on one layer. Prints one Markdown table; times are the CPU time of the
// running thread (load from other processes stays out), the best of three
// runs, in seconds.
#include "designaudit.h"
#include "designreader.h"
#include "regionops.h"

#include <QCoreApplication>
#include <QDirIterator>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>

namespace {

double seconds(const std::function<void()>& run, int repeats = 3) {
  double best = INFINITY;
  for (int k = 0; k < repeats; ++k) {
    timespec t0{}, t1{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t0);
    run();
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t1);
    best = std::min(best, static_cast<double>(t1.tv_sec - t0.tv_sec) +
                              1e-9 * static_cast<double>(t1.tv_nsec - t0.tv_nsec));
  }
  return best;
}

DesignLoop ngon(int n, double r, double phase) {
  DesignLoop loop;
  auto at = [&](int k) {
    const double a = 2 * kPi * (k + phase) / n;
    return DesignPoint{50 + r * std::cos(a), 50 + r * std::sin(a)};
  };
  for (int k = 0; k < n; ++k) {
    DesignCurve c;
    c.from = at(k);
    c.to = at((k + 1) % n);
    loop.push_back(c);
  }
  return loop;
}

// A ring of two N-gons (radii 20 and 19.95) and an N-gon of radius 19.9
// in its hole, on another net: a clearance violation of about 0.05.
Design nested(int n) {
  Design d;
  d.clearance = 0.2;
  d.board.outer = ngon(4, 70, 0.5);
  d.features.push_back(
      DesignFeature{"ring", "A", DesignRegion{ngon(n, 20, 0), {ngon(n, 19.95, 0)}}});
  d.features.push_back(DesignFeature{"inner", "B", DesignRegion{ngon(n, 19.9, 0.5), {}}});
  return d;
}

// The pair test as it was: every member of one loop against every member
// of the other, and the library's loop containment.
void loopWalkPair(const Design& d) {
  auto a = makeShape(d.features[0].region);
  auto b = makeShape(d.features[1].region);
  const BoundaryGap gap = boundaryGap(*a, *b);
  if (gap.distance > 1e-6) {
    volatile bool in = anyLoopInside(*a, *b) || anyLoopInside(*b, *a);
    (void)in;
  }
}

Design oneLayer(const Design& d, int layer) {
  Design l = d;
  l.features.clear();
  l.layers = QStringList{d.layers.value(layer)};
  for (const DesignFeature& f : d.features) {
    if (f.layer != layer) continue;
    l.features.push_back(f);
    l.features.back().layer = 0;
  }
  return l;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QString demos =
      argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/usr/share/kicad/demos");
  // A second argument "stacked" runs the stacked planes only (for profiling).
  const bool stackedOnly = argc > 2 && QByteArray(argv[2]) == "stacked";

  std::printf(
      "| Workload | Size | Indexed audit | Loop walks | Ratio | Findings "
      "|\n|---|---|---|---|---|---|\n");
  double previous = 0;
  for (int n : {1000, 2000, 4000, 8000, 16000, 32000}) {
    if (stackedOnly) break;
    const Design d = nested(n);
    AuditResult r;
    const double indexed = seconds([&] { r = auditDesign(d); });
    const double walks = n <= 4000 ? seconds([&] { loopWalkPair(d); }, 1) : NAN;
    std::printf("| Nested N-gons | N = %d | %.4f s | %s | %s | %zu (gap %.6f) |\n", n, indexed,
                std::isnan(walks) ? "" : QByteArray::number(walks, 'f', 3).append(" s").constData(),
                std::isnan(walks)
                    ? ""
                    : QByteArray::number(walks / indexed, 'f', 0).append("x").constData(),
                r.findings.size(), r.findings.empty() ? NAN : r.findings[0].distance);
    if (previous > 0) std::printf("|  | growth 2N/N | %.2f |  |  |  |\n", indexed / previous);
    previous = indexed;
  }

  QDirIterator it(demos, {QStringLiteral("*.kicad_pcb")}, QDir::Files,
                  QDirIterator::Subdirectories);
  QStringList boards;
  while (it.hasNext()) boards << it.next();
  boards.sort();
  double slowestLayer = 0;
  QString slowestName;
  Design video;
  for (const QString& path : boards) {
    if (stackedOnly && !path.endsWith(QLatin1String("video.kicad_pcb"))) continue;
    Design d;
    QString error;
    const double read = seconds([&] { readDesignFile(path, d, error); }, 1);
    if (!error.isEmpty()) {
      std::printf("| %s | cannot read: %s |\n", qPrintable(path), qPrintable(error));
      continue;
    }
    double worst = 0, total = 0;
    QString worstLayer;
    std::size_t findings = 0;
    for (int layer = 0; layer < d.layers.size(); ++layer) {
      const Design l = oneLayer(d, layer);
      AuditResult r;
      const double t = seconds([&] { r = auditDesign(l); });
      findings += r.findings.size();
      total += t;
      if (t > worst) {
        worst = t;
        worstLayer = d.layers.value(layer);
      }
    }
    if (worst > slowestLayer) {
      slowestLayer = worst;
      slowestName = QFileInfo(path).fileName() + QLatin1Char(' ') + worstLayer;
    }
    std::printf(
        "| Demo board %s | %zu features, %d layers | %.3f s (slowest layer %s %.3f s) | read %.3f "
        "s |  | %zu |\n",
        qPrintable(QFileInfo(path).fileName()), d.features.size(),
        static_cast<int>(d.layers.size()), total, qPrintable(worstLayer), worst, read, findings);
    if (path.endsWith(QLatin1String("video.kicad_pcb"))) video = d;
  }
  std::printf("| Slowest demo layer | %s | %.3f s |  |  |  |\n", qPrintable(slowestName),
              slowestLayer);

  if (!video.features.empty()) {
    // The GND plane of In1.Cu and the +5V plane of In2.Cu on one layer.
    const int in1 = static_cast<int>(video.layers.indexOf(QStringLiteral("In1.Cu")));
    const int in2 = static_cast<int>(video.layers.indexOf(QStringLiteral("In2.Cu")));
    Design stacked = video;
    stacked.features.clear();
    stacked.layers = QStringList{QStringLiteral("In1.Cu+In2.Cu")};
    std::size_t edges = 0;
    for (const DesignFeature& f : video.features) {
      if (f.layer != in1 && f.layer != in2) continue;
      stacked.features.push_back(f);
      stacked.features.back().layer = 0;
      if (f.id.startsWith(QLatin1String("zone "))) edges += f.region.outer.size();
    }
    AuditResult r;
    const double t = seconds([&] { r = auditDesign(stacked); }, 1);
    std::printf(
        "| Video planes stacked | %zu features, %zu fill edges | %.3f s |  |  | %zu (%d shorts) "
        "|\n",
        stacked.features.size(), edges, t, r.findings.size(), r.count(FindingKind::Short));
  }
  return 0;
}
