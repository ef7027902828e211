// The program's own big-endian data files: the chart file (".kstr", a whole chart
// recording) and the scope file (".kssc", one oscilloscope sweep), and the scope
// sweep as a one-column text list.
//
// The encoders are pure: they read the recording through the view and never change
// it. The writers put the bytes in place through WriteFileSafely.
#pragma once
#include <string>

#include "files/data_file_model.h"
#include "files/file_io.h"

namespace mv {

// Counts below this get the "-999" marker line and 16-bit count and marker fields.
constexpr int32_t kWideCountFrom = 32'761;

std::string EncodeChartFile(const RecordingView& view, const DataFileFacts& f);

// The interval a scope file records, and the relative error of the measured sweep
// rate against the set interval (0 when nothing was measured).
struct ScopeIntervalChoice {
  float interval = 0;
  float relativeError = 0;
};
ScopeIntervalChoice ScopeFileInterval(const DataFileFacts& f);

std::string EncodeScopeFile(const RecordingView& view, const DataFileFacts& f);
std::string EncodeScopeText(const RecordingView& view, const DataFileFacts& f);

FileResult WriteChartFile(const std::string& path, const RecordingView& view, const DataFileFacts& f);
FileResult WriteScopeFile(const std::string& path, const RecordingView& view, const DataFileFacts& f);
FileResult WriteScopeText(const std::string& path, const RecordingView& view, const DataFileFacts& f);

// Appends count floats big-endian (the store keeps its own byte order).
void AppendFloatsBE(std::string& out, const float* values, std::size_t count);

}  // namespace mv
