// Asking the interface who it is: the Sable firmware and its input ranges, the
// DataTaker's firmware or status line (with the DT800 family's retry at 115,200 baud at
// start-up), the ADAM modules with a live cold-junction temperature, and the DataTaker's
// numbered self-tests.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace mv {

// The window the menu's firmware check and the self-tests use.
constexpr int16_t kFirmwareWindow = 17;
constexpr int16_t kDiagnosticsButton = 1;
// Each cold-junction reading of the ADAM window is waited for at most this long, so a
// module unplugged while the window is open cannot hold the program.
constexpr uint32_t kAdamCjcTimeoutTicks = 30;

// ---- texts, pure ---------------------------------------------------------------------------
// The Sable headline and its two range lines for the interface code and the reply.
struct SableFirmwareText {
  std::string headline, channels, temperatures;
};
SableFirmwareText SableFirmwareLines(int16_t code, const std::string& reply);
// The DT800 status reply from its first "a" on, with the start-up or menu prefix; in the
// menu form each F-field of the first 50 characters starts a new indented line. A reply
// without "a" gives just the prefix.
std::string DT800StatusText(const std::string& reply, bool atStartUp);
// One self-test result as shown: the test number with its leading blank, a blank and
// the reply line whose control first character became a blank (else a blank is put in
// front), with one more blank in front for tests 1 to 9.
std::string SelfTestLine(int n, const std::string& reply);
bool SelfTestFailed(const std::string& shown);

// ---- windows --------------------------------------------------------------------------------
// atStartUp non-zero: writes into the start-up window; 0: opens window 17.
void GetFirmware(int16_t atStartUp);
void DT800check(int16_t atStartUp, const std::string& reply);
void DataTakerDiagnostics();

// Every text the last check or self-test run drew, in order (for tests and the log).
const std::vector<std::string>& LastFirmwareTexts();
// The self-test lines drawn in bold (failures), in order.
const std::vector<std::string>& LastFailedTests();

}  // namespace mv
