#include "files/held_periods.h"

#include <algorithm>
#include <filesystem>

#include "files/chart_file.h"
#include "files/sable_file.h"
#include "files/store_view.h"
#include "files/text_file.h"

namespace mv {

namespace fs = std::filesystem;

namespace {

HeldPeriod CopyPeriod(const RecordingView& from, DataFormat format, const std::string& path,
                      const DataFileFacts& f) {
  HeldPeriod p;
  p.format = format;
  p.path = path;
  p.facts = f;
  const int32_t samples = std::max(0, f.samples);
  for (int n = 1; n <= f.nChannels && n <= 16; ++n) {
    p.rows[n].resize(static_cast<std::size_t>(samples));
    from.ChartColumns(n, f.firstColumn, samples, p.rows[n].data());
  }
  for (int i = 1; i <= from.MarkerCount(); ++i) p.markers.push_back(from.MarkerAt(i));
  for (int i = 1; i <= from.NoteCount(); ++i) p.notes.push_back(from.NoteAt(i));
  for (int32_t pos = 0; pos <= f.scopeMax; ++pos) p.sweep.push_back(from.ScopeValue(pos));
  return p;
}

// The writers' view of a held period.
class HeldView final : public RecordingView {
 public:
  explicit HeldView(const HeldPeriod& p) : p_(p) {}

  void ChartColumns(int channel, int32_t first, int32_t count, float* out) const override {
    for (int32_t i = 0; i < count; ++i) {
      const int64_t k = int64_t{first} + i - p_.facts.firstColumn;
      const bool held = channel >= 1 && channel <= 16 && k >= 0 &&
                        static_cast<std::size_t>(k) < p_.rows[static_cast<std::size_t>(channel)].size();
      out[i] = held ? p_.rows[static_cast<std::size_t>(channel)][static_cast<std::size_t>(k)] : 0.0f;
    }
  }
  int MarkerCount() const override { return static_cast<int>(p_.markers.size()); }
  DataFileMarker MarkerAt(int i) const override {
    return i >= 1 && i <= MarkerCount() ? p_.markers[static_cast<std::size_t>(i - 1)] : DataFileMarker{};
  }
  int NoteCount() const override { return static_cast<int>(p_.notes.size()); }
  DataFileNote NoteAt(int i) const override {
    return i >= 1 && i <= NoteCount() ? p_.notes[static_cast<std::size_t>(i - 1)] : DataFileNote{};
  }
  float ScopeValue(int32_t position) const override {
    return position >= 0 && static_cast<std::size_t>(position) < p_.sweep.size()
               ? p_.sweep[static_cast<std::size_t>(position)]
               : 0.0f;
  }

 private:
  const HeldPeriod& p_;
};

FileResult WritePeriod(const HeldPeriod& p) {
  const HeldView view(p);
  switch (p.format) {
    case DataFormat::Sable:
      return WriteSableChart(p.path, view, p.facts);
    case DataFormat::Text:
      return WriteTextFile(p.path, view, p.facts);
    default:
      return WriteChartFile(p.path, view, p.facts);
  }
}

}  // namespace

void HoldFailedPeriod(DataFormat format, const std::string& path) {
  HeldPeriods.push_back(CopyPeriod(StoreRecordingView(), format, path, GatherDataFileFacts(RunPhase::Open)));
}

int HeldPeriodCount() {
  return static_cast<int>(HeldPeriods.size());
}

FileResult WriteHeldPeriods() {
  while (!HeldPeriods.empty()) {
    FileResult r = WritePeriod(HeldPeriods.front());
    if (!r) return r;
    HeldPeriods.pop_front();
  }
  return FileResult{true, {}};
}

std::string OldestHeldPeriodPath() {
  return HeldPeriods.empty() ? std::string() : HeldPeriods.front().path;
}

int64_t HeldSampleCount() {
  int64_t samples = 0;
  for (const HeldPeriod& p : HeldPeriods) samples += std::max(0, p.facts.samples);
  return samples;
}

void SendHeldPeriodsTo(const std::string& oldestPath) {
  if (HeldPeriods.empty()) return;
  const fs::path folder = fs::path(oldestPath).parent_path();
  std::vector<std::string> given{oldestPath};
  HeldPeriods.front().path = oldestPath;
  for (std::size_t i = 1; i < HeldPeriods.size(); ++i) {
    HeldPeriods[i].path =
        FreePathIn(folder.string(), fs::path(HeldPeriods[i].path).filename().string(), given);
    given.push_back(HeldPeriods[i].path);
  }
}

}  // namespace mv
