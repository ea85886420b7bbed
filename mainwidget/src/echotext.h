// Text from outside (design files, tags, paths) quoted in messages: cut to
// a bounded length, and made safe for a terminal.
#pragma once

#include <QByteArray>
#include <QString>

namespace echotext {
// Most characters of one piece of file text quoted in a reason.
constexpr int kMaxQuoted = 200;
}  // namespace echotext

// text, or its first kMaxQuoted characters and an ellipsis (a character
// beyond 16 bits is never split).
QString quotedExcerpt(const QString& text);
// The same for UTF-8 bytes, as the s-expression reader keeps atoms.
QString quotedExcerpt(const QByteArray& utf8);

// The text as one line for a terminal: line breaks, tabs and the Unicode
// line and paragraph separators become spaces; every other control
// character (C0, DEL, C1) and every directional formatting character
// (U+061C, U+200E, U+200F, U+202A to U+202E, U+2066 to U+2069) becomes
// U+FFFD, so that no escape sequence from a file reaches the terminal and
// no text shows in another order than it has.
QString terminalLine(const QString& text);
