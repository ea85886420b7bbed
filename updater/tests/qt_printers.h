// GoogleTest printers for Qt strings, so failed comparisons show text.
#pragma once

#include <QString>
#include <QStringList>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

inline void PrintTo(const QStringList& list, std::ostream* os) {
  *os << "{" << list.join(", ").toStdString() << "}";
}
