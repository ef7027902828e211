// When each stored value was read, told by the value itself (see check.h), and which of
// the simulator's replies each stored sweep accounts for.
#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "soak/check.h"
#include "soak/plan.h"

namespace mv::soak {

// One stored cell's reading: when its value says it was read (wall clock) and how
// closely the value tells it.
struct Reading {
  enum Kind {
    Bad,       // -99999
    Swept,     // read once for its sample
    Mean,      // the mean of the interval's readings (continuous averaging)
    Held,      // a copy of the channel's last value, not read for this sample
    Unpinned,  // a sawtooth reading with nothing beside it to tell its tooth
    Zeroed,    // a switched channel's zero: its device was off
  };
  Kind kind = Bad;
  double t = 0, e = 0;
};

struct Sample {
  std::size_t file = 0;
  int32_t index = 0;
  long seq = 0;         // its place among every file's samples, in the order written
  double interval = 0;  // in force at it, by its file's rule
  double logged = 0;    // the pause and gap time its file logs before it
  std::vector<double> cells;
  std::vector<Reading> readings;
  double T = -1, e = 0;  // its last reading that stood (wall clock) and how closely known; T < 0: none stood
  double replyIn = 0;    // how long after its value was taken that reading's reply was in (within T)
  double first = -1;     // its first reading
  bool duplicate = false;  // every value as in the sample before it, with nothing failing
  bool sentLate = false;   // a streamed line sent late in a freeze's burst: T is its arrival
  double lineAt = -1;      // when that line was measured
};

class Sweeps {
 public:
  Sweeps(const Plan& p, const SimLog& log);

  // The readings of a sample, from its cells, the last sample stored before it in
  // which a reading stood (`prev`) and the one stored just before it (`last`).
  void Estimate(Sample& s, const Sample* prev, const Sample* last) const;
  // Why channel c's reading is not its own sweep's (empty when it is): read before the
  // sample stored before it, after its own sample's last reading, or long before that
  // with nothing failing between.
  std::string OutOfSweep(const Sample& s, int c, const Sample* prev) const;

  // The sweeps a run reads when it starts, before its first sample.
  int StartSweeps() const;
  // The run's first request (the set-up's quiet ended), once the samples are known.
  void FindRun(const std::vector<Sample>& samples);
  double RunStart() const;
  // Seconds between `from` and `to` (from the run's start) that faults take, with the
  // time the program may take to ask again after each.
  double FaultSecondsIn(double from, double to) const;
  // When the instrument answered again after the faults between wall-clock times a
  // and b, or -1 when none lay between; `silence`, when given, takes that fault's span.
  double ResumeAfter(double a, double b, double* silence = nullptr) const;
  // The longest the program may leave an instrument unasked after a failed reply, or
  // after a silence of `silence` seconds ended.
  double LateReplyWait(double silence = 0) const;
  // Why channel c's cell is not as the devices on at its sample's time say (its own
  // reading while its device or the reference is on, else the zero value); empty when
  // it is, or when the sample stands too near a switch to tell.
  std::string Switched(const Sample& s, int c) const;

  struct Tally {
    long claimed = 0, excusedFaults = 0, excusedPauses = 0, beforeRun = 0, afterRun = 0;
    std::vector<std::string> violations;  // the first few
    long moreViolations = 0;
  };
  // The replies the simulator sent in the run that no stored sweep accounts for; a
  // sweep whose readings were looked up in the log (`asked`: its first and last request,
  // by file * 100000000 + sample) holds every reply from its first request to its last
  // one's, however slow.
  Tally Unclaimed(const std::vector<Sample>& samples, const std::vector<StoredFile>& files,
                  const std::map<long, std::pair<double, double>>& asked) const;

 private:
  double SlowTime(int c, double v, double* e) const;
  double FastTime(double v, double near, double* e) const;
  double Anchor(const Sample& s, int c) const;
  bool FaultBetween(double a, double b) const;
  // How long after its value was taken (at t) a reading of `input` was in.
  double ReplyDelay(double t, int input) const;
  double ScanSeconds(const Sample& s) const;
  bool SentLate(Sample& s) const;
  void FindBursts();
  void FindReplies();
  double SweepStart(const Sample& s) const;
  void Place(Sample& s, const Sample* prev, const Sample* last) const;
  int LastStood(const Sample& s, const Sample* prev, const std::function<bool(std::size_t)>& fresh) const;

  const Plan& p_;
  const SimLog& log_;
  std::vector<int> inputs_;
  std::vector<bool> fast_, mean_;
  double runStart_ = 0, recovery_ = 0, sweepSeconds_ = 0;
  // A freeze's span and the burst after it: its first and last reply.
  struct Burst {
    double frozen, from, last;
  };
  std::vector<Burst> bursts_;
  std::vector<double> replies_;  // the log's replies, a paced reply's bytes as one
  // Values the spike filter kept in a spike's place (input, value as stored): a reading
  // of the sweep before, which tells nothing of when this sample was read.
  std::vector<std::pair<int, double>> spikeKept_;
};

}  // namespace mv::soak
