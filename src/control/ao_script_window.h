// The "Voltage output script" window: the editor of one analog output's script, with
// the step rules it applies as plain functions.
#pragma once
#include <cstdint>

namespace mv {

constexpr int16_t kAOscriptWindow = 788;

namespace AOItem {
constexpr int16_t ZeroV = 1, Constant = 2, Ramp = 3, Pulse = 4, DeleteLoop = 6, LoopToStart = 7,
                  LoopToStep = 8, UpperV = 9, LowerV = 10, OneMin = 11, FiveMin = 12, TenMin = 13,
                  SixtyMin = 14, SetVolts = 20, AddStep = 21, GoToStep = 22, Update = 23, Delete = 24,
                  InsertFront = 25, InsertBack = 26, PreRun = 27, KeepVoltage = 28, ClearAll = 34, Done = 35,
                  StartPopup = 129, StopPopup = 130, Help = 135;
constexpr int16_t VoltsField = 101, MinutesField = 102, LoopField = 103, CountField = 105, TotalField = 106,
                  StepField = 107, PreRunField = 127, EndVoltsField = 128, RefusalLine = 140;
}  // namespace AOItem

// One output's steps in AOscript: columns col (volts), col + 1 (minutes, negative for a
// ramp) and col + 2 (next step). The count lives in the editor until it closes.
struct ScriptSteps {
  int16_t n = 1;
  int col = 1;
  int16_t count = 0;
  explicit ScriptSteps(int16_t output);
  float Total() const;  // sum of the absolute minutes of steps 1 to count
  // Each returns false and changes nothing when the step number names no step (for the
  // inserts: no place from 1 to count + 1) or the table is full.
  bool Add(float volts, float minutes);
  bool Insert(int k, float volts, float minutes);
  bool Update(int k, float volts, float minutes);
  bool Delete(int k);
  void Renumber();             // every step to the following one: no loop
  void LoopTo(double target);  // the last step loops to target, kept within 1..count
  void Clear();
};

// The window for output n (1 or 2); returns when it closes.
void AnalogOutputScript(int16_t n);

}  // namespace mv
