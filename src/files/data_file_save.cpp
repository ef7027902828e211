#include "files/data_file_save.h"

#include "acquisition/state.h"
#include "files/chart_file.h"
#include "files/sable_file.h"
#include "files/state.h"
#include "files/store_view.h"
#include "files/text_file.h"
#include "kit/state.h"
#include "setup/state.h"

namespace mv {

namespace {

void MarkSaved() {
  PrefsArray[PrefsSlot::LastRunSaved] = 1;
}

// A sweep is the scope trace's, whatever the chart's count. A fast-scope sweep whose
// block the logger did not send whole says so at the head of its comment, so the
// points it lacks are not taken for a fault of the file.
DataFileFacts SweepFacts() {
  DataFileFacts f = GatherDataFileFacts(RunPhase::Open);
  if (f.fastScope && !FastSweepNote.empty())
    f.comment = FastSweepNote.str() + (f.comment.empty() ? "" : "\r" + f.comment);
  return f;
}

}  // namespace

FileResult SaveChartDataFile(const std::string& path, RunPhase phase) {
  const DataFileFacts f = GatherDataFileFacts(phase);
  FileResult r = WriteChartFile(path, StoreRecordingView(), f);
  if (r) {
    AD_Device_Code = ChartInterfaceCode(f.externalAD);
    MarkSaved();
  }
  return r;
}

FileResult SaveSableDataFile(const std::string& path, RunPhase phase) {
  const DataFileFacts f = GatherDataFileFacts(phase);
  FileResult r = WriteSableChart(path, StoreRecordingView(), f);
  if (r) {
    nSamples = f.samples;
    MarkSaved();
  }
  return r;
}

FileResult SaveTextDataFile(const std::string& path, RunPhase phase, const TextProgress& progress) {
  FileResult r = WriteTextFile(path, StoreRecordingView(), GatherDataFileFacts(phase), progress);
  if (r) MarkSaved();
  return r;
}

FileResult SaveScopeSweepBinary(const std::string& path) {
  const DataFileFacts f = SweepFacts();
  Kfloat = ScopeFileInterval(f).relativeError;
  FileResult r = WriteScopeFile(path, StoreRecordingView(), f);
  if (r) AD_Device_Code = ScopeInterfaceCode(f.externalAD, f.demonstration);
  return r;
}

FileResult SaveScopeSweepSable(const std::string& path) {
  const DataFileFacts f = SweepFacts();
  const ScopeIntervalChoice interval = ScopeFileInterval(f);
  Kfloat = interval.relativeError;
  FileResult r = WriteSableSweep(path, StoreRecordingView(), f, interval.interval);
  if (r) nSamples = f.scopeMax;
  return r;
}

FileResult SaveScopeSweepText(const std::string& path) {
  const DataFileFacts f = SweepFacts();
  Kfloat = ScopeFileInterval(f).relativeError;
  return WriteScopeText(path, StoreRecordingView(), f);
}

}  // namespace mv
