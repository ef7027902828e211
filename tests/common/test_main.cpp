// Starts the runtime (offscreen unless told otherwise) and runs the tests.
#include <gtest/gtest.h>

#include <cstdlib>

#include "runtime/application.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  mv::rt::InitRuntime(argc, argv);
  return RUN_ALL_TESTS();
}
