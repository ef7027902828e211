#include "files/save_names.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "kit/date_text.h"
#include "kit/format.h"
#include "kit/state.h"

namespace mv {

namespace {

bool EndsWithNoCase(std::string_view s, std::string_view end) {
  if (end.size() > s.size()) return false;
  return std::equal(
      end.begin(), end.end(), s.end() - static_cast<std::ptrdiff_t>(end.size()), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
      });
}

}  // namespace

DataFormat FormatChoice(int16_t slot16, int16_t slot17) {
  if (slot16 != 0) return DataFormat::Sable;
  return slot17 != 0 ? DataFormat::Text : DataFormat::Binary;
}

DataFormat DataFileFormatChoice() {
  return FormatChoice(PrefsArray[PrefsSlot::SaveSable], PrefsArray[PrefsSlot::SaveText]);
}

bool ExtensionsOn() {
  return PrefsArray[PrefsSlot::AddExtensions] != 0;
}

std::string ChartExtension(DataFormat f) {
  switch (f) {
    case DataFormat::Sable:
      return ".KSSable";
    case DataFormat::Text:
      return ".txt";
    default:
      return ".kstr";
  }
}

std::string SaveCommandDefaultName(DataFormat f, bool extensions) {
  return "chart data" + (extensions ? ChartExtension(f) : std::string());
}

std::string RootBase(RootKind kind) {
  return kind == RootKind::Scope ? "scope file" : "repeat file";
}

std::string RootDefaultSuffix(DataFormat f, bool extensions) {
  if (!extensions) return " 1";
  return f == DataFormat::Sable ? " 1.KSSable" : " 1.kssc";
}

std::string RootFromChosenName(std::string_view name, DataFormat f, bool extensions) {
  const std::string suffix = RootDefaultSuffix(f, extensions);
  if (name.size() > suffix.size() && EndsWithNoCase(name, suffix))
    return std::string(name.substr(0, name.size() - suffix.size()));
  for (std::string_view ext : {".kssc", ".KSSable"})
    if (name.size() > ext.size() && EndsWithNoCase(name, ext))
      return std::string(name.substr(0, name.size() - ext.size()));
  return std::string(name);
}

std::string NumberText(int32_t count, DataFormat f) {
  std::string n = PrintedNumber(count).str();
  if (f == DataFormat::Sable && !n.empty() && n.front() == ' ') n.erase(0, 1);
  return n;
}

std::string ScopeFileName(std::string_view root, int32_t count, DataFormat f, bool extensions) {
  std::string name = std::string(root) + NumberText(count, f);
  if (extensions) name += f == DataFormat::Sable ? ".KSSable" : ".kssc";
  return name;
}

std::string PeriodFileName(std::string_view root, int32_t count, DataFormat f, bool extensions) {
  std::string name = std::string(root) + NumberText(count, f);
  if (extensions && f != DataFormat::Text) name += ChartExtension(f);
  return name;
}

Str255 NextFileText(std::string_view root, int32_t nextCount) {
  return Str255(" next: '") + root + PrintedNumber(nextCount) + "'  ";
}

Str255 SweepNotSavedText(std::string_view fileName, std::string_view why) {
  return Str255(" '") + fileName + "' not saved: " + why + " ";
}

std::string BackupDefaultName(bool extensions) {
  return extensions ? "Backup file.kstr" : "Backup file";
}

std::string QuickSaveName(const std::tm& when, bool extensions) {
  std::string time = TimeText(when).str();  // "HH:mm:ss"
  if (time.size() >= 6) {
    time[2] = 'h';
    time[5] = 'm';
  }
  std::string name = "QuickSave " + DateText(when).str() + " " + time + "s";
  if (extensions) name += ".kstr";
  for (std::size_t i : {12u, 15u, 18u})  // the date's slashes and the blank before the time
    if (i < name.size()) name[i] = '-';
  return name;
}

Str255 BackupIndicatorAfter(int16_t backups) {
  return Str255(" backup") + PrintedNumber(backups) + " " + static_cast<char>(195) + "  ";
}

std::optional<double> BackupMinutesAfter(int16_t button, double working) {
  switch (button) {
    case 15:
      return 0.5;
    case 16:
      return 1.0;
    case 17:
      return 2.0;
    case 18:
      return 2.5;
    case 1:
      return 5.0;
    case 2:
      return 10.0;
    case 3:
      return 15.0;
    case 4:
      return 30.0;
    case 5:
      return 60.0;
    case 6:
      return 120.0;
    case 7:
      return 180.0;
    case 8:
      return 240.0;
    case 9:
      return 360.0;
    case 10:
      return 720.0;
    case 11:
      return working * 2;
    case 12:
      return working * 0.5;
    case 13:
      return working + 10;
    case 14:
      return working - 1;
    default:
      return std::nullopt;
  }
}

int32_t BackupTicksFor(double minutes) {
  const double ticks = std::trunc(minutes * 3'600);
  if (!(ticks > 0)) return 0;  // negative, zero or not a number
  return ticks >= kLongestBackupTicks ? kLongestBackupTicks : static_cast<int32_t>(ticks);
}

}  // namespace mv
