#include "files/store_view.h"

#include <algorithm>

#include "acquisition/state.h"

namespace mv {

void StoreRecordingView::ChartColumns(int channel, int32_t first, int32_t count, float* out) const {
  ChartDataArray.CopyRow(channel, first, count, out);
}

int StoreRecordingView::MarkerCount() const { return std::clamp<int>(Nmarkers, 0, kMaxMarkers); }

DataFileMarker StoreRecordingView::MarkerAt(int i) const {
  if (i < 1 || i > kMaxMarkers) return {};
  return DataFileMarker{MarkersArray[i].sample, MarkersArray[i].code};
}

int StoreRecordingView::NoteCount() const { return std::clamp<int>(NumberOfNotes, 0, kMaxNotes); }

DataFileNote StoreRecordingView::NoteAt(int i) const {
  if (i < 1 || i > kMaxNotes) return {};
  const NoteRecord& n = fileRemarks[i];
  return DataFileNote{n.sample.str(), n.time.str(), n.text.str()};
}

float StoreRecordingView::ScopeValue(int32_t position) const {
  if (position < 0 || position >= kScopeColumns) return 0.0f;
  return scopedata[1][position];
}

}  // namespace mv
