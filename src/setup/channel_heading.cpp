#include "setup/channel_heading.h"

#include "devices/connection.h"
#include "kit/builders.h"
#include "kit/protocol.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/windows.h"
#include "setup/channel_table.h"
#include "setup/needs.h"
#include "setup/state.h"

namespace mv {

namespace {

// Where the shell makes the strip at start-up; used when it is not there yet.
constexpr Rect kStripRect{33, 24, 643, 70};
// The small (44-pixel) interface picture stands whole within the 46-pixel strip, right of
// the mode picture (x 6 to 38) and left of the heading (x 95).
constexpr int16_t kInterfacePictureLeft = 44;
constexpr int16_t kInterfacePictureTop = 0;

}  // namespace

void CHANNELNUMBER(int16_t channel) {
  WINDOWCLEAR();
  if (!rt::WindowExists(kStatusStripWindow)) rt::OpenWindow(kStatusStripWindow, "", kStripRect, 13);
  rt::SetOutputWindow(kStatusStripWindow);
  if (!rt::WindowVisible(kStatusStripWindow)) rt::ShowWindow(kStatusStripWindow);
  SetWindowBackground(gray, true);
  // A field made and closed again takes the focus away from the field of the
  // previous dialog.
  BUILDEF(1, " ", 0, 0, 10, 10, 1, 1);
  rt::DisposeEditField(1);

  DrawIcon(static_cast<int16_t>(RecordingMODE + 127), 6, 31);
  DrawStripInterfacePicture();
  bup();
  EmbossPrint(1, ChannelHeadingText(channel, nChannels, RecordingMODE), 18, 95, 26);
  rt::FlushWindow();
}

void DrawStripInterfacePicture() {
  PLACE_AD_ICON(0, kInterfacePictureLeft, kInterfacePictureTop);
}

}  // namespace mv
