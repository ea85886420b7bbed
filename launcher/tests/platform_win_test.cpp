// The Windows platform layer's display test: a desktop program always has
// a desktop session, whatever POSIX display variables say.
#include "platform.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace carrack;

TEST(PlatformDisplay, AlwaysThereOnWindowsEvenWithoutDisplayVariables) {
  // "NAME=" removes the variable from this process's environment.
  ASSERT_EQ(_putenv("DISPLAY="), 0);
  ASSERT_EQ(_putenv("WAYLAND_DISPLAY="), 0);
  ASSERT_EQ(std::getenv("DISPLAY"), nullptr);
  EXPECT_TRUE(platform::displayAvailable());
}
