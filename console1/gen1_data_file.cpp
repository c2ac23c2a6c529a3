#include "console1/gen1_data_file.h"

#include "common/numbers.h"

namespace ostrino::gen1 {

namespace {

double curveAt(const ResultMatrix& m, int row) {
    return roundHalfEven(m.at(row, ResultMatrix::Curve));
}

double rounded(double v) {
    return Decimals(v, 2).value_or(v);
}

}  // namespace

void PrintLineInFile(PrintWriter& out, int point, int curve, const ResultMatrix& m, int row) {
    out.tab(1).str(std::to_string(point));
    out.tab(10).str(std::to_string(curve));
    out.tab(20).num(rounded(m.at(row, ResultMatrix::Ia)));
    out.tab(35).num(rounded(m.at(row, ResultMatrix::Is)));
    out.tab(50).num(rounded(m.at(row, ResultMatrix::Vg)));
    out.tab(65).num(rounded(m.at(row, ResultMatrix::Va)));
    out.tab(80).num(rounded(m.at(row, ResultMatrix::Vs)));
    out.tab(95).num(rounded(m.at(row, ResultMatrix::Vf))).endLine();
}

std::string dataFileText(const ResultMatrix& m) {
    PrintWriter out;
    out.str("Point    Curve     Ia (mA)        Is (mA)       Vg (V)")
        .str("          Va (V)         Vs (V)         Vf (V)")
        .endLine();
    int row = 0;
    int curve = 0;
    while (curveAt(m, row) >= 1) {
        ++curve;
        int point = 1;
        PrintLineInFile(out, point, curve, m, row);
        for (++row; curveAt(m, row) >= 1 && curveAt(m, row) == curveAt(m, row - 1); ++row) {
            PrintLineInFile(out, ++point, curve, m, row);
        }
    }
    return out.text();
}

}  // namespace ostrino::gen1
