#include "common/test_support.h"

#include <cstdlib>
#include <random>

#include "runtime/application.h"
#include "runtime/clock.h"
#include "runtime/sound.h"
#include "runtime/system.h"
#include "shell/kit/services.h"
#include "shell/reset.h"

namespace mv::test {

void ProgramTest::SetUp() {
  rt::ResetRuntime();
  ResetProgramState();
  services::ResetServices();
  rt::UseVirtualClock(true);
  rt::SetVirtualMicroseconds(1'000'000);
  rt::SetSoundSink([](const std::string&) {});
  rt::SetExitInterceptor([](int status) { throw rt::ProgramExit{status}; });
  rt::SeedRandom(12345);
}

void ProgramTest::TearDown() {
  rt::ResetRuntime();
  rt::UseVirtualClock(false);
  rt::SetSoundSink(nullptr);
  rt::SetExitInterceptor(nullptr);
}

std::filesystem::path TestOutputDir() {
  const char* env = std::getenv("MV_TEST_OUTPUT");
  std::filesystem::path p = env ? env : (std::string(MV_BINARY_DIR) + "/test-output");
  std::filesystem::create_directories(p);
  return p;
}

std::filesystem::path MakeTempDir(const std::string& name) {
  std::random_device rd;
  auto p = std::filesystem::temp_directory_path() / ("mvtest-" + name + "-" + std::to_string(rd()));
  std::filesystem::remove_all(p);
  std::filesystem::create_directories(p);
  return p;
}

std::filesystem::path SourcePath(const std::string& relative) {
  return std::filesystem::path(MV_SOURCE_DIR) / relative;
}

}  // namespace mv::test
