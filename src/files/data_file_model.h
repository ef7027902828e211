// What the data-file writers read: the recording (samples, markers, notes, the
// scope sweep) through a small view, and the rest of the run (channel table,
// texts, dates, conditions, interface) as one plain record gathered from the
// program's state. The writers are pure functions of these two, so a test can
// hand them a small made-up recording, and a writer can never change the store.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace mv {

struct DataFileMarker {
  int32_t sample = 0;  // the column of the next sample when the marker was set
  int32_t code = 0;    // a Mac Roman character, or 200 + n for numbered marker n
};

struct DataFileNote {
  std::string sample;  // the sample number as text
  std::string time;    // "HH:mm:ss"
  std::string text;
};

class RecordingView {
 public:
  virtual ~RecordingView() = default;
  // Columns first .. first + count - 1 of the channel's row of the chart store.
  virtual void ChartColumns(int channel, int32_t first, int32_t count, float* out) const = 0;
  virtual int MarkerCount() const = 0;
  virtual DataFileMarker MarkerAt(int i) const = 0;  // i = 1 .. MarkerCount()
  virtual int NoteCount() const = 0;
  virtual DataFileNote NoteAt(int i) const = 0;  // i = 1 .. NoteCount()
  // Position 0 .. ScopeMax of the scope trace (row 1 of the scope table).
  virtual float ScopeValue(int32_t position) const = 0;
};

// The five experiment conditions, in file order.
struct ExperimentConditions {
  float flowrate = 100.0f;            // ml/min
  float mass = 0.0f;                  // g
  float BarometricPressure = 760.0f;  // torr
  float flowtemp = 0.0f;              // degrees Celsius
  float EffectiveVolume = 0.0f;       // ml
};
ExperimentConditions CurrentExperimentConditions();
void StoreExperimentConditions(const ExperimentConditions& c);
// The effective volume a typed value stands for: 0 means 0.1 ml (a chamber has a volume).
float EffectiveVolumeFromTyped(double typed);
// "Set to STP Conditions": 760 torr and 0 degrees Celsius, the rest unchanged.
ExperimentConditions WithStandardConditions(ExperimentConditions c);

struct DataFileChannel {
  float input = 0;     // hardware input (record field 1)
  float a = 0, b = 0, c = 0;
  float typeCode = 0;  // row 0 of the channel table at the channel's number
  float averaged = 0;  // record field 7
  // Under continuous scanning, the readings this file's stored samples averaged and how
  // many of its samples averaged any.
  int64_t scannedReadings = 0;
  int32_t scannedSamples = 0;
  std::string label;   // the 30-byte label field, blank-padded
  float spikeRatio = 0;  // the threshold the run filtered by, 0 when it did not
  int32_t spikes = 0;
};

struct DataFileFacts {
  // chart recording: every file holds all the run's samples, the same ones, from the
  // store's firstColumn on (0 in chart mode; 1 in scope-plus-chart mode, whose chart
  // points fill columns 1 to n)
  int32_t samples = 0;
  int32_t firstColumn = 0;
  float sampleInterval = 0;
  int16_t nChannels = 0;
  int16_t firstChan = 1;  // 2 in scope-plus-chart mode
  std::array<DataFileChannel, 17> channels{};  // rows 1..16
  std::string startDate;  // "MM/dd/yy"
  std::string startTime;  // "HH:mm:ss"
  std::string endDate;    // "MM/dd/yy"
  std::string endTime;    // "HH:mm:ss"
  std::string comment;    // the whole comment text, Mac Roman, CR line ends
  std::string pauseLog;
  ExperimentConditions conditions;
  std::array<float, 7> threeWay{};  // polyarray row 0
  int16_t externalAD = 0;
  bool demonstration = false;
  int16_t lastDeviceCode = 0;  // AD_Device_Code before this file
  bool continuousScan = false;  // averaging over every scan (slot 30)
  bool lastChannelScanned = false;  // continuous averaging of the last channel alone
  bool spikeFilterOn = false;  // slot 32 as the run used it
  bool repeatSaves = false;    // slot 44
  bool timeColumn = false;     // slot 38: elapsed time in text files
  // scope sweep
  int32_t scopeMax = 0;
  int32_t scSample = 1;
  bool fastScope = false;  // slot 40
  float scopeInterval = 0;
  int32_t lastScopeDur = 0;  // ticks of the last sweep
  float sampRateError = 0;
  std::string saveTime;  // "HH:mm:ss" of a sweep save
};

// Where the run's sample count stands when a file is written. While the run is open
// (a timed backup, an end-of-period save, the backup at the stop) Sample counts the
// samples taken. Once the options window has closed the run, Sample is one less (the
// intervals the rate check measures) and nSamples keeps the count.
enum class RunPhase { Open, Closed };

// The facts of the program's state now (the save time is the present time).
DataFileFacts GatherDataFileFacts(RunPhase phase);

// ---- rules shared by the writers ------------------------------------------------------------

// The interface code a data file carries for an interface code (ExternalADCode).
int16_t ChartInterfaceCode(int16_t externalAD);
// The scope file's code: the chart code, except 6 for ADAM and unknown interfaces in
// demonstration mode.
int16_t ScopeInterfaceCode(int16_t externalAD, bool demonstration);
// "MM/dd/yy" -> "MM-dd-yyyy", the century 20 below year 70, else 19.
std::string FileDateText(std::string_view mmddyy);
// The channel numbers written into chart files: firstChan .. nChannels.
// One spike-filter summary line, CR-ended.
std::string SpikeSummaryLine(int channel, int32_t spikes, float ratio);
// The summary lines of every channel 1..nChannels whose ratio exceeds 1.
std::string SpikeSummary(const DataFileFacts& f);
// Note texts keep to one line: CR and LF become blanks.
std::string OneLine(std::string_view text);
// The first n bytes of a text.
std::string_view Head(std::string_view text, std::size_t n);

// Comment text from the comment view (UTF-8) into the program's form: Mac Roman
// through the real codec, every kind of line end as CR, other control characters
// (tabs included) dropped, a double quote kept as a bullet.
std::string CleanCommentText(std::string_view utf8);

// The sweep's positions oldest first: the fast scope's 0 .. S; else ScSample holds the
// newest value, so the oldest is the one after it: ScSample + 1 .. S, then 1 .. ScSample
// (1 .. S when ScSample is S or out of range). Calls put(position) for each.
template <class F>
void ForEachSweepPosition(int32_t scopeMax, int32_t scSample, bool fast, F&& put) {
  if (fast) {
    for (int32_t p = 0; p <= scopeMax; ++p) put(p);
    return;
  }
  const int32_t newest = (scSample >= 1 && scSample <= scopeMax) ? scSample : scopeMax;
  for (int32_t p = newest + 1; p <= scopeMax; ++p) put(p);
  for (int32_t p = 1; p <= newest; ++p) put(p);
}

}  // namespace mv
