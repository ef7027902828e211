// Saving the present recording in each data format: gathers the run's facts, writes
// through the store's view, and on success leaves what a save leaves (the interface
// code in AD_Device_Code, "data saved" in slot 41, the exported sample count). A
// failure changes nothing and says why; the caller tells the user.
#pragma once
#include <string>

#include "files/data_file_model.h"
#include "files/file_io.h"
#include "files/text_file.h"

namespace mv {

// Every format holds every sample the run took; phase says where that count stands.
FileResult SaveChartDataFile(const std::string& path, RunPhase phase);
FileResult SaveSableDataFile(const std::string& path, RunPhase phase);
FileResult SaveTextDataFile(const std::string& path, RunPhase phase, const TextProgress& progress = {});

// The current scope sweep. Leaves the measured rate's relative error in Kfloat.
FileResult SaveScopeSweepBinary(const std::string& path);
FileResult SaveScopeSweepSable(const std::string& path);
FileResult SaveScopeSweepText(const std::string& path);

}  // namespace mv
