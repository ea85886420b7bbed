// Restores the library default tolerance GkGeoLib::g_tol when the scope
// ends, so a test that changes it cannot leak into the next one.
#pragma once

#include <engine/tolerance.h>

class ScopedDefaultTolerance {
public:
  ScopedDefaultTolerance() : m_saved(GkGeoLib::g_tol) {}
  ~ScopedDefaultTolerance() { GkGeoLib::g_tol = m_saved; }
  ScopedDefaultTolerance(const ScopedDefaultTolerance&) = delete;
  ScopedDefaultTolerance& operator=(const ScopedDefaultTolerance&) = delete;

private:
  GkTolerance m_saved;
};
