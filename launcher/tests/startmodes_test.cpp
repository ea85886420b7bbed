// Choosing a Qt platform before the application object exists.
#include "startmodes.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QtGlobal>

#include <vector>

using namespace carrack;

namespace {

// Sets or clears environment variables for one test and restores them.
class EnvGuard {
public:
  explicit EnvGuard(std::vector<const char*> names) : m_names(std::move(names)) {
    for (const char* n : m_names) m_saved.push_back({qEnvironmentVariableIsSet(n), qgetenv(n)});
  }
  ~EnvGuard() {
    for (std::size_t i = 0; i < m_names.size(); ++i) {
      if (m_saved[i].first) {
        qputenv(m_names[i], m_saved[i].second);
      } else {
        qunsetenv(m_names[i]);
      }
    }
  }

private:
  std::vector<const char*> m_names;
  std::vector<std::pair<bool, QByteArray>> m_saved;
};

bool chosen(std::vector<const char*> args) {
  std::vector<char*> argv;
  for (const char* a : args) argv.push_back(const_cast<char*>(a));
  argv.push_back(nullptr);
  return platformChosen(static_cast<int>(args.size()), argv.data());
}

}  // namespace

TEST(PlatformChosen, FromTheCommandLineOrTheEnvironment) {
  EnvGuard guard({"QT_QPA_PLATFORM"});
  qunsetenv("QT_QPA_PLATFORM");
  EXPECT_FALSE(chosen({"Carrack"}));
  EXPECT_FALSE(chosen({"Carrack", "design.json", "tag"}));
  EXPECT_TRUE(chosen({"Carrack", "-platform", "xcb"}));
  EXPECT_TRUE(chosen({"Carrack", "--platform", "xcb"}));
  EXPECT_TRUE(chosen({"Carrack", "-platform=minimal", "d", "t"}));
  EXPECT_FALSE(chosen({"Carrack", "design.json", "-platformish"}));
  qputenv("QT_QPA_PLATFORM", "minimal");
  EXPECT_TRUE(chosen({"Carrack"}));
}

TEST(SelectOffscreenWhenHeadless, OnlyWithoutDisplayAndWithoutAChosenPlatform) {
  EnvGuard guard({"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"});
  char arg0[] = "Carrack";
  char* argv[] = {arg0, nullptr};

  qunsetenv("QT_QPA_PLATFORM");
  qputenv("DISPLAY", ":0");
  qunsetenv("WAYLAND_DISPLAY");
  EXPECT_FALSE(selectOffscreenWhenHeadless(1, argv));
  EXPECT_FALSE(qEnvironmentVariableIsSet("QT_QPA_PLATFORM"));

  qunsetenv("DISPLAY");
  qputenv("WAYLAND_DISPLAY", "wayland-0");
  EXPECT_FALSE(selectOffscreenWhenHeadless(1, argv));

  qunsetenv("WAYLAND_DISPLAY");
  EXPECT_TRUE(selectOffscreenWhenHeadless(1, argv));
  EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), "offscreen");

  qputenv("QT_QPA_PLATFORM", "minimal");
  EXPECT_FALSE(selectOffscreenWhenHeadless(1, argv)) << "the user's choice stands";
  EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), "minimal");
}
