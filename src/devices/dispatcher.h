// The one entry point for channel readings: hands the read to the reader of the
// interface in use and passes the result through the channel's spike filter. The
// reading is left in volts.
#pragma once
#include <cstdint>

namespace mv {

// Reads channel 1..16 and applies the spike filter. duringRecording is 1 when a
// recording loop calls (the reader then keeps the notes and toolbar alive).
void ReadExternalADdevice(int16_t channel, int16_t duringRecording);

// The read alone, without the spike filter. Codes 0 (demonstration) and 10, and codes
// outside the table, read nothing and leave volts as it was.
void ReadExternalADValue(int16_t channel, int16_t duringRecording);

// Streaming input: reads the instrument's next line unless this sample's line was
// read already (serialWasRead, cleared after the last channel), so every channel of a
// sample takes its value from one line and a sample costs one line, not one a channel.
void ReadStreamLineOfSample();

// The spike decision for a re-read channel: y (the last re-read) stands unless it lies
// farther from the first reading x than from the reference L, in which case the first
// reading was a spike and L stands. Both comparisons are strict.
bool IsSpike(float x, float y, float reference);

}  // namespace mv
