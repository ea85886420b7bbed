#include "sexpr.h"

#include <cstring>

using namespace sexprlimits;

QByteArray SExpr::head() const {
  if (!isList || items.empty() || items.front().isList || items.front().quoted) return {};
  return items.front().text;
}

std::vector<const SExpr*> SExpr::all(const char* name) const {
  std::vector<const SExpr*> found;
  for (const SExpr& item : items) {
    if (item.isList && item.head() == name) found.push_back(&item);
  }
  return found;
}

const SExpr* SExpr::find(const char* name) const {
  for (const SExpr& item : items) {
    if (item.isList && item.head() == name) return &item;
  }
  return nullptr;
}

bool SExpr::hasAtom(const char* name) const {
  for (const SExpr& item : items) {
    if (!item.isList && !item.quoted && item.text == name) return true;
  }
  return false;
}

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

bool isDelimiter(char c) { return isSpace(c) || c == '(' || c == ')' || c == '"'; }

class Parser {
public:
  explicit Parser(const QByteArray& text) : m_p(text.constData()), m_end(m_p + text.size()) {}

  bool run(SExpr& root, QString& error) {
    std::vector<SExpr*> open;  // the chain of lists not yet closed
    bool done = false;
    while (skipSpace()) {
      const char c = *m_p;
      if (done && c == ')') return fail(error, QStringLiteral("unbalanced ')'"));
      if (done) return fail(error, QStringLiteral("text after the end of the document"));
      if (c == '(') {
        if (static_cast<int>(open.size()) >= kMaxDepth) {
          return fail(error, QStringLiteral("nesting deeper than %1 levels").arg(kMaxDepth));
        }
        SExpr* list = open.empty() ? &root : push(*open.back());
        if (list == nullptr) return fail(error, tooMany());
        list->isList = true;
        list->line = m_line;
        open.push_back(list);
        ++m_p;
      } else if (c == ')') {
        if (open.empty()) return fail(error, QStringLiteral("unbalanced ')'"));
        open.pop_back();
        done = open.empty();
        ++m_p;
      } else {
        if (open.empty()) return fail(error, QStringLiteral("the document must start with '('"));
        SExpr* atom = push(*open.back());
        if (atom == nullptr) return fail(error, tooMany());
        atom->line = m_line;
        if (!(c == '"' ? readQuoted(*atom, error) : readBare(*atom))) return false;
      }
    }
    if (!open.empty()) {
      return fail(error, QStringLiteral("the document ends inside a list opened on line %1 "
                                        "(truncated or unbalanced parentheses)")
                             .arg(open.back()->line));
    }
    if (!done) return fail(error, QStringLiteral("the document is empty"));
    return true;
  }

private:
  SExpr* push(SExpr& parent) {
    if (++m_nodes > kMaxNodes) return nullptr;
    parent.items.emplace_back();
    return &parent.items.back();
  }

  QString tooMany() const { return QStringLiteral("more than %1 nodes").arg(kMaxNodes); }

  bool fail(QString& error, const QString& what) const {
    error = QStringLiteral("line %1: %2").arg(m_line).arg(what);
    return false;
  }

  // Skips white space, counting lines; false at the end of the text.
  bool skipSpace() {
    while (m_p < m_end && isSpace(*m_p)) {
      if (*m_p == '\n') ++m_line;
      ++m_p;
    }
    return m_p < m_end;
  }

  bool readBare(SExpr& atom) {
    const char* start = m_p;
    while (m_p < m_end && !isDelimiter(*m_p)) ++m_p;
    atom.text = QByteArray(start, static_cast<int>(m_p - start));
    return true;
  }

  bool readQuoted(SExpr& atom, QString& error) {
    const int startLine = m_line;
    atom.quoted = true;
    ++m_p;  // opening quote
    QByteArray text;
    while (m_p < m_end && *m_p != '"') {
      char c = *m_p++;
      if (c == '\\' && m_p < m_end) {
        c = *m_p++;
        if (c == '\n') ++m_line;  // an escaped line break still ends a line
        if (c == 'n') c = '\n';
        if (c == 't') c = '\t';
      } else if (c == '\n') {
        ++m_line;
      }
      text.append(c);
    }
    if (m_p >= m_end) {
      m_line = startLine;
      return fail(error, QStringLiteral("a quoted string is not closed"));
    }
    ++m_p;  // closing quote
    atom.text = text;
    return true;
  }

  const char* m_p;
  const char* m_end;
  int m_line = 1;
  std::size_t m_nodes = 1;
};

}  // namespace

bool parseSExpr(const QByteArray& text, SExpr& root, QString& error) {
  root = SExpr();
  return Parser(text).run(root, error);
}
