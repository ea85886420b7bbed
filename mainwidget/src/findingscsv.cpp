#include "findingscsv.h"

#include "echotext.h"

#include <cmath>

namespace {

QString number(double v) { return std::isnan(v) ? QString() : QString::number(v, 'f', 6); }

QString plural(int n, const char* one, const char* many) {
  return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

}  // namespace

QString auditCounts(const AuditReport& report) {
  const AuditResult& r = report.result;
  return plural(static_cast<int>(report.design.features.size()), "feature", "features") +
         QStringLiteral(", ") + plural(r.count(FindingKind::Short), "short", "shorts") +
         QStringLiteral(", ") +
         plural(r.count(FindingKind::Clearance), "clearance violation", "clearance violations") +
         QStringLiteral(", %1 outside the board").arg(r.count(FindingKind::Outside));
}

QStringList findingColumnNames() {
  return {QStringLiteral("kind"),  QStringLiteral("feature"),   QStringLiteral("net"),
          QStringLiteral("other"), QStringLiteral("other_net"), QStringLiteral("distance"),
          QStringLiteral("x1"),    QStringLiteral("y1"),        QStringLiteral("x2"),
          QStringLiteral("y2"),    QStringLiteral("area"),      QStringLiteral("layer")};
}

QStringList findingFields(const Design& design, const AuditFinding& f) {
  const DesignFeature& a = design.features.at(static_cast<std::size_t>(f.feature));
  const bool board = f.other < 0;
  const DesignFeature* b = board ? nullptr : &design.features.at(static_cast<std::size_t>(f.other));
  return {findingKindName(f.kind),
          a.id,
          a.net,
          board ? QStringLiteral("board") : b->id,
          board ? QString() : b->net,
          number(f.distance),
          f.hasPoints ? number(f.x1) : QString(),
          f.hasPoints ? number(f.y1) : QString(),
          f.hasPoints ? number(f.x2) : QString(),
          f.hasPoints ? number(f.y2) : QString(),
          number(f.area),
          design.layers.value(f.layer)};
}

QString csvField(const QString& text) {
  if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
      !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'))) {
    return text;
  }
  QString quoted = text;
  quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
  return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString findingsCsv(const Design& design, const std::vector<AuditFinding>& findings) {
  QString csv = findingColumnNames().join(QLatin1Char(',')) + QLatin1Char('\n');
  for (const AuditFinding& f : findings) {
    QStringList fields = findingFields(design, f);
    for (QString& field : fields) field = csvField(field);
    csv += fields.join(QLatin1Char(',')) + QLatin1Char('\n');
  }
  return csv;
}

QString auditSummary(const QString& tag, const QString& path, const AuditReport& report) {
  const QString head = QStringLiteral("audit \"%1\": %2: ").arg(tag, path);
  // Tags, paths and reasons come from outside: one line, and no control
  // character reaches the terminal.
  return terminalLine(report.readable ? head + auditCounts(report)
                                      : head + QStringLiteral("cannot read: ") + report.error);
}
