// The streaming serial instrument's text: lines of up to 16 fields, its optional name
// line, and the records of the instrument database that remembers labels per
// instrument. Pure functions: text in, values or text out.
#pragma once
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mv::stream {

constexpr int kVariables = 16;
// The text a label field holds until the user types a label.
inline constexpr std::string_view kLabelPlaceholder = "< enter label  > ";

// Splits one line (without its CR) into fields 1..16 (element 0 unused). A "," or ":"
// ends a field; only "0"-"9", "-" and "." are kept; a field with kept characters
// takes the longest number at its start (0 when none), an empty one -99999.
std::array<float, kVariables + 1> SplitLine(std::string_view line);

// The identification name of a name line: "!!!:NAME:..." or "!!!NAME:..." (at most
// characters 5 to 25, or 4 to 25, up to the next ":"); empty for any other line.
std::string InstrumentName(std::string_view line);

// One database record as appended to the file: CR, name, ", ", the count (a leading
// blank when not negative), ", ", the display name, ", ", then the labels separated
// by "," and closed by CR (no labels: no closing CR). A label still holding the
// placeholder is written empty, so every later label keeps its variable. Commas and
// line ends typed into the names or labels become blanks: they would split fields.
std::string FormatRecord(std::string_view name, int count, std::string_view displayName,
                         const std::vector<std::string>& labels);

struct Record {
  int count = 0;
  std::string displayName;
  std::vector<std::string> labels;  // labels of variables 3, 4, ... in order
};

// The first record of the file's text whose name equals `name` (CR, LF or CRLF line
// ends; leading blanks of fields skipped), or nothing.
std::optional<Record> FindRecord(std::string_view fileText, std::string_view name);

}  // namespace mv::stream
