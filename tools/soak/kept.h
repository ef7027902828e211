// A soak run's files as it keeps them in its folder: the saved data files (decoded by
// mvdump's decoder), the last period's text save, the simulator's log and the memory
// and CPU samples; what the checks read, and what the self-test breaks.
#pragma once
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "soak/check.h"

namespace mv::soak {

// The period files' root, and the last period's saves.
inline constexpr const char *kRoot = "period", *kLast = "last.kstr", *kLastText = "last.txt";
// When each saved file's save began and ended, kept beside the run's documents: a copy of
// a file is stamped anew, so the times are taken once, from the files the run left.
inline constexpr const char* kSaveTimes = "saves.txt";

struct SaveTime {
  double begun = -1, ended = -1;  // wall clock: the file's birth and its last change (the
                                  // rename that put it in place)
};
// By file name: from kSaveTimes in the run's folder, or else from the documents' stamps.
std::map<std::string, SaveTime> SaveTimes(const std::filesystem::path& dir);
// Writes the save times of the run in `from` into `to`'s kSaveTimes.
bool KeepSaveTimes(const std::filesystem::path& from, const std::filesystem::path& to);

struct KeptRun {
  std::vector<StoredFile> files;  // the period files by number, then the last save
  std::vector<TextRow> text;
  SimLog log;
  std::vector<Usage> usage;
  std::string screen;  // the driver's listing of the windows after the run stopped
  std::vector<int> judgedKeys;  // for the self-test: the typed keys the checks judge
};
// The run kept in `dir` (its data files in dir/documents).
KeptRun LoadKept(const std::filesystem::path& dir);

std::string ReadWhole(const std::filesystem::path& p);
// What mvdump prints for the file (with a last line saying so when it did not decode
// whole).
std::string DumpOf(const std::filesystem::path& p);
bool Write(const std::filesystem::path& p, const std::string& bytes);
std::string UsageText(const std::vector<Usage>& usage);

}  // namespace mv::soak
