// The program's resources (pictures, files beside the program), the text
// boundary to the window system, and the open-document handler that takes a
// set-up file handed over at launch.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/str255.h"
#include "runtime/windows.h"

namespace mv {

// A picture from a resource folder, e.g. ("MVimages", "CautionIcon.gif");
// nullptr when the file is missing or unreadable.
rt::ImageHandle CreateCGImageFromBundleResource(const std::string& folder, const std::string& file);
// Draws the picture scaled into the rectangle of the current window; nothing for nullptr.
void DrawThisImage(const rt::ImageHandle& image, int16_t left, int16_t top, int16_t right, int16_t bottom);

// The text of a counted string for window titles, field texts, menu items and
// file names: the Mac Roman bytes as UTF-8.
std::string MakeCFString(const Str255& text);

// -1 when the file exists, 0 otherwise. The name is a path; volume and folder
// are kept for the callers' sake and not used.
int16_t FileExists(const Str255& name, int16_t volume = 0, int32_t folder = 0);
// The folder that holds the program.
std::string FM_URLForApplicationDirectory();
// 1 when a file exists at the path.
int16_t FM_FileExistsAtURL(const std::string& path);
std::string URL_URLByAppendingPathComponent(const std::string& folder, const std::string& name);

// ---- documents handed over at launch -------------------------------------------------
// The most bytes of a document read to find its first line.
constexpr std::size_t kFirstLineLimit = 144;
// The number at the start of a first line (CR, LF or CRLF ends it) as 16-bit;
// 0 when there is none or it does not fit.
int16_t FirstLineNumber(std::string_view firstBytes);
// -9999, -9998, -9997 and -99 mark the set-up file versions.
bool IsSetupFileMarker(int16_t number);
// True when the path carries one of the program's data-file extensions
// (".kstr", ".kssc", ".KSSable"): such a file is never a set-up file, even when
// it starts with a set-up marker (a long chart file starts with "-9999").
bool HasDataFileExtension(const std::string& path);
// The open-document handler: for each path in turn keeps it in
// CLICKEDSetupFileCFURL and sets FileIconWasClicked to 1 when it is a set-up
// file (named ".MVsetup", or starting with a version marker), else 0; the last
// document decides.
void MyFinderInfo(const std::vector<std::string>& paths);

}  // namespace mv
