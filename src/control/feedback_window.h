// The feedback schedule window ("Proportional Feedback Control"), with the warning shown
// first when output 2 runs a voltage output script, and the schedule rules it applies.
#pragma once
#include <cstdint>

#include "runtime/str255.h"

namespace mv {

constexpr int16_t kFeedbackWindow = 788;

namespace FeedbackItem {
// Channel radios are 1..nChannels; label fields 100 + channel.
constexpr int16_t Positive = 20, Negative = 21, Show = 23, EndState = 24, NewStep = 25, EditStep = 27,
                  Delete = 28, Modify = 29, LoopToStep = 30, Clear = 32, Done = 33, IntervalPopup = 131,
                  EndPopup = 132, Help = 230;
constexpr int16_t SetpointField = 120, RangeField = 121, MaxVoltsField = 122, MinVoltsField = 123,
                  DurationField = 124, StepField = 127, LoopField = 128, RefusalLine = 140,
                  EndStateLine = 141;
// The warning's answers.
constexpr int16_t UseForFeedback = 1, KeepScript = 2, SelectionOK = 3;
}  // namespace FeedbackItem

constexpr int kMaxFeedbackSteps = 99;

// Steps from step 1 on whose duration is not 0, counting on from `from`, at most 99.
int16_t FeedbackStepCount(int16_t from = 0);
// Update-interval ticks of popup items 1 to 6 (0.25, 0.5, 1, 2, 10 and 30 seconds), and
// the item that shows an interval (3 for one the popup does not offer).
int32_t FeedbackIntervalTicks(int item);
int FeedbackIntervalItem(int32_t ticks);

// One step's values as the window's fields give them.
struct FeedbackStepValues {
  float setpoint = 0, minVolts = 0, maxVolts = 0, range = 0, minutes = 0;
};
// The schedule edits. Each returns the new step count; a step number that names no step
// (or a full schedule, for the new step) changes nothing.
int16_t AddFeedbackStep(int16_t count, const FeedbackStepValues& v);
int16_t DeleteFeedbackStep(int16_t count, int k);
void ModifyFeedbackStep(int16_t count, int k, const FeedbackStepValues& v);
// Every step to the following one, then the last step to target: 0 or a step beyond
// the last is no loop (the last step is followed by none).
void LoopFeedbackTo(int16_t count, double target);
// The end state in force, as the window shows it: "end state: 21.5 \xB1 0.5, 1 to 3 V",
// or "end state: none, the last step holds" when none was entered.
Str255 FeedbackEndStateText();

// The warning (when needed) and the window; returns when it closes.
void AnalogFEEDBACK();

// Both D-A items that open the feedback schedule ("Feedback Control, Channel 1..." and
// "... Channel 2...") carry its check mark: on while the schedule has steps and is in
// force, which it is only on an interface with output 2 (FeedbackOutputPresent).
void CheckFeedbackMenuItems(bool steps);

}  // namespace mv
