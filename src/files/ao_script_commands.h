// "Open AO Data..." and "Save AO Data...": the analog-output script file through the
// open and save panels.
#pragma once
#include <string>

namespace mv {

// The file chosen in the last open or save panel of these commands.
extern std::string AOFileCFURL;

// Writes the scripts and the feedback schedule to path (through a temporary file, so a
// failed write leaves an old file as it was). False, after telling the user, on failure.
bool WriteAOscriptFile(const std::string& path);
// Reads and checks the whole file before anything changes; a file that is refused is
// reported and leaves every table, setting and check mark as it was.
bool LoadAOscriptFile(const std::string& path);

void SAVEAOscript();
void GETAOscript();

}  // namespace mv
