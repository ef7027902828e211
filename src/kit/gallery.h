// A review window that shows every builder and primitive of the drawing kit:
// panels, buttons, both palettes, the circle palette, dashes 1 to 8, warning
// stripes, the icons, embossed labels, the edit-field colour codes and a
// progress bar.
#pragma once
#include <cstdint>

namespace mv {

constexpr int16_t kGalleryWindow = 900;

// Builds the gallery window and leaves it open.
void BuildKitGallery(int16_t window = kGalleryWindow);
// Builds the gallery and runs its loop until its close box or Return.
void KitGallery();

}  // namespace mv
