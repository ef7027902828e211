// The port list and the reasons an opening fails.
#include "devices/serial_port.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "common/test_support.h"

namespace mv {
namespace {

class SerialPortTest : public ::testing::Test {
 protected:
  void SetUp() override { dir = test::MakeTempDir("serial"); }
  void TearDown() override {
    unsetenv("MV_EXTRA_PORTS");
    SetExtraSerialPorts({});
    CloseSerialPort();
    std::filesystem::remove_all(dir);
  }
  std::filesystem::path dir;
};

TEST_F(SerialPortTest, ListShowsRealDevicesThenTheExtraPaths) {
  SetExtraSerialPorts({"/tmp/from-command-line"});
  setenv("MV_EXTRA_PORTS", "/tmp/a::/tmp/b:/tmp/from-command-line", 1);
  std::vector<std::string> ports = ListSerialPorts();
  ASSERT_GE(ports.size(), 3u);
  std::vector<std::string> tail(ports.end() - 3, ports.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"/tmp/from-command-line", "/tmp/a", "/tmp/b"}));
  for (size_t i = 0; i + 3 < ports.size(); ++i) {
    EXPECT_TRUE(std::filesystem::exists(ports[i])) << ports[i];
    EXPECT_EQ(ports[i].rfind("/dev/tty", 0), 0u) << ports[i];
  }
}

TEST_F(SerialPortTest, PortNumbersAreNegativeListPositions) {
  const std::string a = (dir / "a").string(), b = (dir / "b").string();
  setenv("MV_EXTRA_PORTS", (a + ":" + b).c_str(), 1);
  const auto n = static_cast<int16_t>(ListSerialPorts().size());
  // Both extra paths are missing files, so the reason names the one that was chosen.
  EXPECT_NE(OpenSerialPort(static_cast<int16_t>(-n), 9600).reason.find(b), std::string::npos);
  EXPECT_NE(OpenSerialPort(n - 1, 9600).reason.find(a), std::string::npos) << "a positive number is negated";
  EXPECT_FALSE(OpenSerialPort(0, 9600).ok);
  SerialOpenResult past = OpenSerialPort(static_cast<int16_t>(-n - 1), 9600);
  EXPECT_FALSE(past.ok);
  EXPECT_NE(past.reason.find("not in the list"), std::string::npos);
  EXPECT_FALSE(SerialLine().IsOpen());
}

TEST_F(SerialPortTest, EveryFailedOpeningSaysWhy) {
  const std::string missing = (dir / "missing").string();
  EXPECT_NE(OpenSerialPortPath(missing, 9600).reason.find("no such port"), std::string::npos);

  const std::string plain = (dir / "plain").string();
  std::ofstream(plain) << "x";
  EXPECT_NE(OpenSerialPortPath(plain, 9600).reason.find("not a serial port"), std::string::npos);

  EXPECT_NE(OpenSerialPortPath(plain, 12345).reason.find("unsupported baud rate"), std::string::npos);

  if (geteuid() != 0) {  // root opens anything
    chmod(plain.c_str(), 0);
    std::string reason = OpenSerialPortPath(plain, 9600).reason;
    EXPECT_NE(reason.find("permission denied"), std::string::npos) << reason;
    EXPECT_NE(reason.find("dialout"), std::string::npos) << "it says how to get access";
  }
  EXPECT_FALSE(SerialLine().IsOpen());
  EXPECT_FALSE(SerialLine().Write("x"));
  EXPECT_EQ(SerialLine().BytesWaiting(), 0);
}

TEST(SerialRates, TheInterfacesRatesAreAllSupported) {
  for (int32_t rate : {300, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400})
    EXPECT_TRUE(IsSupportedBaudRate(rate)) << rate;
  EXPECT_FALSE(IsSupportedBaudRate(0));
  EXPECT_FALSE(IsSupportedBaudRate(12345));
}

}  // namespace
}  // namespace mv
