// A help page as its reader sees it, for the tests that hold a window's page to the
// window: the visible words, the text a page marks as a worked example, and the
// number in such a text.
#pragma once
#include <charconv>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/test_support.h"
#include "kit/help.h"
#include "runtime/macroman.h"
#include "runtime/windows.h"

namespace mv::test {

inline std::string HelpPageHtml(const std::string& page) {
  std::ifstream in(SourcePath("resources/HelpFiles/" + page), std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

// Runs of blanks as one blank, none at the end.
inline std::string SqueezedText(std::string_view s) {
  std::string out;
  for (char c : s) {
    const bool blank = c == ' ' || c == '\n' || c == '\r' || c == '\t';
    if (blank && (out.empty() || out.back() == ' ')) continue;
    out += blank ? ' ' : c;
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

// The page's words: tags dropped, the entities the pages use decoded.
inline std::string HelpPageText(const std::string& page) {
  const std::string html = HelpPageHtml(page);
  std::string text;
  bool inTag = false;
  for (char c : html) {
    if (c == '<') inTag = true;
    if (!inTag) text += c;
    if (c == '>') inTag = false, text += ' ';
  }
  const std::pair<const char*, const char*> entities[] = {
      {"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&nbsp;", " "}, {"&quot;", "\""}};
  for (const auto& [from, to] : entities)
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at))
      text.replace(at, std::string(from).size(), to);
  return SqueezedText(text);
}

// The words of the page a help topic opens.
inline std::string HelpTopicText(int16_t topic) {
  return HelpPageText(HelpTopicPage(topic));
}

// The titles of the output window's controls as the user reads them; controls without
// a title (popups, fields) are left out.
inline std::vector<std::string> VisibleControlTitles() {
  std::vector<std::string> titles;
  for (int16_t c : rt::Controls(rt::OutputWindow())) {
    const std::string title = SqueezedText(MacRomanToUtf8(rt::ControlTitle(c).str()));
    if (!title.empty()) titles.push_back(title);
  }
  return titles;
}

// The page names every control title a window showed; where names the page in a failure.
inline void ExpectPageNamesEveryTitle(const std::string& page, const std::vector<std::string>& titles,
                                      const std::string& where) {
  ASSERT_FALSE(titles.empty()) << where << ": the window showed no control";
  for (const std::string& t : titles)
    EXPECT_NE(page.find(t), std::string::npos) << where << " does not name \"" << t << "\"";
}

// The text of the page's element marked with the example's id ("" when there is none).
inline std::string HelpExampleText(const std::string& page, const std::string& id) {
  const std::string html = HelpPageHtml(page);
  const std::size_t at = html.find("id=\"" + id + "\"");
  if (at == std::string::npos) return {};
  const std::size_t start = html.find('>', at) + 1;
  return html.substr(start, html.find('<', start) - start);
}

// The example text on the page a help topic opens.
inline std::string HelpTopicExampleText(int16_t topic, const std::string& id) {
  return HelpExampleText(HelpTopicPage(topic), id);
}

// The first number in a text and its count of decimals; false when there is none.
inline bool FirstNumberIn(const std::string& text, double& value, int& decimals) {
  const std::size_t at = text.find_first_of("-0123456789");
  if (at == std::string::npos) return false;
  const char* first = text.data() + at;
  const auto [end, ec] = std::from_chars(first, text.data() + text.size(), value);
  if (ec != std::errc{}) return false;
  const std::string_view digits(first, static_cast<std::size_t>(end - first));
  const std::size_t point = digits.find('.');
  decimals = point == std::string_view::npos ? 0 : static_cast<int>(digits.size() - point - 1);
  return true;
}

}  // namespace mv::test
