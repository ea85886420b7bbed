// Text forms of audit findings: the CSV that an unattended audit writes to
// standard output (RFC 4180 quoting, "\n" line ends), the columns that the
// main window shows, and the one-line summary.
#pragma once

#include "designaudit.h"

#include <QString>
#include <QStringList>

// kind,feature,net,other,other_net,distance,x1,y1,x2,y2,area,layer
QStringList findingColumnNames();

// One finding's columns, unquoted: numbers with six decimals, empty where a
// value does not apply; the board is named "board" in the other column.
QStringList findingFields(const Design& design, const AuditFinding& finding);

// A field quoted when it holds a comma, a quote or a line break; quotes
// inside are doubled.
QString csvField(const QString& text);

// Header line and one line per finding.
QString findingsCsv(const Design& design, const std::vector<AuditFinding>& findings);

// "12 features, 1 short, 2 clearance violations, 0 outside the board".
QString auditCounts(const AuditReport& report);

// One line without line end, e.g.
//   audit "nightly": board.json: 12 features, 1 short, 2 clearance violations, 0 outside the board
//   audit "nightly": board.json: cannot read: <reason>
// as terminalLine makes it: no control characters.
QString auditSummary(const QString& tag, const QString& path, const AuditReport& report);
