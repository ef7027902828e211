// The alert of a file that could not be read or written: the caution sign, the
// message and an OK button, over whatever window is open. Returns when the user
// clicks OK, presses Return or closes it.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mv {

constexpr int16_t kFileAlertWindow = 668;
constexpr int16_t kFileAlertOK = 1;

// Title and message are UTF-8 (file names come from the file system as they are).
void FileAlert(const std::string& title, const std::string& message);

// The message broken into lines of at most maxChars characters at blanks (a word
// longer than a line is cut).
std::vector<std::string> WrapText(std::string_view utf8, std::size_t maxChars);

}  // namespace mv
