// JSON designs: the bytes are read by the design reader and, when they
// parse, audited whole. Nothing may crash; a refusal carries a reason.
#include "fuzz_audit.h"

#include "designreader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Design design;
  QString error;
  if (!parseDesign(fuzzsupport::bytesOf(data, size), design, error)) {
    fuzzsupport::check(!error.isEmpty(), "a refused design says why");
    return 0;
  }
  fuzzsupport::auditAndCheck(design);
  return 0;
}
