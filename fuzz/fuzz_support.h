// Helpers shared by the fuzz targets: a failed invariant aborts with a
// message (libFuzzer then saves the input), and a scratch folder that lives
// for the whole run.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzzsupport {

// What the current input decoded to, printed with a broken invariant; the
// targets whose inputs are not readable text fill it.
inline std::string& context() {
  static std::string text;
  return text;
}

// Stops the run: libFuzzer reports the abort as a crash and writes the input.
[[noreturn]] inline void fail(const char* what) {
  std::fprintf(stderr, "fuzz invariant broken: %s\n%s\n", what, context().c_str());
  std::abort();
}

inline void check(bool ok, const char* what) {
  if (!ok) fail(what);
}

inline QByteArray bytesOf(const uint8_t* data, size_t size) {
  return QByteArray(reinterpret_cast<const char*>(data), static_cast<int>(size));
}

// A fresh folder below the system temporary folder, created once per
// process; the targets make and remove their own sub-folders inside it.
QString scratchRoot();

}  // namespace fuzzsupport
