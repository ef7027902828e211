#include "files/data_file_save.h"

#include "files/chart_file.h"
#include "files/sable_file.h"
#include "files/state.h"
#include "files/store_view.h"
#include "files/text_file.h"
#include "setup/state.h"
#include "shell/state.h"

namespace mv {

namespace {

void MarkSaved() { PrefsArray[PrefsSlot::LastRunSaved] = 1; }

DataFileFacts FactsFor(bool endOfPeriod) {
  DataFileFacts f = GatherDataFileFacts();
  f.endOfPeriod = endOfPeriod;
  return f;
}

}  // namespace

FileResult SaveChartDataFile(const std::string& path) {
  const DataFileFacts f = FactsFor(false);
  FileResult r = WriteChartFile(path, StoreRecordingView(), f);
  if (r) {
    AD_Device_Code = ChartInterfaceCode(f.externalAD);
    MarkSaved();
  }
  return r;
}

FileResult SaveSableDataFile(const std::string& path, bool endOfPeriod) {
  const DataFileFacts f = FactsFor(endOfPeriod);
  FileResult r = WriteSableChart(path, StoreRecordingView(), f);
  if (r) {
    nSamples = f.sample;
    MarkSaved();
  }
  return r;
}

FileResult SaveTextDataFile(const std::string& path, bool endOfPeriod, const TextProgress& progress) {
  FileResult r = WriteTextFile(path, StoreRecordingView(), FactsFor(endOfPeriod), progress);
  if (r) MarkSaved();
  return r;
}

FileResult SaveScopeSweepBinary(const std::string& path) {
  const DataFileFacts f = FactsFor(false);
  Kfloat = ScopeFileInterval(f).relativeError;
  FileResult r = WriteScopeFile(path, StoreRecordingView(), f);
  if (r) AD_Device_Code = ScopeInterfaceCode(f.externalAD, f.demonstration);
  return r;
}

FileResult SaveScopeSweepSable(const std::string& path) {
  const DataFileFacts f = FactsFor(false);
  const ScopeIntervalChoice interval = ScopeFileInterval(f);
  Kfloat = interval.relativeError;
  FileResult r = WriteSableSweep(path, StoreRecordingView(), f, interval.interval);
  if (r) nSamples = f.scopeMax;
  return r;
}

FileResult SaveScopeSweepText(const std::string& path) {
  const DataFileFacts f = FactsFor(false);
  Kfloat = ScopeFileInterval(f).relativeError;
  return WriteScopeText(path, StoreRecordingView(), f);
}

}  // namespace mv
