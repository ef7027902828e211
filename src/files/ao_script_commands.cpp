#include "files/ao_script_commands.h"

#include "control/ao_script_file.h"
#include "files/file_io.h"
#include "files/needs.h"
#include "runtime/panels.h"

namespace mv {

std::string AOFileCFURL;

bool WriteAOscriptFile(const std::string& path) {
  const FileResult r = WriteFileSafely(path, EncodeAOscriptFile(CaptureAOscriptFile()));
  if (!r) files_hooks::FileNotice("The analog output script was not saved", r.reason);
  return r.ok;
}

bool LoadAOscriptFile(const std::string& path) {
  // One byte more than the format, so a longer file is told apart from a right one.
  const FileBytes bytes = ReadFileBytes(path, kAOscriptFileSize + 1);
  const char* title = "The analog output script could not be loaded";
  if (bytes.status == ReadStatus::TooLarge) {
    files_hooks::FileNotice(title, "the file is longer than an analog output script");
    return false;
  }
  if (bytes.status != ReadStatus::Ok) {
    files_hooks::FileNotice(title, bytes.reason);
    return false;
  }
  const DecodedAOscriptFile decoded = DecodeAOscriptFile(bytes.bytes);
  if (!decoded.file) {
    files_hooks::FileNotice(title, decoded.reason);
    return false;
  }
  ApplyAOscriptFile(*decoded.file);
  return true;
}

void SAVEAOscript() {
  const auto path = rt::SaveFilePanel("save AO script as...", "AO script.AOscr");
  if (!path) return;
  AOFileCFURL = *path;
  WriteAOscriptFile(*path);
}

void GETAOscript() {
  const auto path = rt::OpenFilePanel("Select an analog output script:", {kAOscriptExtension});
  if (!path) return;
  AOFileCFURL = *path;
  LoadAOscriptFile(*path);
}

}  // namespace mv
