#pragma once

namespace mv::drive {

// A small window built from the runtime alone, for checking the driver:
// window 1 with edit field 1, buttons 1 "Show" and 2 "Quit", and a menu 1
// "Test" whose item 1 draws a greeting and item 2 quits with status 3.
[[noreturn]] void SelfTestProgram(int argc, char** argv);

}  // namespace mv::drive
