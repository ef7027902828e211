#include "kit/comment_header.h"

#include "kit/state.h"

namespace mv {

namespace {
constexpr std::size_t kHeaderPadding = 36;
}

std::string RunCommentHeader(const Str255& date, const Str255& time) {
  return bullet.str() + "  Recorded " + date.str() + " at " + time.str() + ":" +
         std::string(kHeaderPadding, ' ') + "\r";
}

bool IsCommentHeaderLine(std::string_view line) {
  const std::string_view mark = bullet.str();
  if (mark.empty() || line.substr(0, mark.size()) != mark) return false;
  std::size_t i = mark.size();
  const std::size_t firstBlank = i;
  while (i < line.size() && line[i] == ' ') ++i;
  return i > firstBlank && line.substr(i, 9) == "Recorded ";
}

std::string WithCommentHeader(std::string_view comment, std::string_view header) {
  std::string head(header);
  if (head.empty() || (head.back() != '\r' && head.back() != '\n')) head += '\r';
  const std::size_t end = comment.find_first_of("\r\n");
  const std::string_view firstLine = comment.substr(0, end);
  if (!IsCommentHeaderLine(firstLine)) return head + std::string(comment);
  if (end == std::string_view::npos) return head;
  std::size_t rest = end + 1;
  if (comment[end] == '\r' && rest < comment.size() && comment[rest] == '\n') ++rest;
  return head + std::string(comment.substr(rest));
}

}  // namespace mv
