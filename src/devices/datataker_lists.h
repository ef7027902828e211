// The command lists that set a DataTaker logger up after every connection and reset:
// one for the DT500 family (DT500/DT600, DT50), one for the DT800 family (DT800, DT80,
// DT85). Each line goes out with CR; no reply is read.
#pragma once
#include <array>
#include <string_view>

namespace mv {

inline constexpr std::array<std::string_view, 6> kDT500SetupLines = {
    "CLEAR", "/u/n/e", "1DSO=1", "2DSO=1", "3DSO=1", "4DSO=1",
};

inline constexpr std::array<std::string_view, 29> kDT800SetupLines = {
    "RESET",  "LOGOFF", "P11=60", "P46=80", "P60=50", "P32=7",  "/R",     "/k",    "/h",       "/e",
    "/o",     "/k",     "/y",     "/u",     "/c",     "/n",     "/m",     "/v",    "/z",       "1DSO=0",
    "2DSO=0", "3DSO=0", "4DSO=0", "5DSO=0", "6DSO=0", "7DSO=0", "8DSO=0", "P47=5", "1SSPWR=1",
};

// The command that moves a DT800-family logger to 115,200 baud.
inline constexpr std::string_view kDT800FastBaudCommand = "PH=115200";

// Send the lists on the program's serial line. False when the line refused a line.
bool DT500setup();
bool DT800setup();

}  // namespace mv
