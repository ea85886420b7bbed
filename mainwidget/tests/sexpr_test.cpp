// The s-expression parser: structure, quoting and line numbers, and the
// refusal of malformed and hostile documents without recursion.
#include "sexpr.h"

#include <gtest/gtest.h>

namespace {

struct Malformed {
  const char* name;
  QByteArray text;
  const char* reason;  // part of the error message
};

}  // namespace

TEST(SExpr, ListsAtomsQuotesAndLines) {
  SExpr root;
  QString error;
  const QByteArray text =
      "(kicad_pcb (version 20211014)\n"
      "  (net 1 \"a \\\"quoted\\\" \\\\ name\")\n"
      "  (pad \"1\" smd rect (locked))\n"
      "  (text \"two\\nlines\") (after))";
  ASSERT_TRUE(parseSExpr(text, root, error)) << error.toStdString();
  EXPECT_EQ(root.head(), "kicad_pcb");
  ASSERT_EQ(root.items.size(), 6u);
  const SExpr* net = root.find("net");
  ASSERT_NE(net, nullptr);
  EXPECT_EQ(net->line, 2);
  EXPECT_TRUE(net->items[2].quoted);
  EXPECT_EQ(net->items[2].text, "a \"quoted\" \\ name");
  const SExpr* pad = root.find("pad");
  ASSERT_NE(pad, nullptr);
  EXPECT_TRUE(pad->items[1].quoted);
  EXPECT_EQ(pad->items[1].text, "1");
  EXPECT_EQ(pad->items[3].text, "rect");
  EXPECT_EQ(pad->line, 3);
  EXPECT_NE(pad->find("locked"), nullptr);
  EXPECT_FALSE(pad->hasAtom("locked"));
  EXPECT_TRUE(pad->hasAtom("smd"));
  EXPECT_EQ(root.find("text")->items[1].text, "two\nlines");
  // An escaped line break is not a line of the file.
  EXPECT_EQ(root.find("after")->line, 4);
  EXPECT_EQ(root.all("net").size(), 1u);
  EXPECT_EQ(root.find("missing"), nullptr);
}

TEST(SExpr, MalformedDocumentsAreRefusedWithTheirLine) {
  const Malformed rows[] = {
      {"empty", "", "empty"},
      {"only space", " \n\t ", "empty"},
      {"truncated", "(kicad_pcb (version 1)\n (net 0 \"\")\n (segment (start 0 0)", "line 3"},
      {"unbalanced close", "(a (b))\n)", "unbalanced"},
      {"open quote", "(a\n \"never closed)", "line 2"},
      {"atom at top", "kicad_pcb", "must start with '('"},
      {"two documents", "(a) (b)", "after the end"},
  };
  for (const Malformed& row : rows) {
    SCOPED_TRACE(row.name);
    SExpr root;
    QString error;
    EXPECT_FALSE(parseSExpr(row.text, root, error));
    EXPECT_TRUE(error.contains(QLatin1String(row.reason))) << error.toStdString();
  }
}

TEST(SExpr, HostileNestingIsRefusedWithoutRecursion) {
  // A million open parentheses would overflow a recursive parser's stack.
  SExpr root;
  QString error;
  EXPECT_FALSE(parseSExpr(QByteArray(1000000, '('), root, error));
  EXPECT_TRUE(error.contains(QStringLiteral("deeper than %1").arg(sexprlimits::kMaxDepth)))
      << error.toStdString();

  // Exactly at the limit is still read.
  const QByteArray deep =
      QByteArray(sexprlimits::kMaxDepth, '(') + QByteArray(sexprlimits::kMaxDepth, ')');
  EXPECT_TRUE(parseSExpr(deep, root, error)) << error.toStdString();
}
