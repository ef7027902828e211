// The text data file (".txt"): the chart recording as TAB-separated columns with CR
// line ends, for spreadsheets. Numbers follow the printed-number rule; a bad reading
// appears as -99999. The optional time column gives each row its sample's time from the
// start, as the binary file places it (index x interval plus the pauses and gaps
// recorded at or before it).
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "files/data_file_model.h"
#include "files/file_io.h"

namespace mv {

// Told the rows written so far and the rows in all, about 300 times per file at most
// (every max(rows / 300, 2) rows), so a progress bar can follow a long save.
using TextProgress = std::function<void(int32_t rowsDone, int32_t rows)>;

std::string EncodeTextFile(const RecordingView& view, const DataFileFacts& f);
FileResult WriteTextFile(const std::string& path, const RecordingView& view, const DataFileFacts& f,
                         const TextProgress& progress = {});

}  // namespace mv
