// The POSIX platform layer's display test: a display server is named by
// DISPLAY (X11) or WAYLAND_DISPLAY, and an empty value names none.
#include "platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

using namespace carrack;

namespace {

// Sets DISPLAY and WAYLAND_DISPLAY for one case (nullopt: unset) and puts
// back what was there before.
class DisplayEnv {
public:
  DisplayEnv(std::optional<std::string> x11, std::optional<std::string> wayland)
      : m_x11(saved("DISPLAY")), m_wayland(saved("WAYLAND_DISPLAY")) {
    set("DISPLAY", x11);
    set("WAYLAND_DISPLAY", wayland);
  }
  ~DisplayEnv() {
    set("DISPLAY", m_x11);
    set("WAYLAND_DISPLAY", m_wayland);
  }
  DisplayEnv(const DisplayEnv&) = delete;
  DisplayEnv& operator=(const DisplayEnv&) = delete;

private:
  static std::optional<std::string> saved(const char* name) {
    const char* v = std::getenv(name);
    return v != nullptr ? std::optional<std::string>(v) : std::nullopt;
  }
  static void set(const char* name, const std::optional<std::string>& value) {
    if (value) {
      ::setenv(name, value->c_str(), 1);
    } else {
      ::unsetenv(name);
    }
  }
  std::optional<std::string> m_x11;
  std::optional<std::string> m_wayland;
};

struct DisplayCase {
  const char* name;
  std::optional<std::string> x11;
  std::optional<std::string> wayland;
  bool available;
};

}  // namespace

TEST(PlatformDisplay, NamedByDisplayOrWaylandDisplayAndNeverByAnEmptyValue) {
  const DisplayCase cases[] = {
      {"X11 only", ":0", std::nullopt, true},
      {"Wayland only", std::nullopt, "wayland-0", true},
      {"both", ":1", "wayland-1", true},
      {"neither", std::nullopt, std::nullopt, false},
      {"both empty", "", "", false},
      {"empty X11, Wayland set", "", "wayland-0", true},
      {"X11 set, empty Wayland", "localhost:10.0", "", true},
  };
  for (const DisplayCase& c : cases) {
    const DisplayEnv env(c.x11, c.wayland);
    EXPECT_EQ(platform::displayAvailable(), c.available) << c.name;
  }
}
