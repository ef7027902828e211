// The Sable serial instrument windows: which channels take their value from the
// instrument's text line (window 44), and which value of the line feeds a channel,
// with its plot range and label (window 11).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/str255.h"

namespace mv {

constexpr int16_t kSerialOptionsWindow = 44;
constexpr int16_t kSelectSerialWindow = 11;
constexpr int16_t kSerialInstrumentInput = 15;
constexpr int kMaxInstrumentValues = 14;

// The values of the instrument's text line (without its first byte), exactly as the
// reader records them: after the identification field, up to 14 values separated by
// "," or ":"; "--" for a value with nothing numeric in it.
std::vector<Str255> InstrumentValueTexts(std::string_view line);
// The title of entry n; its characters 6 to 35 become the channel's label when the
// entry is chosen ("value 3 of instrument").
Str255 InstrumentEntryTitle(int n);
// The label rule: leading blanks removed, 35 blanks appended, characters 6 to 35.
Str255 LabelFromEntryTitle(const Str255& title);

// Requests one line and shows its values in window 11 (building the entries when
// build is set). Returns the number of values (0 when the interface never answered).
int16_t SerialStringUpdate(bool build);

void SerialInstrumentInput();
void InspectSerialInput(int16_t channel);

}  // namespace mv
