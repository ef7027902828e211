// The DT800's fast scope: the logger records a whole sweep of channel 1 in burst mode
// and the program downloads it as one block of text numbers. The codec parts are pure
// (the burst command text, the block's numbers, the block averages and the scaling);
// HIGHSPEEDIO takes one block with the program's line and the tick clock, showing its
// phases in status field 300 and the transfer bar; GETFAST draws it and takes the keys.
// In demonstration mode the block is simulated, with the same phases and waits.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mv {

// The most numbers one block downloads (rows of the block buffer) and the most
// points of a sweep: a set-up file or a typed count never takes the transfer past them.
constexpr int32_t kFastMaxNumbers = 262'104;
constexpr int32_t kFastMaxPoints = 16'384;
// A downloaded item that is not a number.
constexpr float kFastBadNumber = -99999.0f;

// The burst command for the given channel-1 input settings: "RX;BURST(count,rate)"
// then the channel text (a blank, the input number and the input type).
std::string BurstCommandText(int16_t input, int16_t kind, int16_t thermocoupleType, double intervalSeconds,
                             int32_t scopeMax);
// Numbers the logger sends for one sweep, at most kFastMaxNumbers.
int32_t FastScopeSampleCount(double intervalSeconds, int32_t scopeMax);
// Samples averaged into one sweep point: 1 at 1 ms or faster, else the interval in ms.
int32_t FastScopeSamplesPerPoint(double intervalSeconds);
// Points of the sweep the transfer fills: ScopeMax, at most kFastMaxPoints.
int32_t FastScopePoints(int32_t scopeMax);
// Recording time of one block in ticks: ScopeMax x interval x 60, truncated.
uint32_t FastRecordingTicks(int32_t scopeMax, double intervalSeconds);
// The demonstration's simulated download time in ticks (whole numbers).
uint32_t FastDemoDownloadTicks(int32_t scopeMax, double intervalSeconds);

// One downloaded item as a number: the whole item must be a number (a leading "+" is
// allowed), else kFastBadNumber.
float ParseFastNumber(std::string_view item);

// One decoded block: the numbers in order, or a reason when fewer than asked came.
struct FastBlock {
  std::vector<float> values;
  std::string reason;  // empty when complete
};
// Reads up to `count` text numbers separated by commas, blanks and line ends.
FastBlock DecodeFastBlock(std::string_view bytes, int32_t count);

// Block averages of m raw values each, each partial sum truncated to a whole number
// and the sum divided by m as whole numbers; `points` averages. `raw` holds the numbers
// read: a point holding a bad number, or one whose numbers did not all come, is
// kFastBadNumber.
std::vector<float> FastBlockAverages(const std::vector<float>& raw, int32_t m, int32_t points);
// Scales a block's averages (millivolts, or degrees for a thermocouple) into the sweep.
// Voltage and resistance: v = avg x 0.001 x b + a, a zero the logger sent included.
// Thermocouple: a running 3-point smoothing of the raw averages (position 1 is its own
// average), each output t x b + a. A bad average stays kFastBadNumber, and no other
// point is made from it.
std::vector<float> ScaleFastBlock(const std::vector<float>& averages, bool thermocouple, float a, float b);
// What a sweep whose block came short says of itself, on the status line and in its
// file: "partial block: N of M points", N the points that hold a value.
std::string PartialBlockText(int32_t pointsRead, int32_t points);
// What a sweep says when no number of its block could be placed: "partial block:
// places unknown".
std::string PlacesUnknownText();
// Whether a downloaded number is one the input can read: millivolts within +-10 V for
// a voltage input (kind 1), degrees from absolute zero to the top of the thermocouple
// type's range (kind 0: type 2 J to 1200, 3 K to 1372, else T to 400), ohms within
// +-10 MOhm for a resistance. Anything else is a number the logger's block was not made of.
bool FastValueInRange(float v, int16_t kind, int16_t thermocoupleType);

// The y of a sweep value on the scope plot: bottom - (v - miny) x hite / range,
// truncated, no lower than the bottom and 0 when negative; a range of 0 keeps the bottom.
int32_t FastTraceY(float v, float miny, int32_t hite, float range, int32_t bottom);
// The x step of the drawn sweep: the scope's x factor, at most one pixel a point, so a
// sweep never runs past the window.
float FastTraceStep(float scopeXfactor);

// What status field 300 says in each phase of a block, with its back and fore colour
// codes of the edit-field palettes.
struct FastPhase {
  const char* text;
  int16_t back, fore;
};
namespace fast_phase {
constexpr FastPhase Sampling{" SAMPLING...", 2, 4};
constexpr FastPhase Processing{"  PROCESSING...", 10, 1};
constexpr FastPhase Downloading{" DOWNLOADING...", 1, 1};
constexpr FastPhase LoggerProcessing{" DT800 PROCESSING...", 10, 1};
constexpr FastPhase Transfer{" TRANSFER DATA..", 3, 6};
// The logger never answered a block: the run stops.
constexpr FastPhase NoReply{" NO REPLY FROM DT800", 2, 6};
// The colours of the partial-block text (PartialBlockText), shown once the block is
// scaled.
constexpr FastPhase Partial{"", 2, 6};
}  // namespace fast_phase

// Ticks the transfer waits for the logger's first reply after the recording time, and
// for each number of the download, before it gives the block up; a Tab held after a
// save is waited for at most kFastTabReleaseTicks.
constexpr uint32_t kFastReplyTicks = 600;
constexpr uint32_t kFastNumberTicks = 60;
constexpr uint32_t kFastTabReleaseTicks = 600;
// Before the next block is asked for, what the logger still sends of a block the
// program stopped reading is read and dropped: after a cut (a silence, Tab) until the
// line has been quiet for kFastQuietTicks, waited for even on a quiet line since the
// rest may still come; otherwise whatever waits (numbers beyond the count asked for, a
// late reply) until the line has been quiet for kFastSettleTicks. A line that never
// quietens is given up after kFastDrainTicks.
constexpr uint32_t kFastQuietTicks = 60;
constexpr uint32_t kFastSettleTicks = 6;
constexpr uint32_t kFastDrainTicks = 600;

// Builds and sends the burst command (outside demonstration mode).
void BurstCommandString();
// Takes one block into ScopeBufferArray and scopedata row 1, showing its phases; a
// point holds a number only where its place in the block is known, every other point
// is kFastBadNumber, and FastSweepNote says how many hold one ("partial block: N of M
// points") or that none could be placed ("partial block: places unknown"). Tab (or the save icon) during the recording saves the sweep on show (the
// previous block); during the download it ends the download, the rest of the block is
// read and dropped, and the partial block is saved (with no number when no pause was
// seen and the rest does not make the block's count). Escape or Stop ends the block at its next look and leaves EscapeKeyHit set for
// the scope loop. After a save by Tab, TabKeyHit stays set for GETFAST, which marks the
// saved sweep.
int16_t HIGHSPEEDIO();
// Saves the sweep to the next numbered scope file, and the label over the scope names
// the file after it at once.
void SaveFastScopeSweep();
// Whether the last block ended because the logger never answered (the run stopped).
bool FastScopeLoggerSilent();
// Draws the block (the demonstration's min/max bars or the logger's sweep as one
// polyline, replacing the last block's trace), then acts on one typed key and returns
// its code (0 when none; 27 also sets EscapeKeyHit).
int16_t GETFAST();

}  // namespace mv
