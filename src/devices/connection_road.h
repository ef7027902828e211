// The connection road's own pieces, shared by its windows and open to tests: the port
// list and the opening of the line (both replaceable), the progress window the road
// prints into, and a record of what the last connection showed.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "devices/serial_port.h"
#include "runtime/str255.h"

namespace mv {

// The window the connection road prints its progress into (the start-up animation's).
constexpr int16_t kProgressWindow = 251;
// The Connection Error window.
constexpr int16_t kConnectionErrorWindow = 1779;

// What the last run of SetUpSerialPort showed.
struct ConnectionRecord {
  std::vector<std::string> lines;  // texts printed into the progress window, in order
  std::string firmware;            // the version shown; empty when none was
  bool confirmed = false;          // "connection seems OK" was shown
  std::string errorName;           // the name the Connection Error window showed; empty: none
  std::string openError;           // why the port could not be opened; empty: it opened
  std::vector<int32_t> openings;   // the rate of every opening of the port
};
const ConnectionRecord& LastConnection();
// Notes the name the Connection Error window shows (the window itself calls it).
void NoteConnectionError(const std::string& name);

// ---- the line --------------------------------------------------------------------------------
// The ports the windows offer (default: ListSerialPorts). ActiveSerialPort -k is the k-th.
using PortLister = std::function<std::vector<std::string>()>;
void SetPortLister(PortLister lister);  // nullptr restores the default
std::vector<std::string> SerialPortList();

// How a port is opened (default: OpenSerialPortPath, which makes it the program's line).
using LineOpener = std::function<SerialOpenResult(const std::string& path, int32_t baud)>;
void SetLineOpener(LineOpener opener);  // nullptr restores the default

// Opens port ActiveSerialPort of the list at the rate (closing any earlier opening) and
// records the opening; slot 37 says whether the port is open afterwards.
SerialOpenResult OpenActivePort(int32_t baud);
// Closes the line; slot 37 is cleared, since nothing is open any more.
void CloseActivePort();

// ---- the progress window ------------------------------------------------------------------------
// Makes window 251 the output window, building it (titled for the interface) when it is missing.
void EnsureProgressWindow();

// ---- small waits and cues of the connection windows -------------------------------------------------
// Waits, pumping events, for ms milliseconds.
void WaitPumping(int ms);
// The start sounds of the connection: when sounds are on and slot 60 (start-up sounds) is set.
void PlayStartSound(const char* file);

}  // namespace mv
