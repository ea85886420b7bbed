// KiCad boards: the bytes up to the first NUL byte are the board text, the
// bytes after it (when there is a NUL) the project file beside it. A board
// that parses is audited whole. Nothing may crash; a refusal carries a
// reason.
#include "fuzz_audit.h"

#include "kicadboard.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes = fuzzsupport::bytesOf(data, size);
  const int nul = bytes.indexOf('\0');
  const QByteArray board = nul < 0 ? bytes : bytes.left(nul);
  const QByteArray project = nul < 0 ? QByteArray() : bytes.mid(nul + 1);
  Design design;
  QString error;
  if (!parseKicadBoard(board, nul < 0 ? nullptr : &project, design, error)) {
    fuzzsupport::check(!error.isEmpty(), "a refused board says why");
    return 0;
  }
  fuzzsupport::auditAndCheck(design);
  return 0;
}
