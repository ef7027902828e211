// The file information window shown before a binary or Sable-format save: the kind
// of file, the comment text that travels with it and (except for the Sable layout)
// the five experiment conditions. Also the document name of the next print job.
#pragma once
#include <cstdint>

#include "runtime/str255.h"

namespace mv {

constexpr int16_t kFileInfoWindow = 15;
// Controls and fields.
constexpr int16_t kFileInfoOKButton = 11, kFileInfoHelpButton = 12, kStandardConditionsButton = 2;
constexpr int16_t kCommentField = 1;
constexpr int16_t kFlowRateField = 102, kMassField = 103, kPressureField = 104, kFlowTempField = 105,
                  kVolumeField = 106;
constexpr int16_t kCommentLengthField = 109, kCommentLengthWarning = 110;
// The Sable export takes this many bytes of the comment.
constexpr int kSableCommentLimit = 240;

// The window; returns when it closes, with the edited comment in CommentContainer
// and the conditions in their globals. Reads slot 16 (Sable layout) and
// ScopeFileComments (scope or chart file).
void GETFILECOMMENTS();

// The set-up report's printer job gets this document name ("setup data.pdf").
void SetPrintJobName(const Str255& name);

}  // namespace mv
