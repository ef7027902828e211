// What the set-up window's routines share while it is open: its layout on the
// display, the page of rows shown, and the values its texts were drawn from.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "setup/setup_window_rules.h"

namespace mv::setup_view {

struct View {
  SetupLayout layout;
  int16_t firstRow = 1;    // the channel in the top row slot
  int16_t outOfRange = 0;  // channels on an input the interface lacks, at the last check
  // What the interval texts and count fields show, so they are redrawn when it changes.
  int32_t drawnMaxSamples = -1, drawnScopeMax = -1;
  double drawnChart = -1, drawnScope = -1;
};

View& Current();

// Channels 1..n of the table, n clamped to 0..16.
int16_t ChannelCount();
// The channels whose rows are shown: first to last (last < first when none).
int16_t FirstShown();
int16_t LastShown();
// The one-screen step of the sample counts (window width preference).
int32_t ScreenWidth();

// The first field of the rows shown whose text the channel cannot hold: a coefficient
// beyond single precision or a count of readings the sample takers cannot average, with
// the line that says why; nothing when every row can be stored. The read-back keeps the
// stored value of such a field (setup_window_rows.cpp).
struct TypedRefusal {
  int16_t field = 0;
  std::string text;
};
std::optional<TypedRefusal> TypedRowRefusal();

// The frame of the window: the picture, boxes, headings and the buttons and count
// panels outside the rows (setup_window_texts.cpp).
void DrawSetupFrame();
void PlaceSetupButtons();
// The count fields and the states of the count buttons from MaxSamples and ScopeMax.
void RefreshCountPanels();

}  // namespace mv::setup_view
