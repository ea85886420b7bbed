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

// The text as one line for a terminal: line breaks and tabs become spaces,
// every other control character (C0, DEL, C1) becomes U+FFFD, so that no
// escape sequence from a file reaches the terminal.
QString terminalLine(const QString& text);
