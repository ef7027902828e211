// The comment text that travels with the data files and the experiment conditions,
// between the program's own form and the file information window: the comment
// view's Unicode text turned into Mac Roman, the spike-filter summary added when
// the window opens, and the conditions read back from their fields.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "files/data_file_model.h"

namespace mv {

// The comment view's text as the program keeps comments: Mac Roman through the
// real codec ("?" for what Mac Roman lacks), every line end (CRLF, LF, CR, U+2028,
// U+2029) as CR, other control characters (tabs included) dropped, and the double
// quote stored as a bullet (byte 165), as this program's comments always have been.
std::string FixContainerASCIIforSave(std::string_view viewUtf8);
std::string FixContainerASCIIforSave(std::u16string_view viewUtf16);

// Fills edit field `field` of the current output window with CommentContainer
// (empty container, empty field).
void TextViewSetTextFromMyContainer(int16_t field);
// Takes the field's whole text back into CommentContainer, cleaned; a missing field
// leaves the comment as it was.
void TextViewGetTextCopyIntoMyContainer(int16_t field);

// CR, then one summary line per channel 1..nChannels the run filtered (its count and
// threshold as the run kept them).
std::string SpikeSummaryBlock();
// On opening the window: when the run had the spike filter on and repeat saves are
// off (slot 44), the block goes at the end of the comment, unless the comment already
// ends with that very block (a window opened twice adds it once).
void AppendSpikeSummaryToComment();

// The condition fields' texts in file order: flow rate, mass, barometric pressure,
// flow temperature, effective volume.
using ConditionTexts = std::array<std::string, 5>;
// The conditions the window leaves. Each field's text is read as a number (0 when
// it is none); an effective volume of 0 means 0.1 ml. When the window ended because
// a menu command ran meanwhile (a calculator), a condition whose value changed since
// the window opened keeps the value that command set.
ExperimentConditions ConditionsFromFields(const ConditionTexts& texts, const ExperimentConditions& atOpening,
                                          const ExperimentConditions& now, bool endedByMenuCommand);
// A condition as its field shows it.
std::string ConditionText(float value);

}  // namespace mv
