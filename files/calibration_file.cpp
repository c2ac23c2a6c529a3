#include "files/calibration_file.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "common/numbers.h"
#include "common/print_writer.h"
#include "common/text_file.h"

namespace ostrino {

namespace {

constexpr std::array<std::string_view, 10> kFactorFileLabels{
    "'Va Gain",          "'Vs Gain", "'Ia Gain",         "'Is Gain", "'Vsupp",
    "'Vgrid Gain (40V)", "'Vsat",    "'Vgrid Gain (4V)", "'spare",   "'spare"};
constexpr std::string_view kPortLabel =
    "'COM port number (negative because this is an extended file";
constexpr std::string_view kVersionLabel = "'version number 1 = version 3, 2 = version 3+";
constexpr std::string_view kEndLabel = "'-1 is end of file";

// The files of earlier consoles, newest first.
struct OlderFile {
    const char* fileName;
    const char* version;
};
constexpr std::array<OlderFile, 3> kOlderFiles{{
    {"Ostrino_3p10.cal", "3p10"},
    {"Ostrino_3p9.cal", "3p9"},
    {"Ostrino_3p8.cal", "3p8"},
}};

constexpr int kIntegerMax = std::numeric_limits<std::int16_t>::max();

const std::string kIntegerRange = " (the file holds whole numbers from -32768 to 32767)";

void line(PrintWriter& out, std::int16_t number, std::string_view label) {
    out.num(number).zone().str(label).endLine();
}

// The next line's number as a 16-bit whole number (ties to even, as any stored number is
// read); nullopt with the reason when it is missing, not a number or out of range.
std::optional<std::int16_t> readInteger(LineReader& reader, std::string& error) {
    const int lineNo = reader.lineNumber() + 1;
    const std::string prefix = "line " + std::to_string(lineNo) + ": ";
    const std::optional<std::string> text = reader.nextLine();
    if (!text) {
        error = prefix + "missing, the file ends before it";
        return std::nullopt;
    }
    const std::optional<double> value = leadingNumber(*text);
    if (!value) {
        error = prefix + "no number";
        return std::nullopt;
    }
    const std::optional<std::int16_t> whole = toInteger(*value);
    if (!whole) {
        error = prefix + numberText(*value) + " is out of range" + kIntegerRange;
        return std::nullopt;
    }
    return whole;
}

void useDefaultFactors(CalibrationRecord& cal) {
    cal.factors.fill(1.0);
}

}  // namespace

std::optional<std::string> calibrationFileText(const CalibrationRecord& cal, std::string& error) {
    PrintWriter out;
    for (int k = 1; k <= 10; ++k) {
        const double factor = cal.dblCalVar(k);
        const std::optional<std::int16_t> stored = toInteger(factor * 1000.0);
        if (!stored) {
            error = "factor " + std::to_string(k) + " (" +
                    std::string(kCalVarLabels[static_cast<std::size_t>(k - 1)]) + ") is " +
                    numberText(factor) + ", too large to be stored" + kIntegerRange;
            return std::nullopt;
        }
        line(out, *stored, kFactorFileLabels[static_cast<std::size_t>(k - 1)]);
    }
    // The port is stored negated to mark the extended form, so it must be at least 1.
    if (cal.intCOMport < 1 || cal.intCOMport > kIntegerMax) {
        error = "port number " + std::to_string(cal.intCOMport) + " cannot be stored";
        return std::nullopt;
    }
    const std::optional<std::int16_t> version = toInteger(cal.intVersion);
    if (!version) {
        error = "version " + std::to_string(cal.intVersion) + " cannot be stored";
        return std::nullopt;
    }
    line(out, static_cast<std::int16_t>(-cal.intCOMport), kPortLabel);
    line(out, *version, kVersionLabel);
    line(out, -1, kEndLabel);
    return out.text();
}

std::optional<CalibrationRecord> parseCalibrationText(std::string_view content,
                                                      const CalibrationRecord& base,
                                                      std::string& error) {
    CalibrationRecord cal = base;
    LineReader reader(content);
    for (int k = 1; k <= 10; ++k) {
        const std::optional<std::int16_t> stored = readInteger(reader, error);
        if (!stored) {
            return std::nullopt;
        }
        if (*stored < kFactorStoredMin || *stored > kFactorStoredMax) {
            error = "line " + std::to_string(k) + ": " + std::to_string(*stored) +
                    " is no calibration factor (" +
                    std::string(kCalVarLabels[static_cast<std::size_t>(k - 1)]) +
                    "; the file holds factors x 1000 from " + std::to_string(kFactorStoredMin) +
                    " to " + std::to_string(kFactorStoredMax) + ")";
            return std::nullopt;
        }
        cal.dblCalVar(k) = *stored / 1000.0;
    }

    const std::optional<std::int16_t> port = readInteger(reader, error);
    if (!port) {
        return std::nullopt;
    }
    // -32768 has no positive counterpart among the 16-bit numbers.
    if (*port == 0 || *port == std::numeric_limits<std::int16_t>::min()) {
        error = "line 11: " + std::to_string(*port) + " is not a port number";
        return std::nullopt;
    }
    cal.intCOMport = std::abs(static_cast<int>(*port));

    // Only the extended form (negative port) has a version line; line 13 is never read.
    if (*port < 0) {
        const std::optional<std::int16_t> version = readInteger(reader, error);
        if (!version) {
            return std::nullopt;
        }
        cal.intVersion = *version;
    }
    return cal;
}

bool SaveCalFile(const CalibrationRecord& cal, const std::string& fileName, std::string& error) {
    std::string reason;
    const std::optional<std::string> text = calibrationFileText(cal, reason);
    if (!text || !writeFileAtomically(fileName, *text, reason)) {
        error = "The calibration file " + fileName + " cannot be written (" + reason + ").";
        return false;
    }
    return true;
}

bool LoadCalFile(CalibrationRecord& cal, const std::string& fileName, std::string& error) {
    std::string reason;
    std::optional<CalibrationRecord> loaded;
    if (const std::optional<std::string> content = readWholeFile(fileName, reason)) {
        loaded = parseCalibrationText(*content, cal, reason);
    }
    if (!loaded) {
        error = "The calibration file " + fileName + " cannot be read (" + reason + ").";
        return false;
    }
    cal = std::move(*loaded);
    return true;
}

void ProcessCalFile(CalibrationRecord& cal, const std::string& fileName, Dialogs& dialogs) {
    std::string error;
    if (fileExists(fileName)) {
        if (!LoadCalFile(cal, fileName, error)) {
            useDefaultFactors(cal);
            dialogs.message(error +
                            " The default calibration is used for this run; the file is left as "
                            "it is.");
        }
        return;
    }

    for (const OlderFile& older : kOlderFiles) {
        if (!fileExists(older.fileName)) {
            continue;
        }
        if (!LoadCalFile(cal, older.fileName, error)) {
            // Writing the defaults under the new name would hide the old calibration for good.
            useDefaultFactors(cal);
            dialogs.message(error +
                            " The default calibration is used for this run; the file is "
                            "left as it is and " +
                            fileName + " has not been created.");
            return;
        }
        if (!SaveCalFile(cal, fileName, error)) {
            dialogs.message(error + " The calibration of " + older.fileName +
                            " is used for this run.");
            return;
        }
        dialogs.message(std::string("The version ") + older.version +
                            " calibration file has been used for the new calibration file",
                        MessageIcon::None);
        return;
    }

    useDefaultFactors(cal);
    if (!SaveCalFile(cal, fileName, error)) {
        dialogs.message(error + " The default calibration is used for this run.");
        return;
    }
    dialogs.message("A new calibration file has been created", MessageIcon::None);
}

}  // namespace ostrino
