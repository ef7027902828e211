// The naming rules of the saves: which format is in force, the names a save panel
// proposes, the root of numbered files, the numbered, backup and quick-save names,
// the backup indicator and the backup-interval arithmetic. Pure functions of their
// arguments, so the tests pin them without a panel.
#pragma once
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/str255.h"

namespace mv {

enum class DataFormat { Binary, Sable, Text };

// Slot 16 chooses the Sable export, else slot 17 text, else the binary format.
DataFormat FormatChoice(int16_t slot16, int16_t slot17);
// The format and the extensions switch (slot 52) of the preferences now.
DataFormat DataFileFormatChoice();
bool ExtensionsOn();

// ".kstr", ".KSSable", ".txt": a chart recording's extension in each format.
std::string ChartExtension(DataFormat f);
// The save command's proposed name: "chart data", plus the extension when on.
std::string SaveCommandDefaultName(DataFormat f, bool extensions);

enum class RootKind { Scope, Repeat };
std::string RootBase(RootKind kind);  // "scope file", "repeat file"
// What the proposed root name ends with: " 1", " 1.kssc" or " 1.KSSable".
std::string RootDefaultSuffix(DataFormat f, bool extensions);
// The root of a chosen name: less the default suffix when the name ends with it
// (letter case ignored, as panels may change it), else less a ".kssc" or ".KSSable"
// extension, else the name as typed.
std::string RootFromChosenName(std::string_view name, DataFormat f, bool extensions);

// The count as printed integer text (" 2"); the Sable export drops the blank.
std::string NumberText(int32_t count, DataFormat f);
// Numbered scope sweep file: root + number + ".kssc" (".KSSable" for Sable).
std::string ScopeFileName(std::string_view root, int32_t count, DataFormat f, bool extensions);
// Numbered end-of-period file: root + number + ".kstr"/".KSSable"; text has none.
std::string PeriodFileName(std::string_view root, int32_t count, DataFormat f, bool extensions);
// The acquisition screen's " next: 'root 3'  ".
Str255 NextFileText(std::string_view root, int32_t nextCount);
// The acquisition screen's " 'root 3.kssc' not saved: folder not found ": a numbered
// sweep that could not be written, named by its file, and why.
Str255 SweepNotSavedText(std::string_view fileName, std::string_view why);

// "Backup file", plus ".kstr" when extensions are on.
std::string BackupDefaultName(bool extensions);
// "QuickSave 09-01-17-14h05m42s", plus ".kstr" when extensions are on.
std::string QuickSaveName(const std::tm& when, bool extensions);
// " backup 3 " + check mark + two blanks.
Str255 BackupIndicatorAfter(int16_t backups);

// ---- the backup interval -------------------------------------------------------------------
// The working value in minutes after a button of the interval window; nullopt when
// the button changes no value.
std::optional<double> BackupMinutesAfter(int16_t button, double working);
// The interval in ticks for the minutes: truncated, 0 when negative, at most 10 days.
int32_t BackupTicksFor(double minutes);
constexpr int32_t kLongestBackupTicks = 10 * 24 * 60 * 3'600;

}  // namespace mv
