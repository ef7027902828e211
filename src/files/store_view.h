// The data-file writers' view of the program's own recording: the chart store,
// the marker list, the notes and the scope trace. It only reads them.
#pragma once
#include "files/data_file_model.h"

namespace mv {

class StoreRecordingView final : public RecordingView {
 public:
  void ChartColumns(int channel, int32_t first, int32_t count, float* out) const override;
  int MarkerCount() const override;
  DataFileMarker MarkerAt(int i) const override;
  int NoteCount() const override;
  DataFileNote NoteAt(int i) const override;
  float ScopeValue(int32_t position) const override;
};

}  // namespace mv
