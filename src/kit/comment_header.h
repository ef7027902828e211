// The header line that heads the comment text of the data files: when and at what
// time the recording began. Every run writes it afresh; the user's own comment text
// after it is never touched.
#pragma once
#include <string>
#include <string_view>

#include "runtime/str255.h"

namespace mv {

// The run's header line: bullet "  Recorded MM/dd/yy at HH:mm:ss:", 36 blanks and CR.
std::string RunCommentHeader(const Str255& date, const Str255& time);
// True when the line is a header line: a bullet, blanks, then "Recorded ".
bool IsCommentHeaderLine(std::string_view line);
// The comment text with the header in front: an existing header line (through its
// line end) is replaced, otherwise the header is inserted before the text. A header
// without a line end gets a CR.
std::string WithCommentHeader(std::string_view comment, std::string_view header);

}  // namespace mv
