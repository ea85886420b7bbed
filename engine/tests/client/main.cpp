// Links against the installed Engine and uses an exported class and the
// default tolerance; exits non-zero when the results are wrong.
#include <engine/engine.h>

#include <cstdio>

int main() {
  AcGePoint2d a(0, 0);
  AcGePoint2d b(3, 4);
  const double d = a.distanceTo(b);
  const bool ok = d == 5.0 && GkGeoLib::g_tol.EqualPoint() == 1e-8;
  std::printf("engine client: distance %.17g, %s\n", d, ok ? "ok" : "WRONG");
  return ok ? 0 : 1;
}
