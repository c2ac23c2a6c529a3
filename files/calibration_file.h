#pragma once
// The calibration file: ten factors (stored x 1000), the port and the hardware version
// in thirteen lines of the print layout. Found, migrated from an older console or created
// at start-up, written when the user saves from the calibration window.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "common/calibration.h"
#include "platform/dialogs.h"

namespace ostrino {

// The factors by the names the calibration window and messages give them (dblCalVar1 .. 10).
inline constexpr std::array<std::string_view, 10> kCalVarLabels{
    "Va Gain",      "Vs Gain", "Ia Gain",     "Is Gain",     "Vsupp",
    "Vgrid (40 V)", "Vsat",    "Vgrid (4 V)", "Vgrid (sat)", "not used"};

// The factors a calibration file may hold, stored x 1000. A factor is nominally 1 and the
// calibration window trims it within 0.9 to 1.1; older consoles and hand-edited files may go
// further, so anything from half to twice the nominal value is accepted. Beyond that a
// factor is no trim but damage: 0 divides the voltage readings by zero, a negative factor
// turns their sign, and a grid-zero factor of 3 or more breaks the grid conversion.
inline constexpr int kFactorStoredMin = 500;
inline constexpr int kFactorStoredMax = 2000;

// The thirteen lines of the extended form, CR LF included. nullopt, with the reason in
// error, when a value cannot be stored as a 16-bit whole number (or the port is not >= 1).
std::optional<std::string> calibrationFileText(const CalibrationRecord& cal, std::string& error);

// Reads file content on top of base (the version is kept when the file is in the short
// form). nullopt, with the reason in error ("line 4: no number"), when the content is
// truncated or a value is missing, not a number or out of range; a factor outside
// kFactorStoredMin .. kFactorStoredMax is out of range.
std::optional<CalibrationRecord> parseCalibrationText(std::string_view content,
                                                      const CalibrationRecord& base,
                                                      std::string& error);

// Writes the record in the extended form, replacing the file only when the whole new file
// has been written. On failure error holds a message that names the file.
bool SaveCalFile(const CalibrationRecord& cal, const std::string& fileName, std::string& error);

// Reads the file into the record. On failure the record is left exactly as it was and
// error holds a message that names the file and the offending line.
bool LoadCalFile(CalibrationRecord& cal, const std::string& fileName, std::string& error);

// The start-up sequence: load the named file; else migrate the newest older file and save it
// under the new name; else save the defaults. A damaged file is reported and left alone, and
// the run goes on with the default factors.
void ProcessCalFile(CalibrationRecord& cal, const std::string& fileName, Dialogs& dialogs);

}  // namespace ostrino
