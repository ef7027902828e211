// The little-endian export read by the Sable analysis software (".KSSable"): a
// chart recording or one scope sweep.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "files/data_file_model.h"
#include "files/file_io.h"

namespace mv {

// The four little-endian bytes of x as an IEEE single, truncated toward zero (1.1
// gives CC CC 8C 3F); a zero of either sign gives four zero bytes.
std::array<uint8_t, 4> PutIEEE(double x);
// The marker value: code x 1,000,000 + the low 16 bits of the sample as a signed
// 16-bit number (the reading software decodes them so), kept to 32 bits.
int32_t SableMarkerValue(int32_t code, int32_t sample);
// The transform name of a conversion type code; empty for codes outside 1 to 9.
std::string SableTransformName(int code);

std::string EncodeSableChart(const RecordingView& view, const DataFileFacts& f);
// One sweep (channel 1), with the interval the scope save settled.
std::string EncodeSableSweep(const RecordingView& view, const DataFileFacts& f, float interval);

FileResult WriteSableChart(const std::string& path, const RecordingView& view, const DataFileFacts& f);
FileResult WriteSableSweep(const std::string& path, const RecordingView& view, const DataFileFacts& f,
                           float interval);

}  // namespace mv
