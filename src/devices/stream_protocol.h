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
// ends a field; a field's value is the number at its start, after blanks and a sign,
// with an exponent ("1.5e3", "2.5E-1") written straight after its digits. The rest of
// the field is ignored, digits in a unit too ("21.5 m3/h" is 21.5). A field that does
// not start with a number (empty, "-", "---", "N/A", "T=21.5") is -99999.
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

// Gathers the bytes of a streaming instrument into lines. A line ends at CR or LF (a CR
// LF pair and blank lines give no empty lines); the bytes after the last line end wait
// for their rest, so a line that arrives in pieces, however slowly, is taken whole and
// a piece of it is never taken as a line of its own.
class LineAssembler {
 public:
  // Lines are cut to this length; an unfinished tail longer than this many bytes is no
  // line the instrument sends, and is given up as by GiveUpUnfinished.
  static constexpr size_t kLongestLine = 255;
  static constexpr size_t kLongestTail = 1024;

  void Add(std::string_view bytes);
  // The complete lines gathered since the last call, oldest first (each without its
  // line end, cut to kLongestLine); the unfinished tail stays.
  std::vector<std::string> TakeLines();
  // Forgets the unfinished tail and every byte up to the next line end, whenever that
  // comes: the rest of a line that was given up on is never read as a line.
  void GiveUpUnfinished();
  // Whether bytes of an unfinished line wait.
  bool HasUnfinished() const { return !tail_.empty(); }
  void Clear();
  // Clear, and the bytes up to the next line end are dropped too: they may be the rest
  // of a line whose start never came.
  void ClearToLineEnd();

 private:
  std::vector<std::string> lines_;
  std::string tail_;
  bool skipping_ = false;  // inside a line given up on
};

struct Record {
  int count = 0;
  std::string displayName;
  std::vector<std::string> labels;  // labels of variables 3, 4, ... in order
};

// The first record of the file's text whose name equals `name` (CR, LF or CRLF line
// ends; leading blanks of fields skipped), or nothing.
std::optional<Record> FindRecord(std::string_view fileText, std::string_view name);

}  // namespace mv::stream
