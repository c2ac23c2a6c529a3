#include "files/data_export.h"

#include <algorithm>
#include <array>

#include "common/numbers.h"
#include "common/text_file.h"

namespace ostrino {

namespace {

constexpr std::array<ExportQuantity, kExportQuantities> kQuantities{{
    {"Ia", MeasMatrix::kActual, MeasMatrix::Ia, "Ia (mA)"},
    {"Is", MeasMatrix::kActual, MeasMatrix::Is, "Is (mA)"},
    {"fitted Ia", MeasMatrix::kFit, 1, "Ia fit (mA)"},
    {"dIa/dV", MeasMatrix::kFit, 2, "dIa/dV (mA/V)"},
    {"dV/dIa", MeasMatrix::kFit, 3, "dV/dIa (V/mA)"},
    {"Ia stored", MeasMatrix::kStored, MeasMatrix::Ia, "Ia stored (mA)"},
    {"Is stored", MeasMatrix::kStored, MeasMatrix::Is, "Is stored (mA)"},
}};

// Cells outside the matrix read as 0, which ends the data of any block that runs up to
// the last row (and keeps a bad column number harmless).
double cell(const MeasMatrix& m, int row, int col) {
    if (row < 0 || row >= MeasMatrix::kRows || col < 0 || col >= MeasMatrix::kCols) {
        return 0.0;
    }
    return m(row, col);
}

double curveAt(const MeasMatrix& m, int row) {
    return roundHalfEven(cell(m, row, MeasMatrix::Curve));
}

// A value too large for Decimals (dV/dIa is 1e8 where a fit is flat) is written unrounded.
double rounded(double v, int decimals) {
    return Decimals(v, decimals).value_or(v);
}

void titleLine(PrintWriter& out, const SweepCaptions& captions, const ExportQuantity& q) {
    out.str(" ").str(captions.lblNameVar1).str(" (V)  ").tab(16).str(q.title).endLine();
}

// "Vg = -2  V". Curves beyond the stepping values (only a hand-made block has them) get
// no number.
void stepLabel(PrintWriter& out, const ExportSources& in, const SweepCaptions& captions,
               int curve) {
    out.str(captions.lblNameVar2).str(" = ");
    const auto index = static_cast<std::size_t>(curve - 1);
    if (index < in.var2Values.size()) {
        out.num(rounded(in.var2Values[index], 1));
    }
    out.str(" V");
}

}  // namespace

const ExportQuantity& exportQuantity(int option) {
    if (option < 0 || option > 5) {
        option = 6;
    }
    return kQuantities[static_cast<std::size_t>(option)];
}

CurveCount countCurves(const MeasMatrix& m, int firstRow) {
    CurveCount count;
    int row = firstRow;
    while (curveAt(m, row) >= 1) {
        ++count.curves;
        count.points = 1;
        ++row;
        while (curveAt(m, row) == curveAt(m, row - 1)) {
            ++row;
            ++count.points;
        }
    }
    return count;
}

std::optional<std::string> listText(const ExportSources& in, const SweepCaptions& captions,
                                    int option, bool addText) {
    const ExportQuantity& q = exportQuantity(option);
    const MeasMatrix& m = in.matrix;
    const CurveCount count = countCurves(m, q.firstRow);
    if (count.curves == 0) {
        return std::nullopt;
    }
    const int xcol = in.xcol;

    PrintWriter out;
    if (addText) {
        titleLine(out, captions, q);
        out.str(" ").endLine();
    }
    int row = q.firstRow;
    for (int c = 1; c <= count.curves; ++c) {
        if (addText) {
            out.str(" ");
            stepLabel(out, in, captions, c);
            out.endLine();
        }
        for (int k = 0; k < count.points; ++k, ++row) {
            out.num(rounded(cell(m, row, xcol), 2))
                .zone()
                .num(rounded(cell(m, row, q.column), 3))
                .endLine();
        }
        out.str(" ").endLine();
    }
    return out.text();
}

std::optional<std::string> blockText(const ExportSources& in, const SweepCaptions& captions,
                                     int option, bool addText) {
    const ExportQuantity& q = exportQuantity(option);
    const MeasMatrix& m = in.matrix;
    const CurveCount count = countCurves(m, q.firstRow);
    if (count.curves == 0) {
        return std::nullopt;
    }
    const int xcol = in.xcol;

    PrintWriter out;
    if (addText) {
        titleLine(out, captions, q);
        for (int c = 1; c <= count.curves; ++c) {
            out.tab(15 * c + 1);
            stepLabel(out, in, captions, c);
        }
        out.str(" ").endLine();
    }
    for (int k = 0; k < count.points; ++k) {
        out.num(rounded(cell(m, q.firstRow + k, xcol), 2)).str("  ");
        for (int c = 1; c <= count.curves; ++c) {
            const int row = q.firstRow + (c - 1) * count.points + k;
            out.tab(15 * c).num(rounded(cell(m, row, q.column), 3));
        }
        out.str(" ").endLine();
    }
    return out.text();
}

void PrintLineInFile(PrintWriter& out, int point, int curve, const MeasMatrix& m, int row) {
    out.tab(1).str(std::to_string(point));
    out.tab(10).str(std::to_string(curve));
    out.tab(20).num(rounded(cell(m, row, MeasMatrix::Ia), 2));
    out.tab(35).num(rounded(cell(m, row, MeasMatrix::Is), 2));
    out.tab(50).num(rounded(cell(m, row, MeasMatrix::Vg), 2));
    out.tab(65).num(rounded(cell(m, row, MeasMatrix::Va), 2));
    out.tab(80).num(rounded(cell(m, row, MeasMatrix::Vs), 2));
    out.tab(95).num(rounded(cell(m, row, MeasMatrix::Vh), 2)).endLine();
}

std::string measMatrixText(const MeasMatrix& m) {
    PrintWriter out;
    out.str("Point    Curve     Ia (mA)        Is (mA)       Vg (V)")
        .str("          Va (V)         Vs (V)         Vf (V)")
        .endLine();
    // The curves are numbered in file order; a new curve starts where the stored curve
    // number changes. A full actual block runs on into the stored block.
    int row = MeasMatrix::kActual;
    int curve = 0;
    while (curveAt(m, row) >= 1) {
        ++curve;
        int point = 1;
        PrintLineInFile(out, point, curve, m, row);
        for (++row; curveAt(m, row) == curveAt(m, row - 1); ++row) {
            PrintLineInFile(out, ++point, curve, m, row);
        }
    }
    return out.text();
}

void Store(MeasMatrix& m) {
    auto& cells = m.cells;
    std::copy_n(cells.begin() + MeasMatrix::kActual, MeasMatrix::kBlockRows,
                cells.begin() + MeasMatrix::kStored);
}

DataExport::DataExport(const ExportSources& sources, const SweepCaptions& captions,
                       Dialogs& dialogs)
    : in_(sources), captions_(captions), dialogs_(dialogs) {}

void DataExport::SaveDataList(int option, bool addText) {
    const std::string name = chooseFile();
    if (!name.empty()) {
        saveListTo(name, option, addText);
    }
}

void DataExport::SaveDataBlock(int option, bool addText) {
    const std::string name = chooseFile();
    if (!name.empty()) {
        saveBlockTo(name, option, addText);
    }
}

void DataExport::SaveMeasMX() {
    const std::string name = chooseFile();
    if (!name.empty()) {
        saveMeasMXTo(name);
    }
}

bool DataExport::saveListTo(const std::string& path, int option, bool addText) {
    return write(path, listText(in_, captions_, option, addText));
}

bool DataExport::saveBlockTo(const std::string& path, int option, bool addText) {
    return write(path, blockText(in_, captions_, option, addText));
}

bool DataExport::saveMeasMXTo(const std::string& path) {
    return write(path, measMatrixText(in_.matrix));
}

std::string DataExport::chooseFile() {
    // In the current working directory; used as returned: no extension is added.
    return dialogs_.chooseFile(saveFileRequest(kDataFilter, "Save Data"));
}

bool DataExport::write(const std::string& path, const std::optional<std::string>& text) {
    if (!text) {
        dialogs_.message(kNoDataMessage);
        return false;
    }
    std::string reason;
    if (!writeFileAtomically(path, *text, reason)) {
        dialogs_.message("The file " + path + " cannot be written (" + reason + ").");
        return false;
    }
    return true;
}

}  // namespace ostrino
