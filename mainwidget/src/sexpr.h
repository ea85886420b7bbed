// S-expressions as KiCad writes its board and footprint files: lists in
// parentheses of bare tokens and double-quoted strings (backslash escapes
// inside quotes). The parser is iterative, so hostile nesting cannot
// exhaust the stack; it refuses nesting deeper than kMaxDepth and more
// than kMaxNodes nodes, and names the line of every error.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace sexprlimits {
// Deepest list nesting read. KiCad's own files stay below 12 levels.
constexpr int kMaxDepth = 64;
// Most nodes (lists and atoms) in one document, about 100 bytes of memory
// each: some ten times what the largest of KiCad's demo boards holds.
constexpr std::size_t kMaxNodes = 20'000'000;
}  // namespace sexprlimits

struct SExpr {
  bool isList = false;
  bool quoted = false;  // an atom written in double quotes
  int line = 0;         // 1-based line where the node starts
  QByteArray text;      // the atom's text, escapes resolved; empty for lists
  std::vector<SExpr> items;

  // The list's first item when it is a bare token, else empty: "pad" for
  // (pad "1" smd rect ...).
  QByteArray head() const;
  // Items of this list whose head is name, in order.
  std::vector<const SExpr*> all(const char* name) const;
  // The first item whose head is name, or null.
  const SExpr* find(const char* name) const;
  // True when some item is the bare token name, e.g. (locked) or a flag.
  bool hasAtom(const char* name) const;
};

// Parses a whole document, which must be exactly one list. On failure
// returns false and sets error ("line 12: unbalanced ')'").
bool parseSExpr(const QByteArray& text, SExpr& root, QString& error);
