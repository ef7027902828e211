// The text data file (".txt"): the chart recording as TAB-separated columns with CR
// line ends, for spreadsheets. Numbers follow the printed-number rule; a bad reading
// appears as -99999.
#pragma once
#include <string>

#include "files/data_file_model.h"
#include "files/file_io.h"

namespace mv {

std::string EncodeTextFile(const RecordingView& view, const DataFileFacts& f);
FileResult WriteTextFile(const std::string& path, const RecordingView& view, const DataFileFacts& f);

}  // namespace mv
