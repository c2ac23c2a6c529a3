#pragma once
// Curve data files (*.osd): the list and block layouts of one quantity and the measurement
// matrix of the last sweep, plus Store, which keeps the last sweep as the stored curves.
//
// The text functions are pure; DataExport adds the file dialog, the messages and the
// atomic write, so a failed export never damages a file that already has the name.

#include <optional>
#include <string>

#include "common/console_settings.h"
#include "common/meas_matrix.h"
#include "common/print_writer.h"
#include "common/sweep_captions.h"
#include "platform/dialogs.h"

namespace ostrino {

inline constexpr const char* kDataFilter = "Ostrino datafile (*.osd)|*.osd";
inline constexpr const char* kNoDataMessage = "Error, There is no data to be saved";

// One choice of the Save Data window's Option1 array.
struct ExportQuantity {
    const char* caption;  // "Ia"
    int firstRow;         // first row of its block in dblMeasMatrix
    int column;
    const char* title;  // "Ia (mA)"
};
inline constexpr int kExportQuantities = 7;
// Choices 0..5 as given; any other index stands for "none of 0..5 selected", that is 6.
const ExportQuantity& exportQuantity(int option);

// The curves of the block that starts at firstRow: their number and the points of the
// last one (both exports take every curve to be that long).
struct CurveCount {
    int curves = 0;
    int points = 0;
};
CurveCount countCurves(const MeasMatrix& m, int firstRow);

// What a data file is made of: the measured matrix, the stepping values that head the curves
// and the matrix column of the x variable. The console owns them.
struct ExportSources {
    const MeasMatrix& matrix;
    const std::array<double, MeasSettings::kMaxVar2>& var2Values;
    const int& xcol;
};

// The file contents, CR LF line ends. The list and block texts are nullopt when the chosen
// block holds no curve.
std::optional<std::string> listText(const ExportSources& in, const SweepCaptions& captions,
                                    int option, bool addText);
std::optional<std::string> blockText(const ExportSources& in, const SweepCaptions& captions,
                                     int option, bool addText);
std::string measMatrixText(const MeasMatrix& m);

// One line of the matrix layout: point and curve as plain digits, then the values of the
// row at their tab stops.
void PrintLineInFile(PrintWriter& out, int point, int curve, const MeasMatrix& m, int row);

// The Store button: rows 0..999 (end mark included) are copied into rows 1000..1999.
void Store(MeasMatrix& m);

class DataExport {
  public:
    DataExport(const ExportSources& sources, const SweepCaptions& captions, Dialogs& dialogs);

    // The three buttons of the Save Data window: each asks for a file name first.
    void SaveDataList(int option, bool addText);
    void SaveDataBlock(int option, bool addText);
    void SaveMeasMX();

    // Without a dialog (also for the command line). False after a message.
    bool saveListTo(const std::string& path, int option, bool addText);
    bool saveBlockTo(const std::string& path, int option, bool addText);
    bool saveMeasMXTo(const std::string& path);

  private:
    std::string chooseFile();
    bool write(const std::string& path, const std::optional<std::string>& text);

    ExportSources in_;
    const SweepCaptions& captions_;
    Dialogs& dialogs_;
};

}  // namespace ostrino
