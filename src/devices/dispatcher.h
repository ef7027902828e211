// The one entry point for channel readings: hands the read to the reader of the
// interface in use and passes the result through the channel's spike filter. The
// reading is left in volts.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

namespace mv {

// Reads channel 1..16 and applies the spike filter. duringRecording is 1 when a
// recording loop calls (the reader then keeps the notes and toolbar alive).
void ReadExternalADdevice(int16_t channel, int16_t duringRecording);

// A run starts (a first run, another, or Restart): no channel has a spike reference,
// so each channel's first reading of the run becomes its reference and nothing before
// it is read again or replaced.
void ForgetSpikeReferences();

// The read alone, without the spike filter. Codes 0 (demonstration) and 10, and codes
// outside the table, read nothing and leave volts as it was.
void ReadExternalADValue(int16_t channel, int16_t duringRecording);

// Streaming input: reads the instrument's next line unless this sample's line was
// read already (serialWasRead, cleared after the last channel), so every channel of a
// sample takes its value from one line and a sample costs one line, not one a channel.
void ReadStreamLineOfSample();

// The readings of one sweep over the channels (see devices/line_step.h): each reading
// goes through ReadExternalADdevice, and the line is waited on for quiet once, when
// the sweep settles; a reading that a stray byte then fails reads as the bad-reading
// rule says. The sample takers store a sweep's values only after it has settled.
class ChannelSweep {
 public:
  struct Reading {
    int16_t channel = 0;
    float value = 0;
    bool stood = false;  // a good reading that nothing failed later
    double at = 0;       // when it was taken (the program's clock, seconds)
  };
  // roomSeconds: how long the sweep may take (a sample's interval; 0: no longer than
  // its waits take), in which a request held for another device's doubt may wait it out.
  explicit ChannelSweep(int16_t duringRecording, double roomSeconds = 0);
  ~ChannelSweep();
  ChannelSweep(const ChannelSweep&) = delete;
  ChannelSweep& operator=(const ChannelSweep&) = delete;

  // Reads the channel once (spike filter included); leaves the reading in volts.
  void Read(int16_t channel);
  // Keeps a value read without the dispatcher (demonstration values) as a good reading.
  void Keep(int16_t channel, float value);
  // Waits once for the line to fall quiet and decides which readings stood.
  void Settle();

  const std::vector<Reading>& Readings() const { return readings_; }
  // Whether every Read asked the instrument and took its reply: a channel the readers
  // skip (no input set yet) reads at once without a word on the line.
  bool EveryReadAnswered() const;
  // After Settle: the mean (in double precision, rounded to single) of the channel's
  // readings that stood, each first passed through `each` when given; nothing when
  // none stood.
  std::optional<float> MeanOf(int16_t channel, float (*each)(float) = nullptr) const;
  // After Settle: when the sweep's last reading that stood was taken; nothing when none
  // stood. A sample stands at that time, whatever waits of the readings that failed
  // followed it.
  std::optional<double> LastStoodAt() const;
  // What a channel none of whose readings stood reads: its last reading's value (the
  // bad-reading rule's -99999, or the channel's last value).
  float FailedValueOf(int16_t channel) const;

 private:
  struct Entry {
    uint64_t takenBefore = 0, takenAfter = 0;
    bool failedNow = false;
    bool referenceSet = false;    // the spike filter made this reading its reference
    bool referenceFirst = false;  // the channel's first reference of the run
    bool answered = false;        // the instrument was asked and replied, or its line served
  };
  int16_t duringRecording_;
  bool settled_ = false;
  std::vector<Reading> readings_;
  std::vector<Entry> entries_;
};

// The channels first..last (all but `skip`) in the order a sweep asks them: channel
// order, except that the channels of an ADAM module in silence come after the others,
// so that its time-out and the wait after it never cost the modules that answer their
// readings. Each reading is kept for its own channel whatever the order.
std::vector<int16_t> SweepOrder(int16_t first, int16_t last, int16_t skip = 0);

// The spike decision for a re-read channel: y (the last re-read) stands unless it lies
// farther from the first reading x than from the reference L, in which case the first
// reading was a spike and L stands. Both comparisons are strict.
bool IsSpike(float x, float y, float reference);

}  // namespace mv
