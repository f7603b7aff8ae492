#pragma once

// Both test mains run in the C locale (with UTF-8 text), whatever the
// machine's language: the system's error texts (strerror) are English and
// dates and numbers take the C forms, in the test program and in every
// program it starts, so no assertion depends on a translation. A test that
// wants another locale gives it to the program it starts.

#include <QtGlobal>

namespace test_support {

// Call before the application object exists: it sets the locale from the
// environment.
inline void pin_c_locale() {
  qputenv("LC_ALL", "C.UTF-8");
  // GNU gettext prefers LANGUAGE to the locale for messages.
  qunsetenv("LANGUAGE");
}

}  // namespace test_support
