// Whether the program has a display: a window nobody can see is no window,
// however it came to be so.

#include <QByteArray>

#include <gtest/gtest.h>

#include <array>
#include <utility>

#include "platform/session.h"

namespace platform {
namespace {

constexpr std::array<const char*, 3> kDisplayVariables = {"DISPLAY", "WAYLAND_DISPLAY",
                                                          "QT_QPA_PLATFORM"};

// Sets the display variables for its lifetime ("" unsets one) and puts back
// what the test process had.
class display_environment {
 public:
  explicit display_environment(const std::array<const char*, 3>& values) {
    for (std::size_t i = 0; i < kDisplayVariables.size(); ++i) {
      saved_[i] = {qEnvironmentVariableIsSet(kDisplayVariables[i]), qgetenv(kDisplayVariables[i])};
      set(kDisplayVariables[i], values[i]);
    }
  }
  ~display_environment() {
    for (std::size_t i = 0; i < kDisplayVariables.size(); ++i) {
      set(kDisplayVariables[i], saved_[i].first ? saved_[i].second.constData() : "");
    }
  }

 private:
  static void set(const char* name, const char* value) {
    if (*value == '\0') {
      qunsetenv(name);
    } else {
      qputenv(name, value);
    }
  }
  std::array<std::pair<bool, QByteArray>, 3> saved_;
};

TEST(SessionTest, HeadlessWhenNothingCouldShowAWindow) {
  struct display_case {
    std::array<const char*, 3> display_wayland_platform;
    bool headless;
  };
  const display_case cases[] = {
      {{"", "", ""}, true},
      {{"", "", "offscreen"}, true},
      {{"", "", "minimal"}, true},
      {{"", "", "offscreen:fontengine=freetype"}, true},
      {{"", "", "linuxfb"}, false},  // a screen of its own
      {{"", "", "vnc"}, false},
      {{":0", "", ""}, false},
      {{"", "wayland-0", ""}, false},
      {{":0", "", "offscreen"}, false},  // chosen beside a display, as tests do
  };
  for (const display_case& c : cases) {
    SCOPED_TRACE(std::string(c.display_wayland_platform[0]) + "|" + c.display_wayland_platform[1] +
                 "|" + c.display_wayland_platform[2]);
    const display_environment environment(c.display_wayland_platform);
    EXPECT_EQ(headless_session(), c.headless);
  }
}

}  // namespace
}  // namespace platform
