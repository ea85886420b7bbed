// The POSIX platform layer: a display server is named by DISPLAY (X11) or
// WAYLAND_DISPLAY, and an empty value names none; the day log opens only a
// regular file of its own.
#include "platform.h"

#include <testsupport/temp_dir.h>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>

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

// What someone else may have put at the log's path: a link to another
// file, a link to /dev/null, a FIFO (kept full, its open or first write
// would block). Each is refused at once and the target left alone.
TEST(PlatformOpenAppend, RefusesLinksFifosAndDevicesWithoutBlocking) {
  testsupport::TempDir dir;
  const std::string victim = dir.str() + "/victim";
  std::ofstream(victim).flush();
  ASSERT_EQ(::symlink(victim.c_str(), (dir.str() + "/to-file").c_str()), 0);
  ASSERT_EQ(::symlink("/dev/null", (dir.str() + "/to-null").c_str()), 0);
  ASSERT_EQ(::mkfifo((dir.str() + "/fifo").c_str(), 0600), 0);
  struct Row {
    const char* name;
    int error;
  };
  for (const Row& row : {Row{"to-file", ELOOP}, Row{"to-null", ELOOP}, Row{"fifo", EINVAL}}) {
    errno = 0;
    EXPECT_EQ(platform::openAppend(dir.str() + "/" + row.name), nullptr) << row.name;
    EXPECT_EQ(errno, row.error) << row.name;
  }
  errno = 0;
  EXPECT_EQ(platform::openAppend("/dev/null"), nullptr) << "a device itself";
  EXPECT_EQ(errno, EINVAL);
  struct stat st {};
  ASSERT_EQ(::stat(victim.c_str(), &st), 0);
  EXPECT_EQ(st.st_size, 0) << "nothing written through the link";
  // A plain file still opens, for appending.
  for (int i = 0; i < 2; ++i) {
    std::FILE* plain = platform::openAppend(dir.str() + "/all.csv");
    ASSERT_NE(plain, nullptr);
    EXPECT_GE(std::fputs("a,1,2\n", plain), 0);
    EXPECT_EQ(std::fclose(plain), 0);
  }
  std::ifstream in(dir.str() + "/all.csv");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "a,1,2\na,1,2\n");
}
