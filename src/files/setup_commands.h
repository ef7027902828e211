// The set-up file commands: writing the current set-up under a name the user
// chooses, and loading one with everything that follows a load (strip layout,
// derived times, interval buttons, menu marks).
#pragma once
#include <cstdint>
#include <string>

#include "files/setup_file.h"
#include "kit/hook.h"

namespace mv {

constexpr int16_t kScreenMismatchWindow = 11;

// Counts per volt and full scale of a scope gain.
struct ScopeScaleOf {
  float countsPerVolt;
  float fullScale;
};
ScopeScaleOf ScopeScaleForGain(int16_t gain);

// Writes the set-up; false when cancelled or not written (the user is told why).
bool WriteSetupFile(const std::string& path);
void MAKESETUP();
// Loads a set-up: kind non-zero the document handed over at launch, 0 asks. True
// when a set-up was loaded; otherwise every value is as it was.
bool GETSETUP(int16_t kind);
// Loads the set-up file at path (what GETSETUP does once it has a location).
bool LoadSetupFile(const std::string& path);

}  // namespace mv
